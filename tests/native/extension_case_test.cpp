// An extension is one type in any letter case of any alphabet, through the parser,
// the evaluation, the compiled items, the comparison form and the edits, on the
// stand-in for the system's upper-case table.
#include <doctest/doctest.h>

#include <utility>

#include "dsx/detect_spec.h"
#include "dsx/edit.h"
#include "dsx/eval.h"
#include "foundation/text.h"

TEST_CASE("an extension written with either case of letters beyond ASCII is one extension") {
    const std::pair<const wchar_t*, const wchar_t*> spellings[] = {
        {L"ärz", L"ÄRZ"}, {L"жук", L"ЖУК"}, {L"éps", L"ÉPS"}, {L"ωmega", L"ΩMEGA"}, {L"Ärz", L"äRZ"}};
    for (auto [one, other] : spellings) {
        std::wstring a = MakeExtTerm(one), b = MakeExtTerm(other);
        CAPTURE(a);
        DsxTree tree = dsx::Parse(a);
        REQUIRE(tree.root == 0);
        CHECK(tree.nodes[0].text == UpperCase(other));
        CHECK(NormKeyText(a) == NormKeyText(b));
        CHECK(CompileDetect(a + L" | " + b, true).items.size() == 1);
        for (const std::wstring& name : {std::wstring(one), std::wstring(other)}) {
            FileFacts facts{UpperCase(name), 1, "", 0};
            CHECK((DetectMatches(a, facts) && DetectMatches(b, facts) && !DetectMatches(L"EXT!=" + a.substr(4), facts)));
            CHECK(WildcardMatch(L"*." + std::wstring(one), L"x." + name, true));
        }
        bool failed = true;
        CHECK(DsxEditExts(L"SIZE>0 & (" + a + L" | EXT=\"TXT\")", {other}, {}, &failed) == L"SIZE>0 & (EXT=\"TXT\")");
        CHECK_FALSE(failed);
    }
    // FIND keeps the bytes it looks for, whatever the letters.
    CHECK(NormKeyText(L"FIND(\"ä\")") != NormKeyText(L"FIND(\"Ä\")"));
}
