// Tab completion in a detect string: keywords, extensions and the next alternative.
#include <doctest/doctest.h>

#include "dsx/completion.h"
#include "dsx_test_util.h"

namespace {

std::vector<std::wstring> At(const std::wstring& text, std::vector<std::wstring> known = {}, uint64_t own = 0) {
    return DetectCompletions(text, (int)text.size(), known, own).candidates;
}

using V = std::vector<std::wstring>;

}  // namespace

TEST_CASE("keywords complete at the start of a condition only") {
    CHECK(At(L"E") == V{L"EXT=\""});
    CHECK(At(L"f") == V{L"FORCE & ", L"FIND(\"", L"FINDI(\""});
    CHECK(CommonBeginning(At(L"FI")) == L"FIND");
    CHECK(At(L"EXT") == V{L"EXT=\"", L"EXT!=\""});
    CHECK(CommonBeginning(At(L"ext")) == L"EXT");
    CHECK(At(L"SIZE>0 & M") == V{L"MULTIMEDIA"});
    CHECK(At(L"(EXT=\"A\" | S") == V{L"SIZE"});
    CHECK(DetectCompletions(L"FO)", 2, {}, 0).candidates == V{L"FORCE"});  // text follows: no " & "
    CHECK(At(L"SIZE>").empty());
    CHECK(At(L"SIZE>1").empty());
    CHECK(At(L"EXT=\"A\" S").empty());  // no operator between the two conditions
    CHECK(DetectCompletions(L"E", 0, {}, 0).candidates.empty());
    CHECK(DetectCompletions(L"E", 5, {}, 0).candidates.empty());
    CHECK(CompletionLabel(L"FORCE & ") == L"FORCE");
    CHECK(CompletionLabel(L"EXT=\"") == L"EXT=");
}

TEST_CASE("extensions complete inside an EXT value, leaving out those written already") {
    V known{L"PNG", L"PDF", L"PSD", L"JPG"};
    DetectCompletion c = DetectCompletions(L"EXT=\"PNG\" | EXT=\"p", 18, known, 0);
    CHECK(c.candidates == V{L"PDF\"", L"PSD\""});
    CHECK(c.replaceStart == 17);
    CHECK(c.typed == L"p");
    std::wstring closed = L"EXT=\"P\" | EXT=\"PNG\"";
    CHECK(DetectCompletions(closed, 6, known, 0).candidates == V{L"PDF", L"PSD"});  // the quote is there
    CHECK(At(L"EXT != \"J", known) == V{L"JPG\""});
    CHECK(At(L"FIND(\"P", known).empty());
}

TEST_CASE("after a finished EXT term Tab offers the next alternative while own extensions are missing") {
    V known{L"PNG", L"JPG", L"GIF"};
    CHECK(At(L"EXT=\"PNG\"", known, 2) == V{NextAlternativeText});
    CHECK(At(L"EXT=\"PNG\" | EXT=\"JPG\"", known, 2).empty());  // GIF is not the plugin's own
    CHECK(DetectCompletions(L"EXT=\"PNG\" | EXT=\"X\"", 9, known, 2).candidates.empty());
    CHECK(At(L"EXT!=\"PNG\"", known, 2).empty());
    CHECK(At(L"FIND(\"PNG\"", known, 2).empty());
}
