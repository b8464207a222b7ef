#include <doctest/doctest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>

#include "foundation/case_fold.h"
#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/ini_value_check.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"
#include "foundation/worker_threads.h"
#include "support/ini_compare.h"
#include "support/test_support.h"

using namespace std::literals;
using Words = std::vector<std::wstring>;

namespace {

// Every UTF-16 unit: the first whose fold breaks with StrIEquals (differs from a unit it
// calls equal, is not equal to the unit, or folds again), 0xFFFF when the fold merges
// units it keeps apart, 0 when the fold puts together exactly the units it calls equal.
unsigned FirstUnitFoldedApart(const std::function<std::wstring(std::wstring)>& fold) {
    auto one = [](unsigned c) { return std::wstring(1, (wchar_t)c); };
    std::vector<unsigned> units;
    for (unsigned c = 1; c < 0x10000; ++c) units.push_back(c);
    std::stable_sort(units.begin(), units.end(), [&](unsigned a, unsigned b) { return StrICmp(one(a), one(b)) < 0; });
    std::set<std::wstring> folds;
    size_t classes = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        std::wstring folded = fold(one(units[i]));
        bool sameClass = i > 0 && StrIEquals(one(units[i - 1]), one(units[i]));
        classes += sameClass ? 0 : 1;
        folds.insert(folded);
        bool fits = StrIEquals(folded, one(units[i])) && fold(folded) == folded &&
                    (!sameClass || fold(one(units[i - 1])) == folded);
        if (!fits) return units[i];
    }
    return folds.size() == classes ? 0 : 0xFFFF;
}

}  // namespace

TEST_CASE("text helpers: quoting, the comparison form of detect strings, words, paths and wrapping") {
    CHECK(Unquote(L" \t\"a\" \"b\"\r\n") == L"a\" \"b");
    CHECK(Unquote(L"\"") == L"\"");
    // Each argument comes back whole from the parser every child uses.
    const std::vector<std::wstring> args = {L"C:\\", L"a b\\", L"", L"x\"y", L"\\\\srv\\s\\", L"p\\\\\"q", L"/probe"};
    std::wstring line = L"prog.exe";
    for (const std::wstring& a : args) line += L" " + QuoteArg(a);
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    REQUIRE(argv);
    CHECK(std::vector<std::wstring>(argv + 1, argv + count) == args);
    LocalFree(argv);
    CHECK(QuoteArg(L"/probe") == L"/probe");
    // Case is folded only where TC ignores it; quoted blanks stay.
    const std::pair<const wchar_t*, const wchar_t*> norm[] = {
        {L"\" ext = \"txt\" | size > 0 \"", L"EXT=\"TXT\"|SIZE>0"}, {L"ext!=\"txt\"", L"EXT!=\"TXT\""},
        {L"findi(\"Foo\")", L"FINDI(\"FOO\")"}, {L"find(\"a B\")", L"FIND(\"a B\")"}, {L"[0]=\"f\"", L"[0]=\"f\""}};
    for (const auto& [raw, expected] : norm) CHECK(NormKeyText(raw) == expected);

    CHECK(SplitWords(L", a;;b\tc  ") == Words{L"a", L"b", L"c"});
    CHECK((SplitAt(L",a,,b ,", L',') == Words{L"", L"a", L"", L"b ", L""} && SplitAt(L"", L',') == Words{L""}));
    Words first, second = {L"old"};
    ReplaceWordList(L"a", first, second);
    CHECK((first == Words{L"a"} && second.empty()));
    ReplaceWordList(L"a b|c;d", first, second);
    CHECK((first == Words{L"a", L"b"} && second == Words{L"c", L"d"}));
    CHECK(CompareIndexKeys(L"3, Size", L"03,size"));
    CHECK_FALSE(CompareIndexKeys(L"3,Size", L"4,Size"));
    CHECK(PathJoin(L"C:\\X", L".\\.\\y") == L"C:\\X\\y");
    CHECK(PathJoin(L"C:\\X\\", L"y") == L"C:\\X\\y");
    CHECK(FileStem(L"C:\\a.d\\b.c.ini") == L"b.c");
    CHECK(StrToInt(L"-99999999999") == -2147483647 - 1);
    CHECK(DsWrap(L"EXT=\"A\" | FIND(\"x | y z\") & SIZE>100", 10, L"  ") ==
          L"  EXT=\"A\" |\r\n  FIND(\"x | y z\") &\r\n  SIZE>100\r\n");
    CHECK(StrHasWord(L"xFORCE FORCE", L"FORCE"));
    CHECK_FALSE(StrHasWord(L"xFORCE FORCEx", L"FORCE"));
    CHECK_FALSE(HasCmdVars(L"%D only"));
    CHECK(HasCmdVars(L"edit %f"));
}

TEST_CASE("paths and keys fold as Windows folds file names, in every alphabet") {
    // Whether final ς folds with Σ follows the system's table; the sweep below checks it agrees.
    CHECK((StrIEquals(L"ÜBER", L"über") && StrIEquals(L"Ж", L"ж") && StrIEquals(L"Σ", L"σ") && StrIEquals(L"ÿ", L"Ÿ")));
    CHECK_FALSE((StrIEquals(L"ß", L"SS") || StrIEquals(L"Ü", L"U") || StrIEquals(L"a", L"ab")));
    CHECK((StrICmp(L"über", L"ÜBERALL") < 0 && StrICmp(L"Жук", L"жук") == 0 && StrICmp(L"b", L"A") > 0));
    CHECK(FoldCase(L"C:\\TC\\ÜBER\\Жук_1.WLX") == FoldCase(L"c:\\tc\\über\\жук_1.wlx"));
    CHECK(FoldCase(L"C:\\Plugins\\A_b[1].WLX") == L"c:\\plugins\\a_b[1].wlx");  // as stored files hold ASCII keys
    CHECK(IniValueFromText(L"x=1\r\nÜber=2\r\n", L"über") == L"2");

    CHECK(FirstUnitFoldedApart(FoldCase) == 0);
}

TEST_CASE("a system case mapping that fails leaves no fold case-sensitive") {
    // The second range fails as a call may: the first keeps the system's mapping.
    static int calls = 0;
    std::vector<wchar_t> upper = MakeUpcaseTable([](const wchar_t* from, wchar_t* to, int n) {
        if (++calls == 2) return SetLastError(ERROR_NOT_ENOUGH_MEMORY), 0;
        return LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, from, n, to, n, nullptr, nullptr, 0);
    });
    REQUIRE(calls == 2);
    CHECK((upper[L'a'] == L'A' && upper[0xFF41] == 0xFF21));  // full-width a, beyond the surrogates
    CHECK(FirstUnitFoldedApart([&](std::wstring s) {
              for (wchar_t& c : s) c = upper[c];
              return s;
          }) == 0);
}

TEST_CASE("archive paths that could leave the target folder or name a device are refused") {
    for (const wchar_t* bad : {L"./x/../y", L"x/.. /y", L"C:x", L"/abs", L"a/nul.txt", L"COM5/x", L"lpt9.log",
                               L"conout$", L"a/b\x01", L"COM\u00B9", L"x/lpt\u00B2.txt", L"Com\u00B3.a.b/y"})
        CHECK(SafeRelPath(bad) == L"");
    CHECK(SafeRelPath(L"./x//y/") == L"x\\y");
    CHECK(SafeRelPath(L"x/ y. /z") == L"x\\ y\\z");
    CHECK(SafeRelPath(L"COM0/console.txt") == L"COM0\\console.txt");
    CHECK(SafeRelPath(L"COM\u2074/LPT\u00B9x") == L"COM\u2074\\LPT\u00B9x");
    CHECK(FileSafeName(L"C:\\x\\a<b>:c.txt. ") == L"abc.txt");
}

TEST_CASE("text bytes and files: ANSI up to the first NUL, decoding by byte-order mark, folders, stamps, versions") {
    RequireWesternCodePage();
    CHECK(StrToUtf8(L"\u00e4\u20ac") == "\xC3\xA4\xE2\x82\xAC");
    CHECK(Utf8ToWide("a\0b"sv) == L"a\0b"s);
    CHECK(AnsiToWide("OK\0junk"sv) == L"OK");
    CHECK(AnsiToWide(std::string_view("xxxxxxxx", 3)) == L"xxx");
    std::wstring dir = FreshTempDir(L"files"), deep = PathJoin(dir, L"a\\b\\c"), f = PathJoin(dir, L"p.wlx");
    const std::pair<std::string, std::wstring> texts[] = {
        {"\xEF\xBB\xBF\xC3\xA4x", L"\u00e4x"},
        {"\xEF\xBB", L"\u00ef\u00bb"},   // too short for the UTF-8 mark: ANSI
        {"\xFF\xFE" "a\0b\0c"s, L"ab"},  // an odd last byte is dropped
        {"\xFF\xFE" "x", L""},
    };
    for (const auto& [bytes, text] : texts) {
        CAPTURE(bytes);
        WriteFileBytes(f, bytes);
        CHECK(ReadTextFileAuto(f, 1 << 20) == text);
        CHECK(FileHasUtf8Bom(f) == bytes.starts_with("\xEF\xBB\xBF"));
    }
    WriteFileBytes(f, "abcdef");
    CHECK(ReadTextFileAuto(f, 4) == L"abcd");

    CHECK(MakeDirs(deep));
    CHECK(MakeDirs(deep));
    CHECK_FALSE(FileExists(deep));
    CHECK_FALSE(MakeDirs(PathJoin(f, L"sub")));

    FILETIME ft;
    SYSTEMTIME st = {2024, 1, 0, 31, 23, 30, 59, 0};
    SystemTimeToFileTime(&st, &ft);
    WriteFileBytes(f, "12345");
    HANDLE h = CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    CHECK(FileStamp(f) == L"2024-01-31 23:30Z|5");
    WriteFileBytes(f + L"64", "1234567");
    CHECK(FileStamp(f).substr(17) == L"|7");

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);  // carries version 2.10.0.0
    CHECK(FileVersionText(self, false) == L"2.10");
    CHECK(FileVersionText(self, true) == L"2.10.0.0");
    CHECK(FileVersionText(f, false) == L"");
    RemoveTree(dir);
}

TEST_CASE("the character a file cannot hold as the profile functions write it is found and named") {
    auto noCapital = [](std::wstring_view c) { return !(c[0] >= L'A' && c[0] <= L'Z'); };
    CHECK(FirstCharRefused(L"abCdE", noCapital) == L"C");
    CHECK(FirstCharRefused(L"abc", noCapital) == L"");
    auto single = [](std::wstring_view c) { return c.size() == 1; };
    CHECK(FirstCharRefused(L"a\xD83D\xDE00" L"b", single) == L"\xD83D\xDE00");  // a surrogate pair is one character
    CHECK(FirstCharRefused(L"a\xD83D" L"b", single) == L"");
    CHECK(CharWithCode(L"\xFF3B") == L"\xFF3B (U+FF3B)");
    CHECK(CharWithCode(L"\xD83D\xDE00") == L"\xD83D\xDE00 (U+1F600)");
    CHECK(CharWithCode(L"\xDE00") == L"U+DE00");
    CHECK(CharWithCode(L"\r") == L"\x240D (U+000D)");
    // No single-byte code page has a fullwidth form or an ideograph; every one has ASCII.
    RequireWesternCodePage();
    CHECK(AnsiHolds(L"C:\\p\\fs.wfx [x]=;?"));
    for (const wchar_t* lacked : {L"\xFF3B", L"\xFF1D", L"\xFF1B", L"\x65E5"}) CHECK_FALSE(AnsiHolds(lacked));
    std::wstring dir = FreshTempDir(L"ansi_hold"), ansi = PathJoin(dir, L"a.ini"), wide = PathJoin(dir, L"w.ini");
    WriteFileBytes(ansi, "[S]\r\n");
    WriteFileBytes(wide, "\xFF\xFE" + Utf16Bytes(L"[S]\r\n"));
    const std::wstring name = L"\xFF3B" L"Configuration\xFF3D";
    CHECK(CharIniCannotHold(ansi, name) == L"\xFF3B");
    CHECK(CharIniCannotHold(ansi, L"Conf=" L"\x65E5") == L"\x65E5");
    CHECK(CharIniCannotHold(ansi, L"[Configuration]") == L"");
    CHECK(CharIniCannotHold(wide, name) == L"");
    CHECK(CharIniCannotHold(PathJoin(dir, L"new.ini"), name) == L"\xFF3B");  // the profile functions make it ANSI
    CHECK(ReadWholeFile(ansi) == std::optional<std::string>("[S]\r\n"));
    WriteFileBytes(ansi, "");
    CHECK(ReadWholeFile(ansi) == std::optional<std::string>(""));
    CHECK(ReadWholeFile(PathJoin(dir, L"new.ini")) == std::nullopt);
    RemoveTree(dir);
}

TEST_CASE("the system DLLs load on their first use, once, with every function the program calls") {
    const void* tables[] = {Shell32(), Shlwapi(), Version(), Uxtheme(), Dwmapi(), Comdlg32(), Ole32(), Oleaut32()};
    for (const void* table : tables) CHECK(table != nullptr);
    CHECK(Shell32() == tables[0]);
    CHECK(Oleaut32() == tables[7]);
    REQUIRE(Shlwapi());
    CHECK(Shlwapi()->StrCmpLogicalW(L"p2", L"p10") < 0);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD ignored = 0;
    CHECK(Version()->GetFileVersionInfoSizeW(self, &ignored) > 0);
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
    CHECK(ReadIniSection(ini, L"ListerPlugins") == IniPairs{{L"0", L"a.wlx"}, {L"0", L"b.wlx"}});
    CHECK(ReadIniSection(ini, L"Big").size() == 3000);
    CHECK(ReadListerKey(ini, L"multimedia") == L"1");
    CHECK(IniHasSection(ini, L"listerplugins"));
    CHECK_FALSE(IniHasSection(ini, L"ContentPlugins"));
    RemoveTree(dir);
}

TEST_CASE("a whole INI file read in one pass gives what the profile functions give") {
    std::wstring dir = FreshTempDir(L"inifile"), ini = PathJoin(dir, L"own.ini");
    std::wstring text = L"before=first\r\n[Meta]\r\nIni = C:\\tc\\wincmd.ini \r\n; a comment=x\r\nnoequals\r\n"
                        L"\r\n  [ spaced name ]  \r\nkey=a=b\r\nkey=again\n=empty key\n[L|c:\\p\\x.wlx]\rName=\u00e9\u4e2d\r\n"
                        L"[empty]\r\n[last]\r\nv=  \"quoted\"  ";
    for (int bom = 0; bom < 2; ++bom) {
        CAPTURE(bom);
        WriteFileBytes(ini, (bom ? "\xEF\xBB\xBF" + StrToUtf8(text) : "\xFF\xFE" + Utf16Bytes(text)));
        IniSections expected;
        for (const std::wstring& name : IniSectionNames(ini)) {
            IniPairs lines;
            for (const auto& [key, value] : ReadIniSection(ini, name)) lines.emplace_back(key, StrTrim(value));
            expected.emplace_back(name, lines);
        }
        CHECK(ReadIniFile(ini) == expected);
    }
    CHECK(ReadIniFile(PathJoin(dir, L"missing.ini")).empty());
    RemoveTree(dir);
}

TEST_CASE("the one-pass reader finds what the profile functions read, in the corners of the format") {
    std::wstring dir = FreshTempDir(L"inicorners"), ini = PathJoin(dir, L"corners.ini");
    const std::string samples[] = {
        // Lines end at CR, LF or both.
        "[A]\rx=1\r[B]\nY=2\r\n[C]\r\n\r\nz=3",
        // A "[" line without "]" is a line of the section before; the name ends at the last "]".
        "[A]\nx=1\n[Unclosed\ny=2\n[C]]\nz=3\n[D] tail\nw=4\n[E]v=5\nu=6\n",
        // The first of two sections of one name is the one read.
        "[A]\r\nx=1\r\n[a]\r\ny=2\r\nx=3\r\n[B]\r\n[A]\r\nz=9\r\n",
        // Quotes: a key's value loses one surrounding pair, single or double.
        "[A]\r\n;c=1\r\n  ;d = 2\r\nq='single'\r\nr=\"\"\r\ns=\"\r\nt= \" x \" \r\nu='a\"\r\nv=\"a\" \"b\"\r\n",
        // Blanks of every kind, and Ctrl-Z, around names, keys and values.
        "[ \tA\v]\r\n\tk\t=\tv\t\r\n\f k2 \x1a= v2\x1a\r\n\x1a\r\nk3=\xa0v3\xa0\r\n",
        // A NUL ends the key or value it stands in, not the file.
        std::string("[A]\r\nk=v\0w\r\nj\0x=2\r\n[B]\r\ni=1\r\n", 31),
        // Lines before the first section belong to none.
        "k0=0\r\n[A]\r\nk=v\r\n",
    };
    for (const std::string& sample : samples) {
        CAPTURE(sample);
        WriteFileBytes(ini, sample);
        CheckOnePassAsProfile(ini);
        WriteFileBytes(ini, "\xFF\xFE" + Utf16Bytes(AnsiToWide(sample) + L"\u3000k4\u2003=\u00e9\u4e2d\u3000"));
        CheckOnePassAsProfile(ini);
    }
    std::wstring text = L"[A]\r\nk=\u00e9\u4e2d\r\n[B]\r\nx=1\r\n";
    std::string bigEndian = "\xFE\xFF";
    for (wchar_t c : text) bigEndian += {char(c >> 8), char(c & 0xFF)};
    WriteFileBytes(ini, bigEndian);
    CHECK(ReadIniFile(ini) == IniSections{{L"A", {{L"k", L"\u00e9\u4e2d"}}}, {L"B", {{L"x", L"1"}}}});
    CheckOnePassAsProfile(ini);
    RemoveTree(dir);
}

namespace {

struct WorkerRead {
    std::wstring ini;
    IniSections sections;
};

DWORD WINAPI ReadOnWorker(LPVOID param) {
    auto& read = *static_cast<WorkerRead*>(param);
    read.sections = ReadIniFile(read.ini);
    return 0;
}

}  // namespace

TEST_CASE("a read of an ini file on another thread waits until the program's write of one ends") {
    std::wstring dir = FreshTempDir(L"iniwrite"), ini = PathJoin(dir, L"a.ini");
    WriteFileBytes(ini, "[A]\r\nx=1\r\n");
    WorkerRead read;
    read.ini = ini;
    KernelHandle thread;
    {
        IniWriteScope apart;
        thread.Reset(CreateThread(nullptr, 0, ReadOnWorker, &read, 0, nullptr));
        REQUIRE(thread);
        // Counted only when it found the scope held: a read that passed would never be.
        REQUIRE(EventuallyHolds([] { return IniReadsWaiting() == 1; }));
        CHECK(WritePrivateProfileStringW(L"A", L"x", L"2", ini.c_str()));
        CHECK(WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT);
        CHECK(IniReadsWaiting() == 1);
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    CHECK(IniReadsWaiting() == 0);
    CHECK(read.sections == IniSections{{L"A", {{L"x", L"2"}}}});
    RemoveTree(dir);
}

namespace {

DWORD WINAPI WaitForGo(LPVOID go) {
    WaitForSingleObject(static_cast<HANDLE>(go), INFINITE);
    return 7;
}

}  // namespace

TEST_CASE("the end of the program waits for every worker thread started to its end") {
    KernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    REQUIRE(WaitForWorkerThreads(60000));  // none of another test runs
    KernelHandle first(StartWorkerThread(WaitForGo, go.Get())), second(StartWorkerThread(WaitForGo, go.Get()));
    REQUIRE((first && second));
    first.Reset();  // the caller's handle closed, as after CreateThread: the thread is still waited for
    CHECK_FALSE(WaitForWorkerThreads(0));
    SetEvent(go.Get());
    CHECK(WaitForWorkerThreads(60000));
    DWORD code = 0;
    CHECK((GetExitCodeThread(second.Get(), &code) && code == 7));
}

TEST_CASE("time stamps: days and minutes since 1601, invalid dates refused") {
    CHECK(StrParseDateDays(L"1601-01-02 12:00") == doctest::Approx(1.5));
    CHECK(StrParseDateDays(L"1601-01-03") == doctest::Approx(2.0));
    for (const wchar_t* bad : {L"2024-02-30 10:00", L"2024-02"}) CHECK(StrParseDateDays(bad) == -1.0);
    CHECK(ParseUtcStamp(L"1601-01-02T01:05") == 1505u);
    for (const wchar_t* bad : {L"1601-01-01 01:0", L"2024-13-01 00:00"}) CHECK_FALSE(ParseUtcStamp(bad).has_value());
    CHECK(StampToLocalText(L"2024-01-31 23:30|1234") == L"2024-01-31 23:30");
    CHECK(StampToLocalText(L"garbage-text-thatZ|1") == L"garbage-text-that");
}

// Run with TZ=Europe/Berlin.
TEST_SUITE("local-time") {
    TEST_CASE("UTC file times are shown in the zone rules of their date") {
        CHECK(StampToLocalText(L"2024-01-31 23:30Z|1234") == L"2024-02-01 00:30");
        CHECK(StampToLocalText(L"2024-07-31 23:30Z") == L"2024-08-01 01:30");
    }
}
