// The detect string an edit composes, and what counts as a pending change.
#include "editing/pending_ops.h"
#include "editing_test_util.h"

namespace {

PendingEdit Edit(const std::wstring& detect, std::vector<std::wstring> add, std::set<std::wstring> remove,
                 bool has = true) {
    PendingEdit e;
    e.origDetect = detect;
    e.hasDetect = has;
    e.addedExts = std::move(add);
    e.removedExts = std::move(remove);
    return e;
}

PendingEdit Explicit(const std::wstring& detect, const std::wstring& text) {
    PendingEdit e = Edit(detect, {}, {});
    e.explicitDetect = 1;
    e.explicitDetectText = text;
    return e;
}

}  // namespace

TEST_CASE("the composed detect string keeps what the string says beside its extensions") {
    struct Case {
        const wchar_t* detect;
        std::vector<std::wstring> add;
        std::set<std::wstring> remove;
        const wchar_t* composed;
    };
    const Case cases[] = {
        {LR"(EXT="A" | EXT="B")", {L"C"}, {L"b"}, LR"(EXT="A" | EXT="C")"},
        {LR"(EXT="A" | FORCE | MULTIMEDIA)", {}, {L"A"}, L"MULTIMEDIA | FORCE"},
        // An And chain keeps its conditions: never MULTIMEDIA | EXT="MP4".
        {LR"(MULTIMEDIA & EXT="MKV")", {L"MP4"}, {L"MKV"}, LR"(MULTIMEDIA & EXT="MP4")"},
        {LR"(MULTIMEDIA & ext="mkv")", {L"MP4"}, {}, LR"(MULTIMEDIA & (ext="mkv" | EXT="MP4"))"},
        {LR"(FORCE & (EXT="A" | EXT="B"))", {L"C"}, {L"A"}, LR"(FORCE & (EXT="B" | EXT="C"))"},
        {LR"(MULTIMEDIA & !(EXT="A" | EXT="B"))", {}, {L"A"}, LR"(MULTIMEDIA & !(EXT="B"))"},
        {LR"(MULTIMEDIA & (EXT="A"))", {}, {L"A"}, L""},
        // A conditioned extension stays: removing it would change what SIZE guards.
        {LR"(EXT="A" & SIZE>10)", {}, {L"A"}, LR"(EXT="A" & SIZE>10)"},
        {LR"((EXT="A" & SIZE>10) | EXT="B")", {}, {L"B"}, LR"((EXT="A" & SIZE>10))"},
        {L"", {L"X"}, {}, LR"(EXT="X")"},
    };
    for (const Case& c : cases) {
        CAPTURE(std::wstring(c.detect));
        CHECK(ComposeDetectString(Edit(c.detect, c.add, c.remove)) == c.composed);
    }
    CHECK(ComposeDetectString(Edit(L"", {L"X", L"Y"}, {}, false)) == LR"(EXT="X" | EXT="Y")");
}

TEST_CASE("an edit differs only when the detect string would change") {
    CHECK_FALSE(EntryDiffers(Edit(LR"(EXT="A" & SIZE>10)", {}, {L"A"})));
    // Every extension taken out would leave n_detect="", which TC takes for any file.
    CHECK_FALSE(EntryDiffers(Edit(LR"(MULTIMEDIA & (EXT="A"))", {}, {L"A"})));
    CHECK_FALSE(EntryDiffers(Explicit(LR"(EXT="A"|EXT="B")", LR"(ext = "a" | ext = "b")")));
    // Blanks and case inside FIND are what TC compares.
    CHECK(EntryDiffers(Explicit(LR"(FIND("a b"))", LR"(FIND("ab"))")));
    CHECK(EntryDiffers(Explicit(LR"(FIND("ab"))", LR"(FIND("AB"))")));
    CHECK(EntryDiffers(Explicit(LR"(EXT="A")", L"  ")));
    PendingEdit none = Explicit(L"", L"");
    none.hasDetect = 0;
    CHECK_FALSE(EntryDiffers(none));
}

TEST_CASE("counting pending changes") {
    DiscardPending();
    PlugEntry e;
    e.number = 4;
    e.detectText = LR"(EXT="A")";
    e.hasDetect = 1;
    PendingEdit& edit = PendingEditFor(e);
    edit.addedExts = {L"B"};
    CHECK(CountPendingChanges() == 1);
    edit.addedExts.clear();
    DropPendingIfUnchanged(0, 4);
    CHECK(PendingEdits.empty());
    PendingEditFor(e).deactivate = 1;  // without deleted it changes nothing
    PendingOrders[0].order = {2, 1};
    PendingOrders[1].order = {1, 3, 2};
    PendingReactivations = {L"L|x", L"C|y"};
    GetPlugState(3, L"fs", L"a.wfx", L"fs").curKey = L"FS";
    CHECK(CountPendingChanges() == 5);
    DiscardPending();
}
