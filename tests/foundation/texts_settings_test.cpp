#include <doctest/doctest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "support/test_support.h"

namespace {

std::multiset<std::wstring> Placeholders(const std::wstring& text) {
    std::multiset<std::wstring> found;
    const std::wregex placeholder(L"\\{[a-z]\\}");
    for (std::wsregex_iterator m(text.begin(), text.end(), placeholder), end; m != end; ++m) found.insert(m->str());
    return found;
}

void UseLanguage(const std::wstring& setting) {
    SettingsValues[L"General/Language"] = setting;
    InitLanguage(std::nullopt);
}

}  // namespace

TEST_CASE("the text table holds at least the 933 original keys, unique, complete in both languages") {
    auto table = TextTable();
    REQUIRE(table.size() >= 933);
    CHECK(std::string(table.front().key) == "app_title");
    CHECK(std::string(table.back().key) == "det_pending");
    std::set<std::string> keys, closedPrefixes;
    std::string lastPrefix;
    for (const TextRow& row : table) {
        std::string key = row.key, prefix = key.substr(0, key.find('_') + 1);
        CAPTURE(key);
        CHECK(keys.insert(key).second);
        // Keys of one prefix stand together, so a row added at the wrong place shows.
        if (prefix != lastPrefix) CHECK(closedPrefixes.insert(lastPrefix = prefix).second);
        std::wstring en = row.english, de = row.german;
        CHECK((!StrTrim(en).empty() && !StrTrim(de).empty()));
        CHECK(Placeholders(en) == Placeholders(de));
        for (wchar_t c : {L'\n', L'\t'}) CHECK(std::count(en.begin(), en.end(), c) == std::count(de.begin(), de.end(), c));
    }
}

TEST_CASE("every text key the program asks for is in the table") {
    std::set<std::string> keys;
    for (const TextRow& row : TextTable()) keys.insert(row.key);
    // The literals inside Tr(...), including both arms of a choice between keys.
    const std::regex call(R"(\bTr\(([^;]*?)\)\s*[,;)+])"), literal(R"re("([a-z0-9]+_[a-z0-9_]*)")re");
    size_t asked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(L"Z:" + EnvGet(L"KV_TEST_SOURCE") + L"/src")) {
        std::wstring file = entry.path().wstring();
        if (!file.ends_with(L".cpp") && !file.ends_with(L".h")) continue;
        std::string text = ReadFileBytes(file);
        for (std::sregex_iterator c(text.begin(), text.end(), call), end; c != end; ++c) {
            std::string args = (*c)[1];
            for (std::sregex_iterator l(args.begin(), args.end(), literal); l != end; ++l, ++asked) {
                CAPTURE(std::string(file.begin(), file.end()));
                CHECK(keys.count((*l)[1]) == 1);
            }
        }
    }
    CHECK(asked > 50);
}

TEST_CASE("Tr, FindingActionText and LangCode follow the chosen language, never half-switched for a reader") {
    UseLanguage(L"deu");
    CHECK(LangCode() == L"deu");
    CHECK(Tr("tab_findings") == L"Befunde");
    CHECK(FindingActionText(L"dup") == L"den späteren Eintrag löschen");
    UseLanguage(L"eng");
    CHECK(Tr("app_title") == L"Kestrovane – Check, understand and manage plugins");
    CHECK(Tr("no_such_key") == L"no_such_key");
    CHECK(FindingActionText(L"dup") == L"delete the later entry");
    CHECK(FindingActionText(L"no_such_kind") == L"");

    const std::wstring en = TextTable()[0].english, de = TextTable()[0].german;
    std::atomic<bool> stop{false};
    std::atomic<long> bad{0}, reads{0};
    std::thread reader([&] {
        for (; !stop; ++reads) {
            std::wstring title = Tr("app_title"), code = LangCode();
            if ((title != en && title != de) || (code != L"eng" && code != L"deu")) ++bad;
        }
    });
    for (int i = 0; i < 200; ++i) UseLanguage(i % 2 ? L"eng" : L"deu");  // ends in English
    stop = true;
    reader.join();
    CHECK(bad == 0);
    CHECK(reads > 0);
}

TEST_CASE("FillVar fills every occurrence once and never searches what it inserted") {
    CHECK(FillVar(L"{n} of {n}", L"n", L"3") == L"3 of 3");
    CHECK(FillVar(L"{n}{n}", L"n", L"x{n}") == L"x{n}x{n}");
    CHECK(FillVar(L"{n}{n} {m}", L"n", L"") == L" {m}");
}

TEST_CASE("FillVars fills all placeholders in one pass: a value that holds another placeholder stays as it is") {
    // Filled one after the other, the name's "{n}" would take the method, and a method
    // text holding "{f}" would put the name into itself again.
    CHECK(FillVars(L"method {n}: {f}", {{L"f", L"a{n}b.txt"}, {L"n", L"12"}}) == L"method 12: a{n}b.txt");
    CHECK(FillVars(L"{n}/{f}", {{L"n", L"{f}{f}"}, {L"f", L"{n}{n}"}}) == L"{f}{f}/{n}{n}");
    CHECK(FillVars(L"{{n}} {x} {n", {{L"n", L"1"}}) == L"{1} {x} {n");
    CHECK(FillVars(L"{} {n}{}", {{L"", L"e"}, {L"n", L"1"}}) == L"e 1e");
    CHECK(FillVars(L"plain", {}) == L"plain");
}

TEST_CASE("the language comes from the setting, then TC, then Windows") {
    const LanguageFiles found = {{L"fra", L"C:\\x\\fra.lng"}, {L"deutsch", L"C:\\x\\d.lng"}};
    const unsigned german = 0x0407, french = 0x040C, danish = 0x0406, english = 0x0409;
    // setting, TC's LanguageIni (none: no wincmd.ini), Windows' UI language, the choice
    const std::tuple<const wchar_t*, std::optional<std::wstring>, unsigned, const wchar_t*> cases[] = {
        {L"auto", std::nullopt, german, L"deu"},
        {L"auto", std::nullopt, danish, L"eng"},  // no file offers "dan"
        {L"auto", std::nullopt, french, L"fra"},
        {L"auto", L"", german, L"eng"},  // TC in English decides over Windows
        {L"auto", L"%COMMANDER_PATH%\\LANGUAGE\\WCMD_FRA.LNG", english, L"fra"},
        {L"auto", L"WCMD_DAN.LNG", german, L"deu"},  // TC's language unavailable
        {L"auto", L"WCMD_DEUTSCH.LNG", english, L"eng"},  // not a three-letter code
        {L"auto", L"DEU.LNG", english, L"deu"},  // no '_': the whole stem
        {L"eng", L"WCMD_DEU.LNG", german, L"eng"},
        {L"ita", L"WCMD_DEU.LNG", english, L"deu"},
    };
    for (const auto& [setting, tc, ui, expected] : cases) {
        CAPTURE(std::wstring(setting) + L" " + tc.value_or(L"<no ini>"));
        CHECK(ChooseLanguage(found, setting, tc, ui) == expected);
    }
}

// Needs the folder Language beside the test program to itself: runs as its own
// ctest entry (see CMakeLists.txt) and is skipped in the ordinary run.
TEST_CASE("language files add languages and override single texts" * doctest::test_suite("langfiles") *
          doctest::skip()) {
    const std::wstring dir = PathJoin(AppDir(), L"Language");
    RemoveTree(dir);
    REQUIRE(CreateDirectoryW(dir.c_str(), nullptr));
    WriteFileBytes(PathJoin(dir, L"b.lng"), "[fra]\r\nlang_name=from b\r\napp_title=B\r\n");
    WriteFileBytes(PathJoin(dir, L"Example_fra.lng"), "[xxb]\r\napp_title=no\r\n");
    WriteFileBytes(PathJoin(dir, L"a.lng"), "\xFF\xFE" + Utf16Bytes(L"[ FRA ]\r\nlang_name=  Français  \r\napp_title=Kestrovane – Greffons\r\n"
        L"tab_lister=Ligne 1\\nLigne 2\\tfin\r\ntab_packer=x=y\r\n[deu]\r\ntab_inventory=Inventar\r\n"));
    CreateDirectoryW(PathJoin(dir, L"dir.lng").c_str(), nullptr);

    LanguageFiles found = ScanLanguageFiles();
    CHECK(found == LanguageFiles{{L"deu", PathJoin(dir, L"a.lng")}, {L"fra", PathJoin(dir, L"a.lng")}});
    CHECK(LanguageDisplayName(L"fra") == L"Français");

    UseLanguage(L"fra");  // a language of its own falls back to English per key
    CHECK(LangCode() == L"fra");
    CHECK(Tr("app_title") == L"Kestrovane – Greffons");
    CHECK(Tr("tab_lister") == L"Ligne 1\nLigne 2\tfin");
    CHECK(Tr("tab_packer") == L"x=y");
    CHECK(Tr("tab_findings") == L"Findings");
    UseLanguage(L"deu");  // a file's section completes the built-in German
    CHECK(Tr("tab_inventory") == L"Inventar");
    CHECK(Tr("tab_findings") == L"Befunde");
    UseLanguage(L"eng");
    RemoveTree(dir);
}

TEST_CASE("raw setting values are cleaned by type and range") {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"Timeout", L"90", L"60"}, {L"Timeout", L"1", L"2"}, {L"Timeout", L"0007", L"7"}, {L"HighlightDays", L"0", L"0"},
        // Not plain digits: the default, though _wtoi would read a number.
        {L"Timeout", L"-5", L"5"}, {L"Timeout", L" 7", L"5"}, {L"Timeout", L"", L"5"},
        // Too many digits for an int: the maximum, not a wrapped-around value.
        {L"Timeout", L"99999999999999999999", L"60"}, {L"HighlightDays", L"4294967296", L"365"},
        {L"KeyBar", L"yes", L"1"}, {L"KeyBar", L"0", L"0"}, {L"DebugLog", L"true", L"0"},
        {L"Colors", L"purple", L"purple"}, {L"OpenInTc", L" /O %d ", L" /O %d "},
    };
    for (const auto& [key, raw, expected] : cases) {
        CAPTURE(std::wstring(key) + L"=" + raw);
        auto row = std::find_if(SettingsTable.begin(), SettingsTable.end(), [&](auto& r) { return key == std::wstring(r.key); });
        CHECK(NormalizeSettingValue(*row, raw) == expected);
    }
}

TEST_CASE("settings load cleaned, fall back to defaults and save all rows") {
    std::wstring dir = FreshTempDir(L"settings"), ini = PathJoin(dir, L"Kestrovane.ini");
    WriteFileBytes(ini, "\xFF\xFE" + Utf16Bytes(L"[Probe]\r\nTimeout=90\r\n[View]\r\nKeyBar=yes\r\nColors=purple\r\n"
                                                  L"[General]\r\nOpenInTc=\r\nDoubleClick=edit\r\n"));
    LoadSettings(ini);
    CHECK(SettingsValues == std::map<std::wstring, std::wstring>{{L"Probe/Timeout", L"60"}, {L"View/KeyBar", L"1"},
              {L"View/Colors", L"purple"}, {L"General/OpenInTc", L""}, {L"General/DoubleClick", L"edit"}});
    CHECK(GetSetting(L"General", L"Language") == L"auto");

    PendingSettings[L"Probe/Timeout"] = L"30";  // edited on the sheet, not applied yet
    CHECK((SettingValueAt(9) == L"30" && SettingValueAt(2) == L"edit" && GetSetting(L"Probe", L"Timeout") == L"60"));
    PendingSettings.clear();
    ApplyDiagSettings();
    CHECK(ProbeTimeoutMs() == 60000);

    std::wstring saved = PathJoin(dir, L"saved.ini");
    CHECK(SaveSettings(saved));
    CHECK(ReadFileBytes(saved).starts_with("\xFF\xFE"));
    for (const SettingDef& row : SettingsTable) {
        IniPairs pairs = ReadIniSection(saved, row.section);
        CHECK(std::count(pairs.begin(), pairs.end(), IniPairs::value_type(row.key, GetSetting(row.section, row.key))) == 1);
    }

    LoadSettings(PathJoin(dir, L"missing.ini"));
    CHECK(SettingsValues.empty());
    ApplyDiagSettings();
    CHECK(ProbeTimeoutMs() == 5000);
    RemoveTree(dir);

    // The /debug switch turns the debug log on whatever the setting says.
    const std::tuple<bool, const wchar_t*, bool> debug[] = {{true, L"0", true}, {false, L"0", false}, {false, L"1", true}};
    for (const auto& [arg, setting, on] : debug) {
        SettingsValues = {{L"Diagnostics/DebugLog", setting}};
        DebugArg = arg;
        ApplyDiagSettings();
        CHECK(DebugLogOn == on);
    }
    DebugArg = DebugLogOn = false;
    SettingsValues.clear();
}
