#include <doctest/doctest.h>
#include <windows.h>

#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"
#include "support/test_support.h"

TEST_CASE("encodings") {
    CHECK(StrToUtf8(L"\u00e4\u20ac") == "\xC3\xA4\xE2\x82\xAC");
    CHECK(Utf8ToWide(std::string_view("a\0b", 3)) == std::wstring(L"a\0b", 3));
    CHECK(Utf8ToWide("") == L"");
    // ANSI bytes end at the first NUL, and a buffer without one is read only to its end.
    CHECK(AnsiToWide(std::string_view("OK\0junk", 7)) == L"OK");
    std::string block(8, 'x');
    CHECK(AnsiToWide(std::string_view(block.data(), 3)) == L"xxx");
    CHECK(AnsiToWide(std::string_view()) == L"");
}

TEST_CASE("text files are decoded by their byte-order mark") {
    std::wstring dir = FreshTempDir(L"textfiles");
    std::wstring f = PathJoin(dir, L"t.txt");
    struct Case {
        std::string bytes;
        std::wstring text;
        bool utf8Bom;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF\xC3\xA4x", L"\u00e4x", true},
        {"\xEF\xBB", L"\u00ef\u00bb", false},  // too short for the mark: ANSI
        {std::string("\xFF\xFE" "a\0b\0c", 7), L"ab", false},  // an odd last byte is dropped
        {"\xFF\xFE" "x", L"", false},
        {"plain", L"plain", false},
        {"", L"", false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.bytes);
        WriteFileBytes(f, c.bytes);
        CHECK(ReadTextFileAuto(f, 1 << 20) == c.text);
        CHECK(FileHasUtf8Bom(f) == c.utf8Bom);
    }
    WriteFileBytes(f, "abcdef");
    CHECK(ReadTextFileAuto(f, 4) == L"abcd");
    CHECK(ReadTextFileAuto(PathJoin(dir, L"missing.txt"), 100) == L"");
    CHECK_FALSE(FileHasUtf8Bom(PathJoin(dir, L"missing.txt")));
    RemoveTree(dir);
}

TEST_CASE("files, folders and stamps") {
    std::wstring dir = FreshTempDir(L"files");
    std::wstring deep = PathJoin(dir, L"a\\b\\c");
    CHECK(MakeDirs(deep));
    CHECK(MakeDirs(deep));
    CHECK_FALSE(FileExists(deep));
    std::wstring f = PathJoin(dir, L"plugin.wlx");
    WriteFileBytes(f, "12345");
    CHECK(FileExists(f));
    CHECK_FALSE(MakeDirs(PathJoin(f, L"sub")));

    SUBCASE("a stamp holds the UTC minute and the size, and prefers the 64-bit twin") {
        HANDLE h = CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SYSTEMTIME st = {2024, 1, 0, 31, 23, 30, 59, 0};
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
        CHECK(FileStamp(f) == L"2024-01-31 23:30Z|5");
        WriteFileBytes(f + L"64", "1234567");
        CHECK(FileStamp(f).substr(17) == L"|7");
        CHECK(FileStamp(PathJoin(dir, L"none.wlx")) == L"");
    }

    SUBCASE("existing files are collected with their sizes") {
        std::vector<std::wstring> list;
        uint64_t total = 10;
        AddExistingFile(list, total, f);
        AddExistingFile(list, total, deep);
        AddExistingFile(list, total, PathJoin(dir, L"none"));
        CHECK(list == std::vector<std::wstring>{f});
        CHECK(total == 15);
    }

    SUBCASE("relative paths become absolute in the current folder") {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        CHECK(FullPath(L"wincmd.ini") == PathJoin(cwd, L"wincmd.ini"));
        CHECK(FullPath(L"") == L"");
    }
    RemoveTree(dir);
}

TEST_CASE("file versions drop trailing zero parts unless asked to keep them") {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    CHECK(FileVersionText(self, false) == L"2.10");
    CHECK(FileVersionText(self, true) == L"2.10.0.0");
    CHECK(FileVersionText(L"Z:\\no\\such.dll", false) == L"");
}

TEST_CASE("environment variables") {
    ScopedEnv longVar(L"KV_LONG", std::wstring(600, L'x').c_str());
    ScopedEnv edgeVar(L"KV_EDGE", std::wstring(519, L'y').c_str());
    ScopedEnv edgeVar2(L"KV_EDGE2", std::wstring(520, L'y').c_str());
    ScopedEnv shortVar(L"KV_SHORT", L"abc");
    CHECK(EnvGet(L"KV_LONG") == L"");
    CHECK(EnvGet(L"KV_EDGE").size() == 519);
    CHECK(EnvGet(L"KV_EDGE2") == L"");
    CHECK(EnvGet(L"KV_UNSET_VAR") == L"");
    CHECK(EnvExpand(L"%KV_SHORT%\\x %KV_UNSET_VAR%") == L"abc\\x %KV_UNSET_VAR%");
    CHECK(EnvExpand(L"") == L"");
}

TEST_CASE("INI helpers") {
    std::wstring dir = FreshTempDir(L"ini");
    std::wstring ini = PathJoin(dir, L"wincmd.ini");

    SUBCASE("sections keep order, repeats and the value's blanks; keys are trimmed") {
        WriteFileBytes(ini, "[ListerPlugins]\r\n0=a.wlx\r\n0_detect=\"EXT=\"\"X\"\"\"\r\n0=b.wlx\r\nnoequals\r\n"
                            "[Lister]\r\nMultiMedia= 1 \r\n");
        IniPairs pairs = ReadIniSection(ini, L"ListerPlugins");
        REQUIRE(pairs.size() == 3);
        CHECK(pairs[0] == std::pair<std::wstring, std::wstring>(L"0", L"a.wlx"));
        CHECK(pairs[1].second == L"\"EXT=\"\"X\"\"\"");
        CHECK(pairs[2].second == L"b.wlx");
        CHECK(IniHasSection(ini, L"listerplugins"));
        CHECK_FALSE(IniHasSection(ini, L"ContentPlugins"));
        CHECK(ReadListerKey(ini, L"multimedia") == L"1");
        CHECK(IniGetString(ini, L"ListerPlugins", L"0_detect") == L"EXT=\"\"X\"\"");
        CHECK(IniGetString(ini, L"ListerPlugins", L"9") == L"");
        CHECK(ReadIniSection(ini, L"Missing").empty());
    }

    SUBCASE("a section larger than the first buffer is read whole") {
        std::string text = "[Big]\r\n";
        for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + "=" + std::string(20, 'v') + "\r\n";
        WriteFileBytes(ini, text);
        IniPairs pairs = ReadIniSection(ini, L"Big");
        REQUIRE(pairs.size() == 3000);
        CHECK(pairs.back().first == L"key2999");
    }
    RemoveTree(dir);
}

TEST_CASE("time stamps") {
    CHECK(StrNowStamp().size() == 16);
    CHECK(StrFileStamp().size() == 15);
    CHECK(StrFileStamp()[8] == L'-');

    SUBCASE("dates as days since 1601") {
        CHECK(StrParseDateDays(L"1601-01-02 00:00") == doctest::Approx(1.0));
        CHECK(StrParseDateDays(L"1601-01-01 12:00") == doctest::Approx(0.5));
        CHECK(StrParseDateDays(L"1601-01-03") == doctest::Approx(2.0));
        CHECK(StrParseDateDays(L"2024-02-30 10:00") == -1.0);
        CHECK(StrParseDateDays(L"2024-02") == -1.0);
        CHECK(StrParseDateDays(L"") == -1.0);
    }

    SUBCASE("UTC stamps as minutes since 1601") {
        CHECK(ParseUtcStamp(L"1601-01-01 01:05") == 65u);
        CHECK(ParseUtcStamp(L"1601-01-02T00:00") == 1440u);
        CHECK_FALSE(ParseUtcStamp(L"1601-01-01 01:0").has_value());
        CHECK_FALSE(ParseUtcStamp(L"2024-13-01 00:00").has_value());
    }

    SUBCASE("display form of file stamps") {
        CHECK(StampToLocalText(L"2024-01-31 23:30|1234") == L"2024-01-31 23:30");
        CHECK(StampToLocalText(L"garbage-text-thatZ|1") == L"garbage-text-that");
        CHECK(StampToLocalText(L"") == L"");
    }
}

TEST_SUITE("local-time") {
    TEST_CASE("UTC file stamps are shown in the zone of their date") {
        CHECK(StampToLocalText(L"2024-01-31 23:30Z|1234") == L"2024-02-01 00:30");
        CHECK(StampToLocalText(L"2024-07-31 23:30Z") == L"2024-08-01 01:30");
        FILETIME ft;
        SYSTEMTIME utc = {2024, 7, 0, 31, 22, 15, 5, 0};
        SystemTimeToFileTime(&utc, &ft);
        CHECK(StrFileTime(ft, false) == L"2024-08-01");
        CHECK(StrFileTime(ft, true) == L"00:15:05");
    }
}
