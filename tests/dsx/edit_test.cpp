#include <random>

#include "corpus.h"
#include "dsx/edit.h"
#include "dsx/eval.h"
#include "dsx_test_util.h"
#include "foundation/text.h"

namespace {

int Occurrences(const std::wstring& s, const std::wstring& ext) {
    int n = 0;
    for (const ExtCondition& c : DsxExtConditions(dsx::Parse(s))) n += c.extension == ext;
    return n;
}

// A random detect string over a few extensions, with random spacing.
std::wstring Generate(std::mt19937& rng, int depth) {
    auto pick = [&](int n) { return (int)(rng() % n); };
    auto sp = [&] { return pick(2) ? L" " : L""; };
    static const wchar_t* leaves[] = {L"EXT=\"A\"", L"EXT=\"B\"", L"EXT=\"TXT\"", L"EXT!=\"A\"", L"SIZE>0", L"FORCE", L"MULTIMEDIA", L"FINDI(\"pk\")"};
    switch (depth > 3 ? 0 : pick(6)) {
    case 0: case 1: return leaves[pick(8)];
    case 2: return L"(" + std::wstring(sp()) + Generate(rng, depth + 1) + sp() + L")";
    case 3: return L"!(" + Generate(rng, depth + 1) + L")";
    case 4: return Generate(rng, depth + 1) + sp() + L"|" + sp() + Generate(rng, depth + 1);
    default: return Generate(rng, depth + 1) + sp() + L"&" + sp() + Generate(rng, depth + 1);
    }
}

// Toggling one extension must leave the verdict on every other file alone.
void CheckToggle(const std::wstring& s, const std::wstring& ext) {
    CAPTURE(s);
    CAPTURE(ext);
    bool failed = false;
    std::wstring removed = DsxEditExts(s, {ext}, {}, &failed), added = DsxEditExts(s, {}, {ext}, nullptr);
    CHECK((dsx::Parse(removed).error.code == 0 && dsx::Parse(added).error.code == 0));
    CHECK((failed || Occurrences(removed, ext) == 0));
    CHECK(Occurrences(added, ext) == Occurrences(s, ext) + 1);
    for (const wchar_t* other : {L"A", L"B", L"TXT", L"MP3", L""})
        for (FileFacts f : {FileFacts{other, 0, "", 0}, FileFacts{other, 5, "PK", 1}})
            if (f.extension != ext)
                CHECK((DetectMatches(removed, f) == DetectMatches(s, f) && DetectMatches(added, f) == DetectMatches(s, f)));
}

}  // namespace

TEST_CASE("extensions are cut from and put into lists without touching the rest") {
    const struct {
        const wchar_t* in;
        std::set<std::wstring> remove;
        std::vector<std::wstring> add;
        const wchar_t* out;
        bool failed;
    } cases[] = {
        {L"SIZE>0 & (EXT=\"A\" | EXT=\"B\")", {L"a"}, {}, L"SIZE>0 & (EXT=\"B\")", false},
        {L"SIZE>0 & ( EXT=\"A\" | EXT=\"B\" )", {L"B"}, {}, L"SIZE>0 & ( EXT=\"A\")", false},
        {L"EXT=\"A\" | EXT=\"B\" | EXT=\"C\"", {L"B"}, {}, L"EXT=\"A\" | EXT=\"C\"", false},
        {L"EXT=\"A\"|EXT=\"B\" |EXT=\"A\"", {L"A"}, {}, L"EXT=\"B\"", false},
        {L"EXT=\"A\" & SIZE>0 | EXT=\"B\"", {L"A"}, {}, L"EXT=\"A\" & SIZE>0 | EXT=\"B\"", true},
        {L"EXT=\"A\" | EXT=\"B\" | !(EXT=\"A\")", {L"A"}, {}, L"EXT=\"B\" | !(EXT=\"A\")", true},
        {L"EXT=\"A\" | (", {L"A"}, {}, L"EXT=\"A\" | (", true},
        {L"SIZE>0 & (EXT=\"A\" | EXT=\"B\")", {}, {L"C"}, L"SIZE>0 & (EXT=\"A\" | EXT=\"B\" | EXT=\"C\")", false},
        {L"FORCE & (EXT=\"A\") | (EXT=\"B\")", {}, {L"C"}, L"FORCE & (EXT=\"A\") | (EXT=\"B\"|EXT=\"C\")", false},
        {L"SIZE>0 & EXT=\"A\"", {}, {L"C"}, L"(SIZE>0 & EXT=\"A\") | EXT=\"C\"", false},
        {L"", {}, {L"C"}, L"EXT=\"C\"", false},
    };
    for (const auto& c : cases) {
        CAPTURE(std::wstring(c.in));
        bool failed = !c.failed;
        CHECK(DsxEditExts(c.in, c.remove, c.add, &failed) == c.out);
        CHECK(failed == c.failed);
    }
}

TEST_CASE("an extension named more often than the removal cap is reported, not claimed gone") {
    std::wstring s = L"EXT=\"B\"", rest = L"EXT=\"B\"";
    for (int i = 0; i < 70; ++i) s += L" | EXT=\"A\"";
    for (int i = 0; i < 6; ++i) rest += L" | EXT=\"A\"";
    bool failed = false;
    std::wstring out = DsxEditExts(s, {L"A"}, {}, &failed);
    CHECK((failed && out == rest));
    CHECK(DsxEditExts(out, {L"A"}, {}, &failed) == L"EXT=\"B\"");
    CHECK_FALSE(failed);
}

// Every detect string that real users run TC with is one TC accepts, so none may
// come out as a syntax error.
TEST_CASE("toggling an extension keeps every other file's verdict, on generated and real strings") {
    std::mt19937 rng(4711);
    for (int i = 0; i < 400; ++i) {
        std::wstring s = Generate(rng, 0);
        for (const wchar_t* ext : {L"A", L"TXT", L"D"}) CheckToggle(s, ext);
    }
    std::vector<CorpusDetect> all = CorpusDetectStrings();
    REQUIRE(all.size() >= 100);
    int empty = 0;
    for (const CorpusDetect& d : all) {
        CAPTURE(d.file + L" " + d.key + L"=" + d.text);
        DsxTree tree = dsx::Parse(d.text);
        CHECK((tree.error.code == DsxErrNone && (tree.root >= 0) == !StrTrim(d.text).empty()));
        // An empty string takes every file; any extension added narrows it.
        if (tree.root < 0 && ++empty) continue;
        for (const DetectItem& item : CompileDetect(d.text, true).items)
            if (item.kind == DetItemExt) CheckToggle(d.text, item.text);
        CheckToggle(d.text, L"ZZZ");
    }
    CHECK(empty > 10);  // TC writes empty detect strings itself
}
