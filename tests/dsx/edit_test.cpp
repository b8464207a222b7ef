#include <doctest/doctest.h>

#include <random>

#include "corpus.h"
#include "dsx/detect_spec.h"
#include "dsx/edit.h"
#include "dsx/eval.h"
#include "dsx_test_util.h"

namespace {

std::wstring Edit(const std::wstring& text, std::set<std::wstring> remove, std::vector<std::wstring> add,
                  bool* failed = nullptr) {
    return DsxEditExts(text, remove, add, failed);
}

bool Parses(const std::wstring& s) { return dsx::Parse(s).error.code == DsxErrNone; }

int Occurrences(const std::wstring& s, const std::wstring& ext) {
    int n = 0;
    for (const ExtCondition& c : DsxExtConditions(dsx::Parse(s))) n += c.extension == ext;
    return n;
}

// A random detect string over a few extensions, with random spacing.
std::wstring Generate(std::mt19937& rng, int depth) {
    auto pick = [&](int n) { return (int)(rng() % n); };
    auto sp = [&] { return pick(2) ? L" " : L""; };
    static const wchar_t* exts[] = {L"A", L"B", L"C", L"TXT"};
    int choice = pick(depth > 3 ? 7 : 11);
    switch (choice) {
    case 0: case 1: case 2: return std::wstring(L"EXT=\"") + exts[pick(4)] + L"\"";
    case 3: return std::wstring(L"EXT!=\"") + exts[pick(4)] + L"\"";
    case 4: return pick(2) ? L"SIZE>0" : L"SIZE=5";
    case 5: return pick(2) ? L"FORCE" : L"MULTIMEDIA";
    case 6: return L"FINDI(\"pk\")";
    case 7: return L"(" + std::wstring(sp()) + Generate(rng, depth + 1) + sp() + L")";
    case 8: return L"!(" + Generate(rng, depth + 1) + L")";
    case 9: return Generate(rng, depth + 1) + sp() + L"|" + sp() + Generate(rng, depth + 1);
    default: return Generate(rng, depth + 1) + sp() + L"&" + sp() + Generate(rng, depth + 1);
    }
}

std::vector<FileFacts> SampleFiles(const std::wstring& skipExt) {
    std::vector<FileFacts> files;
    for (const wchar_t* ext : {L"A", L"B", L"C", L"TXT", L"MP3", L"JPG", L""}) {
        if (ext == skipExt) continue;
        for (int64_t size : {0, 5})
            for (uint8_t force : {0, 1}) files.push_back(FileFacts{ext, size, size ? "PK" : "", force});
    }
    return files;
}

// Toggling one extension must leave the verdict on every other file alone.
void CheckToggle(const std::wstring& s, const std::wstring& ext) {
    CAPTURE(s);
    CAPTURE(ext);
    bool failed = false;
    std::wstring removed = Edit(s, {ext}, {}, &failed);
    std::wstring added = Edit(s, {}, {ext});
    CHECK(Parses(removed));
    CHECK(Parses(added));
    if (!failed) CHECK(Occurrences(removed, ext) == 0);
    CHECK(Occurrences(added, ext) == Occurrences(s, ext) + 1);
    for (const FileFacts& f : SampleFiles(ext)) {
        CAPTURE(f.extension);
        bool before = DetectMatches(s, f);
        CHECK(DetectMatches(removed, f) == before);
        CHECK(DetectMatches(added, f) == before);
    }
}

}  // namespace

TEST_CASE("extensions are cut from and put into lists without touching the rest") {
    const struct {
        const wchar_t* in;
        const wchar_t* remove;  // "" for none
        const wchar_t* add;
        const wchar_t* out;
        bool failed;
    } cases[] = {
        {L"SIZE>0 & (EXT=\"A\" | EXT=\"B\")", L"B", L"", L"SIZE>0 & (EXT=\"A\")", false},
        {L"SIZE>0 & (EXT=\"A\" | EXT=\"B\")", L"A", L"", L"SIZE>0 & (EXT=\"B\")", false},
        {L"SIZE>0 & ( EXT=\"A\" | EXT=\"B\" )", L"B", L"", L"SIZE>0 & ( EXT=\"A\")", false},
        {L"EXT=\"A\" | EXT=\"B\" | EXT=\"C\"", L"B", L"", L"EXT=\"A\" | EXT=\"C\"", false},
        {L"EXT=\"A\" | EXT=\"B\" | EXT=\"C\"", L"C", L"", L"EXT=\"A\" | EXT=\"B\"", false},
        {L"EXT=\"A\"|EXT=\"B\" |EXT=\"A\"", L"A", L"", L"EXT=\"B\"", false},
        {L"EXT=\"A\" & SIZE>0 | EXT=\"B\"", L"A", L"", L"EXT=\"A\" & SIZE>0 | EXT=\"B\"", true},
        {L"EXT=\"A\" | EXT=\"B\" | !(EXT=\"A\")", L"A", L"", L"EXT=\"B\" | !(EXT=\"A\")", true},
        {L"EXT=\"A\" | EXT=\"B\"", L"X", L"", L"EXT=\"A\" | EXT=\"B\"", false},
        {L"EXT=\"A\" | (", L"A", L"", L"EXT=\"A\" | (", true},
        {L"SIZE>0 & (EXT=\"A\"|EXT=\"B\")", L"", L"C", L"SIZE>0 & (EXT=\"A\"|EXT=\"B\"|EXT=\"C\")", false},
        {L"SIZE>0 & (EXT=\"A\" | EXT=\"B\")", L"", L"C", L"SIZE>0 & (EXT=\"A\" | EXT=\"B\" | EXT=\"C\")", false},
        {L"FORCE & (EXT=\"A\") | (EXT=\"B\")", L"", L"C", L"FORCE & (EXT=\"A\") | (EXT=\"B\"|EXT=\"C\")", false},
        {L"SIZE>0 & (EXT=\"A\") | (EXT=\"B\")", L"", L"C", L"SIZE>0 & (EXT=\"A\") | (EXT=\"B\"|EXT=\"C\")", false},
        {L"SIZE>0 & (EXT=\"A\")", L"", L"C", L"SIZE>0 & (EXT=\"A\"|EXT=\"C\")", false},
        {L"SIZE>0 & EXT=\"A\"", L"", L"C", L"(SIZE>0 & EXT=\"A\") | EXT=\"C\"", false},
        {L"", L"", L"C", L"EXT=\"C\"", false},
    };
    for (const auto& c : cases) {
        CAPTURE(c.in);
        std::set<std::wstring> remove;
        std::vector<std::wstring> add;
        if (*c.remove) remove.insert(c.remove);
        if (*c.add) add.push_back(c.add);
        bool failed = !c.failed;
        CHECK(Edit(c.in, remove, add, &failed) == c.out);
        CHECK(failed == c.failed);
    }
}

TEST_CASE("an extension named more often than the removal cap is reported, not claimed gone") {
    std::wstring s = L"EXT=\"B\"";
    for (int i = 0; i < 70; ++i) s += L" | EXT=\"A\"";
    bool failed = false;
    std::wstring out = Edit(s, {L"A"}, {}, &failed);
    CHECK(failed);
    CHECK(Occurrences(out, L"A") == 6);
    out = Edit(out, {L"A"}, {}, &failed);
    CHECK_FALSE(failed);
    CHECK(out == L"EXT=\"B\"");
}

TEST_CASE("toggling an extension keeps every other file's verdict, on generated and real strings") {
    std::mt19937 rng(4711);
    int checked = 0;
    for (int i = 0; i < 400; ++i) {
        std::wstring s = Generate(rng, 0);
        for (const wchar_t* ext : {L"A", L"TXT", L"D"}) CheckToggle(s, ext);
        ++checked;
    }
    for (const CorpusDetect& d : CorpusDetectStrings()) {
        // An empty string takes every file; any extension added narrows it.
        if (dsx::Parse(d.text).root < 0) continue;
        DetectSpec spec = CompileDetect(d.text, true);
        for (const DetectItem& item : spec.items)
            if (item.kind == DetItemExt) CheckToggle(d.text, item.text);
        CheckToggle(d.text, L"ZZZ");
        ++checked;
    }
    CHECK(checked >= 460);  // the corpus was found and read
}
