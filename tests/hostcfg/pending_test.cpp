#include <doctest/doctest.h>

#include "foundation/text.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

PlugEntry PackerEntry(std::vector<std::pair<std::wstring, int>> lines, std::vector<std::wstring> paths) {
    PlugEntry e;
    e.kind = KindPacker;
    e.name = L"zip";
    e.path = paths[0];
    e.probeStatus = ProbeOk;
    for (const auto& [ext, flags] : lines) {
        e.iniDetect.items.push_back(DetectItem{ext, 0});
        e.packerFlags.push_back(flags);
    }
    e.packerPaths = paths;
    return e;
}

}  // namespace

TEST_CASE("pending-state keys") {
    CHECK(EntryEditKey(0, 7) == L"L|7");
    CHECK(EntryEditKey(5, 7) == L"L|7");
    CHECK(EntryEditKey(1, 12) == L"C|12");
    CHECK(MakePlugKey(2, false, L"ZIP") == L"P|zip");
    CHECK(MakePlugKey(3, true, L"MyFs") == L"F!myfs");
    CHECK(MakePlugKey(4, false, L"x") == L"L|x");
}

TEST_CASE("pending edits and plug states") {
    DiscardPending();
    SUBCASE("an edit is created once, from the entry") {
        PlugEntry e;
        e.kind = KindContent;
        e.number = 4;
        e.path = L" C:\\p\\x.wdx";
        e.name = L"x";
        PendingEdit& edit = PendingEditFor(e);
        edit.deleted = 1;
        e.name = L"changed";
        CHECK(PendingEditFor(e).name == L"x");
        CHECK(FindEntryEdit(1, 4) == &edit);
        CHECK(FindEntryEdit(2, 4) == nullptr);
        CHECK(EntryMarkedDelete(e));
        CHECK_FALSE(EntryMarkedDisable(e));
        edit.pathChanged = 1;
        edit.newPath = L"c:\\P\\X.WDX ";
        CHECK_FALSE(EntryPathChanged(edit));
        edit.newPath = L"c:\\p\\y.wdx";
        CHECK(EntryPathChanged(edit));
    }
    SUBCASE("states that change nothing are pruned") {
        GetPlugState(2, L"zip", L"279,x.wcx", L"zip").curValue = L" 279,x.wcx ";
        GetPlugState(2, L"arj", L"1,a.wcx", L"arj").curKey = L"ARJ";
        GetPlugState(3, L"Cloud", L"c.wfx", L"Cloud").deleted = 1;
        PrunePlugStates();
        CHECK(FindPlugState(2, L"ZIP") == nullptr);
        CHECK(FindPlugState(2, L"arj") != nullptr);
        CHECK(FindPlugState(3, L"cloud") != nullptr);
    }
    SUBCASE("a packer library is deleted only with all its extensions") {
        PlugEntry e = PackerEntry({{L"a", 1}, {L"b", 1}, {L"c", 1}}, {L"x.wcx", L"x.wcx", L"x.wcx"});
        for (const wchar_t* ext : {L"a", L"b"}) GetPlugState(2, ext, L"1,x.wcx", L"x").deleted = 1;
        CHECK_FALSE(EntryMarkedDelete(e));
        GetPlugState(2, L"c", L"1,x.wcx", L"x").deleted = 1;
        CHECK(EntryMarkedDelete(e));
        CHECK_FALSE(EntryMarkedDisable(e));
        CHECK_FALSE(EntryMarkedDelete(PackerEntry({}, {L""})));
    }
    DiscardPending();
    CHECK(PlugStates.empty());
    CHECK(PendingEdits.empty());
}

TEST_CASE("taking a packer plugin's capabilities") {
    DiscardPending();
    // Two lines of one library that spell its path differently.
    TabEntries = {PackerEntry({{L"zip", 279}, {L"jar", 283}, {L"tar", 279}},
                              {L"%COMMANDER_PATH%\\p\\zip.wcx", L"C:\\TC\\p\\zip.wcx", L"%commander_path%\\p\\zip.wcx"})};
    SUBCASE("lines already right drop out; the others keep their own path") {
        TabEntries[0].probeAnswer = L"283";
        TakePackerCaps(0);
        CHECK(PlugStates.size() == 2);
        PlugState* zip = FindPlugState(2, L"zip");
        REQUIRE(zip);
        CHECK(zip->origValue == L"279,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(zip->curValue == L"283,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"jar") == nullptr);
    }
    SUBCASE("the value as read is what the file holds, so a save sees no conflict") {
        TabEntries[0].probeAnswer = L"279";
        TakePackerCaps(0);
        PlugState* jar = FindPlugState(2, L"jar");
        REQUIRE(jar);
        CHECK(CompareIndexKeys(jar->origValue, L"283, C:\\TC\\p\\zip.wcx"));
        CHECK(jar->curValue == L"279,C:\\TC\\p\\zip.wcx");
        CHECK(PlugStates.size() == 1);
    }
    SUBCASE("deleted lines and paths the user changed are kept") {
        GetPlugState(2, L"zip", L"279,%COMMANDER_PATH%\\p\\zip.wcx", L"zip").deleted = 1;
        GetPlugState(2, L"tar", L"279,%commander_path%\\p\\zip.wcx", L"zip").curValue = L"279, D:\\new.wcx";
        TabEntries[0].probeAnswer = L"7";
        TakePackerCaps(0);
        CHECK(FindPlugState(2, L"zip")->curValue == L"279,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"tar")->curValue == L"7,D:\\new.wcx");
        CHECK(FindPlugState(2, L"jar")->curValue == L"7,C:\\TC\\p\\zip.wcx");
    }
    SUBCASE("nothing without an answer of a packer row") {
        TabEntries[0].probeStatus = ProbeError;
        TakePackerCaps(0);
        TakePackerCaps(5);
        CHECK(PlugStates.empty());
    }
    TabEntries.clear();
    DiscardPending();
}

TEST_CASE("orders and selections") {
    PendingOrders.clear();
    CHECK_FALSE(OrderIsCustom(0));
    PendingOrders[0].order = {1, 2, 3};
    PendingOrders[1].order = {2, 1, 3};
    PendingOrders[2].order = {5};
    CHECK_FALSE(OrderIsCustom(0));
    CHECK(OrderIsCustom(1));
    CHECK_FALSE(OrderIsCustom(2));
    CHECK(IsContiguousRun({}));
    CHECK(IsContiguousRun({4, 5, 6}));
    CHECK_FALSE(IsContiguousRun({4, 6}));
    KvLines lines{{L"Zip", L"1,a"}, {L"zip", L"2,b"}};
    auto found = KvFindNoCase(lines, L"ZIP");
    REQUIRE(found);
    CHECK(found->second == L"1,a");
    CHECK_FALSE(KvFindNoCase(lines, L"rar"));
    DiscardPending();
    CHECK(PendingOrders.empty());
}
