#include <windows.h>

#include <doctest/doctest.h>

#include <cstdio>

#include "dsx/eval.h"

namespace {

FileFacts Facts(const wchar_t* ext, int64_t size, std::string head = "", bool force = false) {
    FileFacts f;
    f.extension = ext;
    f.size = size;
    f.head = std::move(head);
    f.force = force;
    return f;
}

}  // namespace

TEST_CASE("detect strings decide on extension, size, head and FORCE") {
    const FileFacts txt = Facts(L"TXT", 10, "MZ\x90PKx");
    const FileFacts none = Facts(L"", 0);
    const struct {
        const wchar_t* detect;
        const FileFacts& facts;
        bool f3;    // FORCE false
        bool key4;  // FORCE true
    } cases[] = {
        {L"EXT=\"*\"", none, true, true},
        {L"EXT=\"*\"", txt, true, true},
        {L"EXT=\"\"", none, true, true},
        {L"EXT=\"\"", txt, false, false},
        {L"EXT=\"T?T\"", txt, true, true},
        {L"EXT=\"T?T\"", Facts(L"TEXT", 0), false, false},
        {L"EXT=\"*X\"", Facts(L"DOCX", 0), true, true},
        {L"EXT=\"D*C*X\"", Facts(L"DOCCX", 0), true, true},
        {L"ext=\"txt\"", txt, true, true},
        {L"EXT!=\"TXT\"", none, true, true},
        {L"!(EXT=\"TXT\")", txt, false, false},
        {L"[0]=77", txt, true, true},
        {L"[0]=\"M\" & [2]>143 & [2]<145", txt, true, true},
        {L"[8192]=0", Facts(L"", 9000, std::string(8192, '\0')), false, false},
        {L"[0]>0", none, false, false},
        {L"[0]=\"\"", txt, false, false},
        {L"FIND(\"\")", none, true, true},
        {L"FINDI(\"pk\")", txt, true, true},
        {L"FIND(\"pk\")", txt, false, false},
        {L"FIND(\"\x20AC\")", Facts(L"", 1, "?"), true, true},
        {L"SIZE<100", none, true, true},
        {L"SIZE=10 & SIZE!=11 & SIZE>9", txt, true, true},
        {L"EXT=\"A\" & (", txt, true, true},
        {L"   ", txt, true, true},
        {L"FORCE", txt, false, true},
        {L"MULTIMEDIA", txt, true, true},
        {L"EXT=\"LOG\" | FORCE & SIZE>5", txt, false, true},
    };
    for (const auto& c : cases) {
        CAPTURE(c.detect);
        FileFacts f = c.facts;
        f.force = 0;
        CHECK(DetectMatches(c.detect, f) == c.f3);
        f.force = 1;
        CHECK(DetectMatches(c.detect, f) == c.key4);
    }
}

TEST_CASE("terms list every condition with its value on the checked file") {
    CheckFileFacts = Facts(L"TXT", 10);
    auto terms = DetectTermValues(L"MULTIMEDIA & (EXT=\"TXT\" | \tSIZE>99) & FORCE");
    REQUIRE(terms.size() == 4);
    CHECK(terms[1].text == L"EXT=\"TXT\"");
    CHECK(terms[1].value == 1);
    CHECK(terms[2].text == L"SIZE>99");
    CHECK(terms[2].value == 0);
    CHECK(terms[3].kind == DsxForce);
    CHECK(DetectTermValues(L"EXT=TXT").empty());
}

TEST_CASE("file facts come from the file even when it cannot be opened") {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"kv_facts.Dat";
    std::string body(10000, 'x');
    body[0] = 'M';
    FILE* f = _wfopen(path.c_str(), L"wb");
    REQUIRE(f);
    fwrite(body.data(), 1, body.size(), f);
    fclose(f);

    FileFacts facts = DetFileFacts(path);
    CHECK(facts.extension == L"DAT");
    CHECK(facts.size == 10000);
    CHECK(facts.head.size() == kFileHeadBytes);
    CHECK(facts.head[0] == 'M');

    // Opened by another program without sharing: the size is still the real one.
    HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(locked != INVALID_HANDLE_VALUE);
    facts = DetFileFacts(path);
    CloseHandle(locked);
    CHECK(facts.size == 10000);
    CHECK(facts.head.empty());
    DeleteFileW(path.c_str());

    CHECK(DetFileFacts(dir).extension.empty());
    CHECK(DetFileFacts(std::wstring(dir) + L"kv.d\\missing").extension.empty());
    CHECK(DetFileFacts(std::wstring(dir) + L"missing.").extension.empty());
    CHECK(DetFileFacts(std::wstring(dir) + L"missing.tar.gz").extension == L"GZ");
}
