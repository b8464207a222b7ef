#include <doctest/doctest.h>

#include "dsx/detect_spec.h"
#include "dsx_test_util.h"

namespace {

// "items | excluded | form prefix | plain | forced | conditional": items as MM, F or
// the extension, marker kinds as #3..#5; form s(imple), c(omplex), l(ist), n(egated list).
std::wstring Describe(const DetectSpec& s) {
    std::wstring out;
    auto add = [&](const std::wstring& w) { out += (out.empty() || out.back() == L' ' ? L"" : L" ") + w; };
    for (const DetectItem& i : s.items)
        add(i.kind == DetItemExt ? i.text : i.kind == DetItemMultimedia ? L"MM" : i.kind == DetItemForce ? L"F"
                                                                                : L"#" + std::to_wstring(i.kind));
    out += L" |";
    for (const std::wstring& e : s.excluded) add(e);
    out += s.complex ? L" | c" : s.listForm ? L" | l " + s.prefix : s.negatedListForm ? L" | n " + s.prefix : L" | s";
    for (const auto* set : {&s.plain, &s.forced, &s.conditional}) {
        out += L" |";
        for (const std::wstring& e : *set) add(e);
    }
    return out;
}

}  // namespace

TEST_CASE("compiled detect strings name their extensions, form and sets") {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"  \r\n", L"#4 | | s | | |"},
        {L"SIZE>0", L"#5 | | s | | |"},
        {L"MULTIMEDIA & ext=\"a\" & SIZE>0", L"MM A | | s | | |"},
        {L"EXT!=\"TXT\"", L"#5 | TXT | s | | |"},
        // one And chain holding FORCE: its extensions open only with key 4
        {L"EXT=\"TXT\" & FORCE", L"TXT F | | s | | TXT |"},
        {L"EXT=\"TXT\" FORCE", L"TXT F | | s | | |"},
        {L"MULTIMEDIA & (EXT=\"MP3\" | EXT=\"MP3\" | EXT=\"OGG\") & FORCE", L"MM MP3 OGG F | | c | MP3 OGG | MP3 OGG |"},
        {L"FORCE & (EXT=\"A\" | EXT=\"B\")", L"A B F | | l FORCE & | | A B |"},
        {L"MULTIMEDIA\t& (EXT=\"A\" | EXT=\"B\")", L"MM A B | | l MULTIMEDIA\t& | | |"},
        {L"MULTIMEDIA & !(EXT=\"A\" | EXT=\"B\")", L"MM | A B | n MULTIMEDIA & | | |"},
        {L"!(EXT=\"A\") | !(EXT!=\"B\")", L"B | A | c | | |"},
        {L"(EXT=\"A\") | EXT=\"B\"", L"A B | | c | B | |"},
        {L"EXT=\"A\" & SIZE>9 | EXT=\"B\"", L"A B | | c | B | | A"},
        {L"EXT=\"A\" | (EXT=\"B\"", L"A B | | c | | |"},
    };
    for (const auto& c : cases) CHECK_MESSAGE(Describe(CompileDetect(c.in, true)) == c.out, std::wstring(c.in));
    CHECK(CompileDetect(L"EXT=\"A\"", false).items[0].kind == DetItemNoDetect);
}
