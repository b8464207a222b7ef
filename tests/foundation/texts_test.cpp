#include <doctest/doctest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <set>
#include <thread>

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "support/test_support.h"

namespace {

std::multiset<std::wstring> Placeholders(const std::wstring& text) {
    std::multiset<std::wstring> found;
    for (size_t i = 0; i + 2 < text.size(); ++i)
        if (text[i] == L'{' && text[i + 1] >= L'a' && text[i + 1] <= L'z' && text[i + 2] == L'}')
            found.insert(text.substr(i, 3));
    return found;
}

size_t CountOf(const std::wstring& text, wchar_t c) { return std::count(text.begin(), text.end(), c); }

void UseLanguage(const std::wstring& setting) {
    SettingsValues[L"General/Language"] = setting;
    InitLanguage();
}

// The checkout the tests were built from, as Wine sees it.
std::wstring SourcePath(const std::wstring& rel) {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(L"KV_TEST_SOURCE", buf, 1024);
    std::wstring unix(buf, n < 1024 ? n : 0);
    std::replace(unix.begin(), unix.end(), L'/', L'\\');
    return PathJoin(L"Z:" + unix, rel);
}

void CollectSources(const std::wstring& dir, std::vector<std::wstring>& files) {
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(PathJoin(dir, L"*").c_str(), &fd));
    if (!find) return;
    do {
        std::wstring name = fd.cFileName, path = PathJoin(dir, name);
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectSources(path, files);
        else if (name.ends_with(L".cpp") || name.ends_with(L".h"))
            files.push_back(path);
    } while (FindNextFileW(find.Get(), &fd));
}

}  // namespace

TEST_CASE("the text table holds 933 unique keys, complete in both languages") {
    auto table = TextTable();
    REQUIRE(table.size() == 933);
    CHECK(std::string(table.front().key) == "app_title");
    CHECK(std::string(table.back().key) == "det_pending");

    std::set<std::string> keys, closedPrefixes;
    std::string lastPrefix;
    const std::regex keyShape("[a-z0-9]+_[a-z0-9_]*");
    for (const TextRow& row : table) {
        std::string key = row.key, prefix = key.substr(0, key.find('_') + 1);
        CAPTURE(key);
        CHECK(std::regex_match(key, keyShape));
        CHECK(keys.insert(key).second);
        // Keys of one prefix stand together, so a row added at the wrong place shows.
        if (prefix != lastPrefix) {
            CHECK(closedPrefixes.insert(prefix).second);
            lastPrefix = prefix;
        }
        std::wstring en = row.english, de = row.german;
        CHECK(!StrTrim(en).empty());
        CHECK(!StrTrim(de).empty());
        CHECK(Placeholders(en) == Placeholders(de));
        CHECK(CountOf(en, L'\n') == CountOf(de, L'\n'));
        CHECK(CountOf(en, L'\t') == CountOf(de, L'\t'));
    }
}

TEST_CASE("every text key the program asks for is in the table") {
    std::set<std::string> keys;
    for (const TextRow& row : TextTable()) keys.insert(row.key);

    std::vector<std::wstring> files;
    CollectSources(SourcePath(L"src"), files);
    REQUIRE(files.size() > 10);
    // The literals inside Tr(...), including both arms of a choice between keys.
    const std::regex call(R"(\bTr\(([^;]*?)\)\s*[,;)+])");
    const std::regex literal(R"re("([a-z0-9]+_[a-z0-9_]*)")re");
    size_t asked = 0;
    for (const std::wstring& file : files) {
        std::string text = ReadFileBytes(file);
        for (std::sregex_iterator c(text.begin(), text.end(), call), end; c != end; ++c) {
            std::string args = (*c)[1];
            for (std::sregex_iterator l(args.begin(), args.end(), literal); l != end; ++l) {
                ++asked;
                CAPTURE(std::string(file.begin(), file.end()));
                CHECK(keys.count((*l)[1]) == 1);
            }
        }
    }
    CHECK(asked > 0);
}

TEST_CASE("Tr, FindingActionText and LangCode follow the chosen language") {
    UseLanguage(L"eng");
    CHECK(LangCode() == L"eng");
    CHECK(Tr("app_title") == L"Kestrovane – Check, understand and manage plugins");
    CHECK(Tr("no_such_key") == L"no_such_key");
    CHECK(FindingActionText(L"dup") == L"delete the later entry");
    CHECK(FindingActionText(L"no_such_kind") == L"");

    UseLanguage(L"deu");
    CHECK(LangCode() == L"deu");
    CHECK(Tr("tab_findings") == L"Befunde");
    CHECK(FindingActionText(L"dup") == L"den späteren Eintrag löschen");

    // A setting naming a language nobody offers is passed over.
    UseLanguage(L"xxq");
    CHECK(LangCode() != L"xxq");
    UseLanguage(L"eng");
}

TEST_CASE("FillVar replaces every occurrence once and never searches what it inserted") {
    struct Case {
        const wchar_t *tmpl, *name, *value, *expected;
    };
    const Case cases[] = {
        {L"{n} of {n}", L"n", L"3", L"3 of 3"},
        {L"{n} of {n}", L"n", L"{n}", L"{n} of {n}"},
        {L"{n}{n}", L"n", L"x{n}", L"x{n}x{n}"},
        {L"a {m} b", L"n", L"3", L"a {m} b"},
        {L"a {n} b", L"n", L"", L"a  b"},
        {L"", L"n", L"3", L""},
    };
    for (const Case& c : cases) {
        CAPTURE(std::wstring(c.tmpl));
        CHECK(FillVar(c.tmpl, c.name, c.value) == c.expected);
    }
}

TEST_CASE("the language comes from the setting, then TC, then Windows") {
    const LanguageFiles found = {{L"fra", L"C:\\x\\fra.lng"}};
    const unsigned german = 0x0407, french = 0x040C, danish = 0x0406, english = 0x0409;
    struct Case {
        const wchar_t* setting;
        std::optional<std::wstring> tc;
        unsigned ui;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"auto", std::nullopt, german, L"deu"},
        {L"auto", std::nullopt, danish, L"eng"},  // no file offers "dan"
        {L"auto", std::nullopt, french, L"fra"},
        {L"auto", L"", german, L"eng"},  // TC in English decides over Windows
        {L"auto", L"%COMMANDER_PATH%\\LANGUAGE\\WCMD_FRA.LNG", english, L"fra"},
        {L"auto", L"WCMD_DAN.LNG", german, L"deu"},  // TC's language unavailable
        {L"auto", L"WCMD_DEUTSCH.LNG", english, L"eng"},  // not a three-letter code
        {L"auto", L"DEU.LNG", english, L"deu"},  // no '_': the whole stem
        {L"eng", L"WCMD_DEU.LNG", german, L"eng"},
        {L"FRA", std::nullopt, german, L"FRA"},  // keeps the setting's letter case
        {L"ita", L"WCMD_DEU.LNG", english, L"deu"},
        {L"ita", std::nullopt, 0x0410, L"eng"},
    };
    for (const Case& c : cases) {
        CAPTURE(std::wstring(c.setting));
        CAPTURE(c.tc.value_or(L"<no ini>"));
        CHECK(ChooseLanguage(found, c.setting, c.tc, c.ui) == c.expected);
    }
    CHECK(IsLanguageAvailable({}, L"deu"));
    CHECK_FALSE(IsLanguageAvailable({}, L"DEU"));
    CHECK(IsLanguageAvailable(found, L"Fra"));
}

TEST_CASE("a reader thread never sees a half-switched language") {
    const std::wstring en = TextTable()[0].english, de = TextTable()[0].german;
    UseLanguage(L"eng");
    std::atomic<bool> stop{false};
    std::atomic<long> bad{0}, reads{0};
    std::thread reader([&] {
        while (!stop) {
            std::wstring title = Tr("app_title");
            std::wstring code = LangCode();
            if (title != en && title != de) ++bad;
            if (code != L"eng" && code != L"deu") ++bad;
            ++reads;
        }
    });
    for (int i = 0; i < 200; ++i) UseLanguage(i % 2 ? L"deu" : L"eng");
    stop = true;
    reader.join();
    CHECK(bad == 0);
    CHECK(reads > 0);
    UseLanguage(L"eng");
}

namespace {

std::wstring LanguageDir() { return PathJoin(AppDir(), L"Language"); }

void WriteLng(const std::wstring& name, const std::wstring& text) {
    WriteFileBytes(PathJoin(LanguageDir(), name), "\xFF\xFE" + Utf16Bytes(text));
}

}  // namespace

// Needs the folder Language beside the test program to itself: runs as its own
// ctest entry (see CMakeLists.txt) and is skipped in the ordinary run.
TEST_CASE("language files add languages and override single texts" * doctest::test_suite("langfiles") *
          doctest::skip()) {
    RemoveTree(LanguageDir());
    REQUIRE(CreateDirectoryW(LanguageDir().c_str(), nullptr));
    WriteLng(L"b.lng", L"[fra]\r\nlang_name=from b\r\napp_title=B\r\n");
    WriteLng(L"a.lng",
             L"[ FRA ]\r\nlang_name=  Français  \r\napp_title=Kestrovane – Greffons\r\n"
             L"tab_lister=Ligne 1\\nLigne 2\\tfin\r\ntab_fs=a\\\\nb\r\ntab_packer=x=y\r\n"
             L"[deu]\r\ntab_inventory=Inventar\r\n");
    WriteLng(L"example.lng", L"[xxa]\r\napp_title=no\r\n");
    WriteLng(L"Example_fra.lng", L"[xxb]\r\napp_title=no\r\n");
    CreateDirectoryW(PathJoin(LanguageDir(), L"dir.lng").c_str(), nullptr);

    LanguageFiles found = ScanLanguageFiles();
    CHECK(found.size() == 2);
    CHECK(found[L"fra"] == PathJoin(LanguageDir(), L"a.lng"));
    CHECK(found.count(L"deu") == 1);
    CHECK(LanguageDisplayName(L"fra") == L"Français");
    CHECK(LanguageDisplayName(L"eng") == L"English");
    CHECK(LanguageDisplayName(L"deu") == L"Deutsch");
    CHECK(LanguageDisplayName(L"xxa") == L"xxa");

    SUBCASE("a language of its own falls back to English per key") {
        UseLanguage(L"fra");
        CHECK(LangCode() == L"fra");
        CHECK(Tr("app_title") == L"Kestrovane – Greffons");
        CHECK(Tr("tab_lister") == L"Ligne 1\nLigne 2\tfin");
        CHECK(Tr("tab_fs") == L"a\\\nb");
        CHECK(Tr("tab_packer") == L"x=y");
        CHECK(Tr("tab_findings") == L"Findings");
    }
    SUBCASE("a file's section completes the built-in German") {
        UseLanguage(L"deu");
        CHECK(Tr("tab_inventory") == L"Inventar");
        CHECK(Tr("tab_findings") == L"Befunde");
    }
    SUBCASE("ignored files offer nothing") {
        UseLanguage(L"xxa");
        CHECK(LangCode() != L"xxa");
    }
    UseLanguage(L"eng");
    RemoveTree(LanguageDir());
}
