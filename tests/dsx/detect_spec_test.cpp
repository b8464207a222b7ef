#include <doctest/doctest.h>

#include "dsx/detect_spec.h"

namespace {

// Items as "MM TXT LOG F", markers as "#3".."#5"; sets as "A B".
std::wstring Items(const DetectSpec& s) {
    std::wstring out;
    for (const DetectItem& i : s.items) {
        if (!out.empty()) out += L" ";
        out += i.kind == DetItemExt ? i.text
               : i.kind == DetItemMultimedia ? L"MM"
               : i.kind == DetItemForce ? L"F"
                                        : L"#" + std::to_wstring(i.kind);
    }
    return out;
}

template <typename C>
std::wstring Join(const C& c) {
    std::wstring out;
    for (const auto& s : c) out += (out.empty() ? L"" : L" ") + s;
    return out;
}

}  // namespace

TEST_CASE("compiled detect strings name their extensions, form and sets") {
    const struct {
        const wchar_t* in;
        const wchar_t* items;
        const wchar_t* excluded;
        int form;  // 0 simple, 1 complex, 2 list, 3 negated list
        const wchar_t* prefix;
        const wchar_t* plain;
        const wchar_t* forced;
        const wchar_t* conditional;
    } cases[] = {
        {L"  \r\n", L"#4", L"", 0, L"", L"", L"", L""},
        {L"SIZE>0", L"#5", L"", 0, L"", L"", L"", L""},
        {L"MULTIMEDIA", L"MM", L"", 0, L"", L"", L"", L""},
        {L"FORCE", L"F", L"", 0, L"", L"", L"", L""},
        {L"ext=\"txt\"", L"TXT", L"", 0, L"", L"", L"", L""},
        {L"EXT!=\"TXT\"", L"#5", L"TXT", 0, L"", L"", L"", L""},
        {L"MULTIMEDIA & EXT=\"A\" & SIZE>0", L"MM A", L"", 0, L"", L"", L"", L""},
        // one And chain with FORCE: its extensions only ever open with key 4
        {L"EXT=\"TXT\" & FORCE", L"TXT F", L"", 0, L"", L"", L"TXT", L""},
        {L"EXT=\"TXT\" FORCE", L"TXT F", L"", 0, L"", L"", L"", L""},
        {L"MULTIMEDIA & (EXT=\"MP3\" | EXT=\"MP3\" | EXT=\"OGG\") & FORCE", L"MM MP3 OGG F", L"", 1, L"",
         L"MP3 OGG", L"MP3 OGG", L""},
        {L"FORCE & (EXT=\"A\" | EXT=\"B\")", L"A B F", L"", 2, L"FORCE &", L"", L"A B", L""},
        {L"MULTIMEDIA\t& (EXT=\"A\" | EXT=\"B\")", L"MM A B", L"", 2, L"MULTIMEDIA\t&", L"", L"", L""},
        {L"MULTIMEDIA & !(EXT=\"A\" | EXT=\"B\")", L"MM", L"A B", 3, L"MULTIMEDIA &", L"", L"", L""},
        {L"!(EXT=\"A\")", L"#5", L"A", 1, L"", L"", L"", L""},
        {L"!(EXT!=\"A\")", L"A", L"", 1, L"", L"", L"", L""},
        {L"(EXT=\"A\") | EXT=\"B\"", L"A B", L"", 1, L"", L"B", L"", L""},
        {L"EXT=\"A\" & SIZE>9 | EXT=\"B\"", L"A B", L"", 1, L"", L"B", L"", L"A"},
        {L"force | (ext=\"LNK\")", L"LNK F", L"", 1, L"", L"", L"", L""},
        {L"EXT=\"A\" | (EXT=\"B\"", L"A B", L"", 1, L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.in);
        DetectSpec s = CompileDetect(c.in, true);
        CHECK(Items(s) == c.items);
        CHECK(Join(s.excluded) == c.excluded);
        CHECK(s.complex == (c.form == 1));
        CHECK(s.listForm == (c.form == 2));
        CHECK(s.negatedListForm == (c.form == 3));
        CHECK(s.prefix == c.prefix);
        CHECK(Join(s.plain) == c.plain);
        CHECK(Join(s.forced) == c.forced);
        CHECK(Join(s.conditional) == c.conditional);
    }
    CHECK(Items(CompileDetect(L"EXT=\"A\"", false)) == L"#3");
}
