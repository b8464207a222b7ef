#include <doctest/doctest.h>

#include "foundation/text.h"

TEST_CASE("trimming and unquoting keep inner text") {
    CHECK(StrTrim(L"\t \r\n") == L"");
    CHECK(StrTrim(L"  a b\t") == L"a b");
    CHECK(Unquote(L"  \"a b\"  ") == L"a b");
    CHECK(Unquote(L"\"") == L"\"");
    CHECK(Unquote(L"\"\"") == L"");
    CHECK(Unquote(L"\"a\" \"b\"") == L"a\" \"b");
}

TEST_CASE("comparison form folds case and blanks only outside quotes") {
    CHECK(NormKeyText(L"\" ext = \"TXT\" | size > 0 \"") == L"EXT=\"TXT\"|SIZE>0");
    CHECK(NormKeyText(L"\"EXT=\"A B\"\"") == L"EXT=\"A B\"");
    CHECK(NormKeyText(L"FIND(\"Foo\")") != NormKeyText(L"FIND(\"foo\")"));
    CHECK(NormKeyText(L"[0]=\"F\"") != NormKeyText(L"[0]=\"f\""));
    CHECK(NormKeyText(L"EXT=\"TXT\"") == NormKeyText(L"ext = \"txt\""));
    CHECK(NormKeyText(L"EXT!=\"TXT\"") == NormKeyText(L"ext!=\"txt\""));
    CHECK(NormKeyText(L"findi(\"Foo\")") == NormKeyText(L"FINDI(\"FOO\")"));
    CHECK(NormKeyText(L"FIND(\"a b\")") == L"FIND(\"a b\")");
}

TEST_CASE("word lists split at any run of separators") {
    CHECK(SplitWords(L", a;;b\tc  ") == std::vector<std::wstring>{L"a", L"b", L"c"});
    std::vector<std::wstring> first, second;
    ReplaceWordList(L"a b|c", first, second);
    CHECK(first == std::vector<std::wstring>{L"a", L"b"});
    CHECK(second == std::vector<std::wstring>{L"c"});
    ReplaceWordList(L"|c", first, second);
    CHECK(first.empty());
    CHECK(second.size() == 1);
}

TEST_CASE("path joining and stems") {
    CHECK(PathJoin(L"C:\\X", L".\\.\\y") == L"C:\\X\\y");
    CHECK(PathJoin(L"C:\\X\\", L"y") == L"C:\\X\\y");
    CHECK(PathJoin(L"", L"y") == L"y");
    CHECK(PathJoin(L"C:\\X", L".") == L"C:\\X\\.");
    CHECK(PathJoin(L"C:/X/", L"y") == L"C:/X/\\y");
    CHECK(FileStem(L"C:\\a\\wcmd_deu.lng") == L"wcmd_deu");
    CHECK(FileStem(L"a.b.ini") == L"a.b");
    CHECK(FileStem(L".ini") == L"");
    CHECK(PathDir(L"C:\\a\\b.ini") == L"C:\\a");
    CHECK(PathDir(L"b.ini") == L"");
}

TEST_CASE("index keys compare numbers by value and names without case") {
    CHECK(CompareIndexKeys(L"3, Size", L"03,size"));
    CHECK_FALSE(CompareIndexKeys(L"3,Size", L"4,Size"));
    CHECK_FALSE(CompareIndexKeys(L"Size", L"size"));
}

TEST_CASE("relative paths from archives") {
    CHECK(SafeRelPath(L"./x/../y") == L"");
    CHECK(SafeRelPath(L"x//y/") == L"x\\y");
    CHECK(SafeRelPath(L"x/ y. /z") == L"x\\ y\\z");
    CHECK(SafeRelPath(L"a/nul.txt") == L"");
    CHECK(SafeRelPath(L"C:x") == L"");
    CHECK(SafeRelPath(L"/abs") == L"");
    CHECK(SafeRelPath(L"COM5/x") == L"");
    CHECK(SafeRelPath(L"lpt9.log") == L"");
    CHECK(SafeRelPath(L"conout$") == L"");
    CHECK(SafeRelPath(L"COM0") == L"COM0");
    CHECK(SafeRelPath(L"console.txt") == L"console.txt");
    CHECK(SafeRelPath(L"a/b\x01") == L"");
}

TEST_CASE("detect strings wrap only outside quotes") {
    std::wstring s = L"EXT=\"A\" | FIND(\"x | y z\") & SIZE>100";
    std::wstring w = DsWrap(s, 10, L"  ");
    CHECK(w.find(L"\"x | y z\"") != std::wstring::npos);
    CHECK(w.rfind(L"  ", 0) == 0);
    CHECK(w.substr(w.size() - 2) == L"\r\n");
    CHECK(DsWrap(L"", 10, L"  ") == L"");
}

TEST_CASE("words and command placeholders") {
    CHECK(StrHasWord(L"EXT=\"A\"&FORCE", L"FORCE"));
    CHECK_FALSE(StrHasWord(L"FORCEX", L"FORCE"));
    CHECK(StrHasWord(L"xFORCE FORCE", L"FORCE"));
    CHECK_FALSE(HasCmdVars(L"%D only"));
    CHECK(HasCmdVars(L"edit %f"));
    CHECK(FileSafeName(L"C:\\x\\a<b>:c.txt. ") == L"abc.txt");
    CHECK(StrToInt(L"99999999999") == 2147483647);
    CHECK(StrToInt(L"-99999999999") == -2147483647 - 1);
}
