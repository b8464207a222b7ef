#include <windows.h>

#include <doctest/doctest.h>

#include <cstdio>

#include "dsx/eval.h"
#include "dsx_test_util.h"

TEST_CASE("detect strings decide on extension, size, head and FORCE") {
    const FileFacts txt{L"TXT", 10, "MZ\x90PKx", 0}, none{L"", 0, "", 0};
    const struct {
        const wchar_t* detect;
        const FileFacts& facts;
        bool f3, key4;  // FORCE false, FORCE true
    } cases[] = {
        {L"EXT=\"*\"", none, true, true},
        {L"EXT=\"\"", none, true, true},
        {L"EXT=\"\"", txt, false, false},
        {L"EXT=\"T?T\"", txt, true, true},
        {L"EXT=\"T?T\"", FileFacts{L"TEXT", 0, "", 0}, false, false},
        {L"EXT=\"D*C*X\"", FileFacts{L"DOCCX", 0, "", 0}, true, true},
        {L"ext=\"txt\"", txt, true, true},
        {L"EXT!=\"TXT\"", none, true, true},
        {L"!(EXT=\"TXT\")", txt, false, false},
        {L"[0]=\"M\" & [2]>143 & [2]<145", txt, true, true},
        {L"[8192]=0", FileFacts{L"", 9000, std::string(8192, '\0'), 0}, false, false},
        {L"[0]>0", none, false, false},
        {L"[0]=\"\"", txt, false, false},
        {L"FIND(\"\")", none, true, true},
        {L"FINDI(\"pk\")", txt, true, true},
        {L"FIND(\"pk\")", txt, false, false},
        {L"FIND(\"\x20AC\")", FileFacts{L"", 1, "?", 0}, true, true},
        {L"SIZE=10 & SIZE!=11 & SIZE>9 & SIZE<11", txt, true, true},
        {L"EXT=\"A\" & (", txt, true, true},
        {L"EXT=\"LOG\" | FORCE & MULTIMEDIA", txt, false, true},
    };
    for (const auto& c : cases) {
        CAPTURE(std::wstring(c.detect));
        FileFacts f = c.facts;
        CHECK(DetectMatches(c.detect, f) == c.f3);
        f.force = 1;
        CHECK(DetectMatches(c.detect, f) == c.key4);
    }
    CheckFileFacts = txt;
    auto terms = DetectTermValues(L"MULTIMEDIA & (EXT=\"TXT\" | \tSIZE>99)");
    REQUIRE(terms.size() == 3);
    CHECK((terms[1].text == L"EXT=\"TXT\"" && terms[1].value == 1));
    CHECK((terms[2].text == L"SIZE>99" && terms[2].value == 0 && terms[2].kind == DsxSize));
}

TEST_CASE("file facts come from the file even when it cannot be opened") {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"kv_facts.Dat";
    FILE* f = _wfopen(path.c_str(), L"wb");
    REQUIRE(f);
    fwrite(("M" + std::string(9999, 'x')).data(), 1, 10000, f);
    fclose(f);

    FileFacts facts = DetFileFacts(path);
    CHECK((facts.extension == L"DAT" && facts.size == 10000 && facts.head.size() == kFileHeadBytes));
    CHECK(facts.head[0] == 'M');
    // Held by another program without sharing: the size is still the real one.
    HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    facts = DetFileFacts(path);
    CloseHandle(locked);
    CHECK((facts.size == 10000 && facts.head.empty()));
    DeleteFileW(path.c_str());

    CHECK(DetFileFacts(dir).extension.empty());
    CHECK(DetFileFacts(std::wstring(dir) + L"kv.d\\missing").extension.empty());
    CHECK(DetFileFacts(std::wstring(dir) + L"missing.tar.gz").extension == L"GZ");
}
