#include "foundation/settings.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "foundation/data_folder.h"
#include "foundation/logs.h"
#include "foundation/text.h"

const std::array<SettingDef, 12> SettingsTable = {{
    {L"General", L"Language", SettingChoice, L"auto", "set_language", "seth_language", 0, L"auto", 0, 0},
    {L"General", L"StartTab", SettingChoice, L"last", "set_starttab", "seth_starttab", 0,
     L"last|lister|content|packer|filesystem|inventory|findings|preview", 0, 0},
    {L"General", L"DoubleClick", SettingChoice, L"folder", "set_dblclick", "seth_dblclick", 0, L"folder|edit", 0, 0},
    {L"General", L"OpenInTc", SettingText, L"", "set_opentc", "seth_opentc", 0, L"", 0, 0},
    {L"General", L"InstallOpen", SettingBool, L"1", "set_instopen", "seth_instopen", 0, L"", 0, 0},
    {L"View", L"Colors", SettingChoice, L"standard", "set_colors", "seth_colors", 1, L"standard|light|dark", 0, 0},
    {L"View", L"HighlightDays", SettingInt, L"14", "set_highlight", "seth_highlight", 1, L"", 0, 365},
    {L"View", L"KeyBar", SettingBool, L"1", "set_keybar", "seth_keybar", 1, L"", 0, 0},
    {L"View", L"PathDisplay", SettingChoice, L"ini", "set_pathdisplay", "seth_pathdisplay", 1, L"ini|vars|resolved", 0, 0},
    {L"Probe", L"Timeout", SettingInt, L"5", "set_timeout", "seth_timeout", 2, L"", 2, 60},
    {L"Probe", L"Background", SettingBool, L"1", "set_background", "seth_background", 2, L"", 0, 0},
    {L"Diagnostics", L"DebugLog", SettingBool, L"0", "set_debuglog", "seth_debuglog", 3, L"", 0, 0},
}};

std::map<std::wstring, std::wstring> SettingsValues;
std::map<std::wstring, std::wstring> PendingSettings;
bool DebugArg = false;

namespace {

// Worker threads read the time limit while the settings sheet may change it.
std::atomic<int> probeTimeoutMs{5000};

bool AllDigits(const std::wstring& s) {
    if (s.empty()) return false;
    for (wchar_t c : s)
        if (c < L'0' || c > L'9') return false;
    return true;
}

std::wstring RowKey(const SettingDef& row) { return JoinSlash(row.section, row.key); }

}  // namespace

std::wstring NormalizeSettingValue(const SettingDef& row, const std::wstring& raw) {
    switch (row.type) {
    case SettingBool:
        return raw == L"1" || raw == L"0" ? raw : row.defaultValue;
    case SettingInt: {
        if (!AllDigits(raw)) return row.defaultValue;
        // StrToInt saturates, so a number too long for an int lands on the maximum
        // instead of wrapping into the range from below.
        int v = StrToInt(raw);
        if (v > row.maximum) v = row.maximum;
        if (v < row.minimum) v = row.minimum;
        return std::to_wstring(v);
    }
    default:
        return raw;
    }
}

std::wstring GetSetting(const std::wstring& section, const std::wstring& key) {
    for (const SettingDef& row : SettingsTable) {
        if (section != row.section || key != row.key) continue;
        auto it = SettingsValues.find(RowKey(row));
        return it != SettingsValues.end() ? it->second : row.defaultValue;
    }
    auto it = SettingsValues.find(JoinSlash(section, key));
    return it != SettingsValues.end() ? it->second : std::wstring();
}

std::wstring SettingValueAt(size_t row) {
    if (row >= SettingsTable.size()) return {};
    const SettingDef& def = SettingsTable[row];
    auto it = PendingSettings.find(RowKey(def));
    return it != PendingSettings.end() ? it->second : GetSetting(def.section, def.key);
}

void LoadSettings(const std::wstring& iniPath) {
    // A value of its own that no INI holds tells a missing key from an empty one.
    const wchar_t marker[] = {wchar_t(1), 0};
    SettingsValues.clear();
    std::vector<wchar_t> buf(1024);
    for (const SettingDef& row : SettingsTable) {
        DWORD n = GetPrivateProfileStringW(row.section, row.key, marker, buf.data(),
                                           static_cast<DWORD>(buf.size()), iniPath.c_str());
        std::wstring value(buf.data(), n);
        if (value == marker) continue;
        SettingsValues[RowKey(row)] = NormalizeSettingValue(row, value);
    }
}

bool SaveSettings(const std::wstring& iniPath) {
    bool ok = true;
    for (const SettingDef& row : SettingsTable)
        ok = WriteOwnIniValue(iniPath, row.section, row.key, GetSetting(row.section, row.key).c_str()) && ok;
    return ok;
}

void ApplyDiagSettings() {
    probeTimeoutMs = StrToInt(GetSetting(L"Probe", L"Timeout")) * 1000;
    DebugLogOn = DebugArg || GetSetting(L"Diagnostics", L"DebugLog") == L"1";
}

int ProbeTimeoutMs() { return probeTimeoutMs; }
