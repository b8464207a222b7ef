#include <doctest/doctest.h>

#include "dsx/detect_spec.h"
#include "shell/search_match.h"

TEST_CASE("the search finds an extension of a detect string in any case of any letter") {
    DetectSpec spec = CompileDetect(L"EXT=\"ÄRZ\" | EXT=\"Жук\" | EXT=\"txt\"", true);
    CHECK(MatchingExtItem(spec, SearchExtTerm(L"*.ärz")) == L"ÄRZ");
    CHECK(MatchingExtItem(spec, SearchExtTerm(L".ЖУК")).size() == 3);
    CHECK(MatchingExtItem(spec, L"TXT").size() == 3);
    CHECK(MatchingExtItem(spec, L"ar").empty());
}
