#include <doctest/doctest.h>

#include "corpus.h"
#include "dsx/detect_spec.h"
#include "dsx/eval.h"
#include "dsx/notes.h"
#include "dsx/reach.h"
#include "dsx_test_util.h"
#include "foundation/text.h"
#include "hostcfg/plug_entry.h"

// Every detect string that real users run TC with is one TC accepts, so none may
// come out as a syntax error; the rest of the pipeline must cope with all of them.
TEST_CASE("real configurations' detect strings parse as TC parses them") {
    std::vector<CorpusDetect> all = CorpusDetectStrings();
    REQUIRE(all.size() >= 100);
    const FileFacts files[] = {FileFacts{L"MP3", 0, "", 0}, FileFacts{L"", 4, "\x7F" "ELF", 1},
                               FileFacts{L"SWF", 9, "FWS", 0}};
    int empty = 0;
    for (const CorpusDetect& d : all) {
        CAPTURE(d.file);
        CAPTURE(d.key);
        CAPTURE(d.text);
        DsxTree tree = dsx::Parse(d.text);
        CHECK(tree.error.code == DsxErrNone);
        empty += tree.root < 0;
        CHECK((tree.root >= 0) == !StrTrim(d.text).empty());
        PlugEntry e;
        e.hasDetect = 1;
        e.detectText = d.text;
        e.iniDetect = CompileDetect(d.text, true);
        CHECK_FALSE(e.iniDetect.items.empty());
        std::vector<PlugEntry> none;
        std::vector<std::wstring> tags;
        DetectNotes(e, &none, &tags);
        for (const std::wstring& tag : tags) CHECK((tag != L"syntax" && tag != L"unquoted" && tag != L"find"));
        DsxClassify(tree);
        for (const FileFacts& f : files) DetectMatches(d.text, f);
    }
    CHECK(empty > 10);  // TC writes empty detect strings itself

    FileFacts elf{L"", 4, "\x7F" "ELF", 0};
    CHECK(DetectMatches(L"[0]=127 & [1]=\"E\" & [2]=\"L\" & [3]=\"F\"", elf));
}
