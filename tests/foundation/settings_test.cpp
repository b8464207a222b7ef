#include <doctest/doctest.h>
#include <windows.h>

#include <optional>

#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "support/test_support.h"

namespace {

const SettingDef& Row(const wchar_t* key) {
    for (const SettingDef& row : SettingsTable)
        if (std::wstring(row.key) == key) return row;
    FAIL("no row " << std::string(key, key + wcslen(key)));
    return SettingsTable[0];
}

// The value of the key when the section holds it at all.
std::optional<std::wstring> SavedValue(const std::wstring& ini, const SettingDef& row) {
    for (const auto& [key, value] : ReadIniSection(ini, row.section))
        if (key == row.key) return value;
    return std::nullopt;
}

}  // namespace

TEST_CASE("raw setting values are cleaned by type and range") {
    struct Case {
        const wchar_t *key, *raw, *expected;
    };
    const Case cases[] = {
        {L"Timeout", L"90", L"60"},
        {L"Timeout", L"1", L"2"},
        {L"Timeout", L"-5", L"5"},
        {L"Timeout", L"5s", L"5"},
        {L"Timeout", L" 7", L"5"},
        {L"Timeout", L"+7", L"5"},
        {L"Timeout", L"", L"5"},
        {L"Timeout", L"0007", L"7"},
        // Too many digits for an int: the maximum, not a wrapped-around value.
        {L"Timeout", L"99999999999999999999", L"60"},
        {L"HighlightDays", L"4294967296", L"365"},
        {L"HighlightDays", L"400", L"365"},
        {L"HighlightDays", L"0", L"0"},
        {L"KeyBar", L"yes", L"1"},
        {L"KeyBar", L"0", L"0"},
        {L"DebugLog", L"true", L"0"},
        {L"Colors", L"purple", L"purple"},
        {L"OpenInTc", L" /O %d ", L" /O %d "},
    };
    for (const Case& c : cases) {
        CAPTURE(std::wstring(c.key) + L"=" + c.raw);
        CHECK(NormalizeSettingValue(Row(c.key), c.raw) == c.expected);
    }
}

TEST_CASE("settings load cleaned, fall back to defaults and save all rows") {
    std::wstring dir = FreshTempDir(L"settings");
    std::wstring ini = PathJoin(dir, L"Kestrovane.ini");
    WriteFileBytes(ini, "\xFF\xFE" + Utf16Bytes(L"[Probe]\r\nTimeout=90\r\n[View]\r\nKeyBar=yes\r\nColors=purple\r\n"
                                                  L"[General]\r\nOpenInTc=\r\nDoubleClick=edit\r\n"));
    LoadSettings(ini);
    CHECK(SettingsValues.size() == 5);
    CHECK(SettingsValues.count(L"General/Language") == 0);
    CHECK(GetSetting(L"General", L"Language") == L"auto");
    CHECK(GetSetting(L"Probe", L"Timeout") == L"60");
    CHECK(GetSetting(L"View", L"KeyBar") == L"1");
    CHECK(GetSetting(L"View", L"Colors") == L"purple");
    CHECK(SettingsValues.at(L"General/OpenInTc") == L"");
    CHECK(GetSetting(L"general", L"language") == L"");

    PendingSettings[L"Probe/Timeout"] = L"30";
    CHECK(SettingValueAt(9) == L"30");
    CHECK(SettingValueAt(2) == L"edit");
    CHECK(GetSetting(L"Probe", L"Timeout") == L"60");
    PendingSettings.clear();

    ApplyDiagSettings();
    CHECK(ProbeTimeoutMs() == 60000);

    std::wstring saved = PathJoin(dir, L"saved.ini");
    SaveSettings(saved);
    CHECK(ReadFileBytes(saved).starts_with("\xFF\xFE"));
    for (const SettingDef& row : SettingsTable)
        CHECK(SavedValue(saved, row) == GetSetting(row.section, row.key));

    LoadSettings(PathJoin(dir, L"missing.ini"));
    CHECK(SettingsValues.empty());
    ApplyDiagSettings();
    CHECK(ProbeTimeoutMs() == 5000);
    RemoveTree(dir);
}

TEST_CASE("the /debug switch turns the debug log on whatever the setting says") {
    SettingsValues = {{L"Diagnostics/DebugLog", L"0"}};
    DebugArg = true;
    ApplyDiagSettings();
    CHECK(DebugLogOn);
    DebugArg = false;
    ApplyDiagSettings();
    CHECK_FALSE(DebugLogOn);
    SettingsValues[L"Diagnostics/DebugLog"] = L"1";
    ApplyDiagSettings();
    CHECK(DebugLogOn);
    SettingsValues.clear();
    ApplyDiagSettings();
    CHECK_FALSE(DebugLogOn);
}
