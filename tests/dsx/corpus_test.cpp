#include <doctest/doctest.h>

#include "corpus.h"
#include "dsx/eval.h"
#include "dsx/notes.h"
#include "dsx_test_util.h"
#include "foundation/text.h"
#include "hostcfg/plug_entry.h"

// Every detect string that real users run TC with is one TC accepts, so none may
// come out as a syntax error; the rest of the pipeline must cope with all of them.
TEST_CASE("real configurations' detect strings parse as TC parses them") {
    std::vector<CorpusDetect> all = CorpusDetectStrings();
    REQUIRE(all.size() >= 100);
    int empty = 0;
    for (const CorpusDetect& d : all) {
        CAPTURE(d.file + L" " + d.key + L"=" + d.text);
        DsxTree tree = dsx::Parse(d.text);
        CHECK(tree.error.code == DsxErrNone);
        CHECK((tree.root >= 0) == !StrTrim(d.text).empty());
        empty += tree.root < 0;
        PlugEntry e;
        e.hasDetect = 1;
        e.detectText = d.text;
        e.iniDetect = CompileDetect(d.text, true);
        std::vector<std::wstring> tags;
        DetectNotes(e, nullptr, &tags);
        for (const std::wstring& tag : tags) CHECK((tag != L"syntax" && tag != L"unquoted" && tag != L"find"));
        DetectMatches(d.text, FileFacts{L"SWF", 4, "\x7F" "ELF", 1});
    }
    CHECK(empty > 10);  // TC writes empty detect strings itself
}
