// What the code relies on in the Windows profile functions, as Windows documents it.
// Wine runs these tests, so a difference between the two shows here.
#include <doctest/doctest.h>
#include <windows.h>

#include "foundation/ini.h"
#include "foundation/text.h"
#include "support/ini_compare.h"
#include "support/test_support.h"

using namespace std::literals;

TEST_CASE("platform assumptions: profile functions") {
    std::wstring dir = FreshTempDir(L"profile");
    std::wstring ini = PathJoin(dir, L"t.ini");
    auto section = [&](const wchar_t* name, DWORD size, DWORD& n) {
        std::wstring buf(size, L'\0');
        n = GetPrivateProfileSectionW(name, buf.data(), size, ini.c_str());
        return buf.substr(0, n);
    };
    DWORD n = 0;

    SUBCASE("a file with the UTF-16 mark stays UTF-16; a new file does not become UTF-16") {
        WriteFileBytes(ini, "\xFF\xFE");
        REQUIRE(WritePrivateProfileStringW(L"S", L"k", L"\u00e4\u20ac", ini.c_str()));
        std::string bytes = ReadFileBytes(ini);
        CHECK(bytes.substr(0, 2) == "\xFF\xFE");
        CHECK(bytes.find(Utf16Bytes(L"k=\u00e4\u20ac")) != std::string::npos);
        std::wstring fresh = PathJoin(dir, L"new.ini");
        REQUIRE(WritePrivateProfileStringW(L"S", L"k", L"v", fresh.c_str()));
        CHECK(ReadFileBytes(fresh).find("k=v") != std::string::npos);
    }

    SUBCASE("an ANSI file takes a character its code page lacks as another: a look-alike or the default") {
        RequireWesternCodePage();
        WriteFileBytes(ini, "[S]\r\n");
        const std::wstring name = L"\xFF3B" L"C\xFF3D\xFF1D\x65E5";
        REQUIRE(WritePrivateProfileStringW(L"S", L"k", name.c_str(), ini.c_str()));
        CHECK(IniGetString(ini, L"S", L"k") != name);
        CHECK(ReadFileBytes(ini).find("k=") != std::string::npos);
    }

    SUBCASE("reading a key drops one pair of surrounding quotes, reading a section none") {
        WriteFileBytes(ini, "[L]\r\n1_detect=\"EXT=\"\"JPG\"\"\"\r\n2=\"a\" \"b\"\r\n");
        CHECK(IniGetString(ini, L"L", L"1_detect") == L"EXT=\"\"JPG\"\"");
        CHECK(IniGetString(ini, L"L", L"2") == L"a\" \"b");
        CHECK(section(L"L", 256, n) == L"1_detect=\"EXT=\"\"JPG\"\"\"\0" L"2=\"a\" \"b\"\0"s);
    }

    SUBCASE("a section that does not fit returns the buffer size minus 2") {
        WriteFileBytes(ini, "[S]\r\nkey1=0123456789\r\nkey2=0123456789\r\n");
        section(L"S", 20, n);
        CHECK(n == 18);
        section(L"S", 256, n);
        CHECK(n == 32);
    }

    SUBCASE("a repeated key: reading the key gives the first, the section keeps both") {
        WriteFileBytes(ini, "[S]\r\na=1\r\nA=2\r\n");
        CHECK(IniGetString(ini, L"s", L"a") == L"1");
        CHECK(section(L"S", 256, n) == L"a=1\0A=2\0"s);
    }

    SUBCASE("blanks around '=' and at the line ends are dropped") {
        WriteFileBytes(ini, "[S]\r\n  key  =  some value  \r\n");
        CHECK(IniGetString(ini, L"S", L"key") == L"some value");
        CHECK(section(L"S", 256, n) == L"key=some value\0"s);
    }
    RemoveTree(dir);
}
