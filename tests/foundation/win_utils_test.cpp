#include <doctest/doctest.h>
#include <windows.h>

#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"
#include "support/test_support.h"

using namespace std::literals;

TEST_CASE("text bytes: UTF-8 counted, ANSI up to the first NUL and never past the buffer") {
    CHECK(StrToUtf8(L"\u00e4\u20ac") == "\xC3\xA4\xE2\x82\xAC");
    CHECK(Utf8ToWide("a\0b"sv) == L"a\0b"s);
    CHECK(AnsiToWide("OK\0junk"sv) == L"OK");
    CHECK(AnsiToWide(std::string_view("xxxxxxxx", 3)) == L"xxx");
    CHECK(AnsiToWide(std::string_view()) == L"");
}

TEST_CASE("text files are decoded by their byte-order mark") {
    std::wstring dir = FreshTempDir(L"textfiles"), f = PathJoin(dir, L"t.txt");
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"\xEF\xBB\xBF\xC3\xA4x", L"\u00e4x"},
        {"\xEF\xBB", L"\u00ef\u00bb"},      // too short for the UTF-8 mark: ANSI
        {"\xFF\xFE" "a\0b\0c"s, L"ab"},     // an odd last byte is dropped
        {"\xFF\xFE" "x", L""},
        {"", L""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.bytes);
        WriteFileBytes(f, c.bytes);
        CHECK(ReadTextFileAuto(f, 1 << 20) == c.text);
        CHECK(FileHasUtf8Bom(f) == (c.bytes.size() >= 3 && c.bytes[0] == '\xEF'));
    }
    WriteFileBytes(f, "abcdef");
    CHECK(ReadTextFileAuto(f, 4) == L"abcd");
    CHECK(ReadTextFileAuto(f + L".none", 100) == L"");
    RemoveTree(dir);
}

TEST_CASE("folders, file stamps, sizes and versions") {
    std::wstring dir = FreshTempDir(L"files"), deep = PathJoin(dir, L"a\\b\\c"), f = PathJoin(dir, L"p.wlx");
    CHECK(MakeDirs(deep));
    CHECK(MakeDirs(deep));
    CHECK_FALSE(FileExists(deep));
    WriteFileBytes(f, "12345");
    CHECK_FALSE(MakeDirs(PathJoin(f, L"sub")));

    FILETIME ft;
    SYSTEMTIME st = {2024, 1, 0, 31, 23, 30, 59, 0};
    SystemTimeToFileTime(&st, &ft);
    HANDLE h = CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    CHECK(FileStamp(f) == L"2024-01-31 23:30Z|5");
    WriteFileBytes(f + L"64", "1234567");
    CHECK(FileStamp(f).substr(17) == L"|7");
    CHECK(FileStamp(PathJoin(dir, L"none")) == L"");

    std::vector<std::wstring> list;
    uint64_t total = 10;
    for (const std::wstring& p : {f, deep, PathJoin(dir, L"none")}) AddExistingFile(list, total, p);
    CHECK((list == std::vector<std::wstring>{f} && total == 15));

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);  // carries version 2.10.0.0
    CHECK(FileVersionText(self, false) == L"2.10");
    CHECK(FileVersionText(self, true) == L"2.10.0.0");
    CHECK(FileVersionText(f, false) == L"");
    RemoveTree(dir);
}

TEST_CASE("environment: long values count as unset") {
    ScopedEnv fits(L"KV_FITS", std::wstring(519, L'y').c_str()), tooLong(L"KV_LONG", std::wstring(520, L'x').c_str());
    ScopedEnv shortVar(L"KV_SHORT", L"abc");
    CHECK(EnvGet(L"KV_FITS").size() == 519);
    CHECK(EnvGet(L"KV_LONG") == L"");
    CHECK(EnvExpand(L"%KV_SHORT%\\x %KV_UNSET_VAR%") == L"abc\\x %KV_UNSET_VAR%");
}

TEST_CASE("INI sections keep order, repeats and blanks of values, and may exceed the first buffer") {
    std::wstring dir = FreshTempDir(L"ini"), ini = PathJoin(dir, L"wincmd.ini");
    std::string text = "[ListerPlugins]\r\n0=a.wlx\r\nnoequals\r\n0=b.wlx\r\n[Lister]\r\nMultiMedia= 1 \r\n[Big]\r\n";
    for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + "=" + std::string(20, 'v') + "\r\n";
    WriteFileBytes(ini, text);
    IniPairs pairs = ReadIniSection(ini, L"ListerPlugins");
    CHECK(pairs == IniPairs{{L"0", L"a.wlx"}, {L"0", L"b.wlx"}});
    CHECK(ReadIniSection(ini, L"Big").size() == 3000);
    CHECK(ReadListerKey(ini, L"multimedia") == L"1");
    CHECK(IniHasSection(ini, L"listerplugins"));
    CHECK_FALSE(IniHasSection(ini, L"ContentPlugins"));
    RemoveTree(dir);
}

TEST_CASE("time stamps: days and minutes since 1601, invalid dates refused") {
    CHECK(StrParseDateDays(L"1601-01-02 12:00") == doctest::Approx(1.5));
    CHECK(StrParseDateDays(L"1601-01-03") == doctest::Approx(2.0));
    for (const wchar_t* bad : {L"2024-02-30 10:00", L"2024-02", L""}) CHECK(StrParseDateDays(bad) == -1.0);
    CHECK(ParseUtcStamp(L"1601-01-02T01:05") == 1505u);
    CHECK_FALSE(ParseUtcStamp(L"1601-01-01 01:0").has_value());
    CHECK_FALSE(ParseUtcStamp(L"2024-13-01 00:00").has_value());
    CHECK(StampToLocalText(L"2024-01-31 23:30|1234") == L"2024-01-31 23:30");
    CHECK(StampToLocalText(L"garbage-text-thatZ|1") == L"garbage-text-that");
}

// Run with TZ=Europe/Berlin.
TEST_SUITE("local-time") {
    TEST_CASE("UTC file times are shown in the zone rules of their date") {
        CHECK(StampToLocalText(L"2024-01-31 23:30Z|1234") == L"2024-02-01 00:30");
        CHECK(StampToLocalText(L"2024-07-31 23:30Z") == L"2024-08-01 01:30");
        FILETIME ft;
        SYSTEMTIME utc = {2024, 7, 0, 31, 22, 15, 5, 0};
        SystemTimeToFileTime(&utc, &ft);
        CHECK(StrFileTime(ft, false) == L"2024-08-01");
        CHECK(StrFileTime(ft, true) == L"00:15:05");
    }
}
