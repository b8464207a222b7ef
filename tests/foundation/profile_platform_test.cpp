// What the code relies on in the Windows profile functions. Each case pins the
// documented Windows behaviour; Wine runs these tests, so a difference shows here.
#include <doctest/doctest.h>
#include <windows.h>

#include "foundation/text.h"
#include "support/test_support.h"

namespace {

std::wstring Section(const std::wstring& ini, const wchar_t* section, DWORD size, DWORD* returned) {
    std::wstring buf(size, L'\0');
    *returned = GetPrivateProfileSectionW(section, buf.data(), size, ini.c_str());
    return buf;
}

std::wstring Get(const std::wstring& ini, const wchar_t* section, const wchar_t* key) {
    wchar_t buf[256];
    DWORD n = GetPrivateProfileStringW(section, key, L"", buf, 256, ini.c_str());
    return std::wstring(buf, n);
}

}  // namespace

TEST_CASE("platform assumptions: profile functions") {
    std::wstring dir = FreshTempDir(L"profile");
    std::wstring ini = PathJoin(dir, L"t.ini");

    SUBCASE("a file that starts with the UTF-16 mark stays UTF-16 when written") {
        WriteFileBytes(ini, "\xFF\xFE");
        REQUIRE(WritePrivateProfileStringW(L"S", L"k", L"\u00e4\u20ac", ini.c_str()));
        std::string bytes = ReadFileBytes(ini);
        REQUIRE(bytes.size() > 2);
        CHECK(bytes.substr(0, 2) == "\xFF\xFE");
        CHECK(bytes.find(Utf16Bytes(L"k=\u00e4\u20ac")) != std::string::npos);
        CHECK(Get(ini, L"S", L"k") == L"\u00e4\u20ac");
    }

    SUBCASE("a new file written by the profile functions is not UTF-16") {
        REQUIRE(WritePrivateProfileStringW(L"S", L"k", L"v", ini.c_str()));
        std::string bytes = ReadFileBytes(ini);
        CHECK(bytes.find("k=v") != std::string::npos);
        CHECK(bytes.compare(0, 2, "\xFF\xFE") != 0);
    }

    SUBCASE("one pair of surrounding quotes goes when reading a key, none when reading a section") {
        WriteFileBytes(ini, "[ListerPlugins]\r\n1_detect=\"EXT=\"\"JPG\"\"\"\r\n2=\"a\" \"b\"\r\n");
        CHECK(Get(ini, L"ListerPlugins", L"1_detect") == L"EXT=\"\"JPG\"\"");
        CHECK(Get(ini, L"ListerPlugins", L"2") == L"a\" \"b");
        DWORD n = 0;
        std::wstring sec = Section(ini, L"ListerPlugins", 256, &n);
        CHECK(std::wstring(sec.c_str()) == L"1_detect=\"EXT=\"\"JPG\"\"\"");
    }

    SUBCASE("a section that does not fit returns the buffer size minus 2") {
        WriteFileBytes(ini, "[S]\r\nkey1=0123456789\r\nkey2=0123456789\r\n");
        DWORD n = 0;
        Section(ini, L"S", 20, &n);
        CHECK(n == 18);
        Section(ini, L"S", 256, &n);
        CHECK(n == 32);
    }

    SUBCASE("a repeated key: the key read gives the first, the section keeps both") {
        WriteFileBytes(ini, "[S]\r\na=1\r\na=2\r\n");
        CHECK(Get(ini, L"S", L"a") == L"1");
        DWORD n = 0;
        std::wstring sec = Section(ini, L"S", 256, &n);
        CHECK(sec.substr(0, n) == std::wstring(L"a=1\0a=2\0", 8));
    }

    SUBCASE("blanks around '=' and at the line ends are dropped") {
        WriteFileBytes(ini, "[S]\r\n  key  =  some value  \r\n");
        CHECK(Get(ini, L"S", L"key") == L"some value");
        DWORD n = 0;
        std::wstring sec = Section(ini, L"S", 256, &n);
        CHECK(std::wstring(sec.c_str()) == L"key=some value");
    }

    SUBCASE("section names and keys match without regard to case") {
        WriteFileBytes(ini, "[Lister]\r\nMultiMedia=1\r\n");
        CHECK(Get(ini, L"LISTER", L"multimedia") == L"1");
    }
    RemoveTree(dir);
}
