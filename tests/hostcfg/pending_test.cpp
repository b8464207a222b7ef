#include <doctest/doctest.h>

#include "foundation/text.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

PlugEntry PackerEntry(std::vector<std::pair<std::wstring, int>> lines, std::vector<std::wstring> paths) {
    PlugEntry e;
    e.kind = KindPacker;
    e.name = L"zip";
    e.path = paths.empty() ? L"" : paths[0];
    e.probeStatus = ProbeOk;
    for (const auto& [ext, flags] : lines) {
        e.iniDetect.items.push_back(DetectItem{ext, 0});
        e.packerFlags.push_back(flags);
    }
    e.packerPaths = paths;
    return e;
}

}  // namespace

TEST_CASE("pending edits and plug states") {
    DiscardPending();
    CHECK(MakePlugKey(3, true, L"MyFs") == L"F!myfs");
    GetPlugState(2, L"zip", L"279,x.wcx", L"zip").curValue = L" 279,x.wcx ";
    GetPlugState(2, L"arj", L"1,a.wcx", L"arj").curKey = L"ARJ";
    PrunePlugStates();
    CHECK((FindPlugState(2, L"ZIP") == nullptr && FindPlugState(2, L"arj") != nullptr));

    PlugEntry lib = PackerEntry({{L"a", 1}, {L"b", 1}, {L"c", 1}}, {L"x.wcx", L"x.wcx", L"x.wcx"});
    for (const wchar_t* ext : {L"a", L"b"}) GetPlugState(2, ext, L"1,x.wcx", L"x").deleted = 1;
    CHECK_FALSE(EntryMarkedDelete(lib));
    GetPlugState(2, L"c", L"1,x.wcx", L"x").deleted = 1;
    CHECK(EntryMarkedDelete(lib));
    CHECK_FALSE(EntryMarkedDelete(PackerEntry({}, {})));

    PendingOrders[1].order = {2, 1, 3};
    CHECK((!OrderIsCustom(0) && OrderIsCustom(1)));
    DiscardPending();
    CHECK((PlugStates.empty() && PendingOrders.empty()));
}

TEST_CASE("taking a packer plugin's capabilities") {
    DiscardPending();
    // Lines of one library that spell its path differently.
    TabEntries = {PackerEntry({{L"zip", 279}, {L"jar", 283}, {L"tar", 279}},
                              {L"%COMMANDER_PATH%\\p\\zip.wcx", L"C:\\TC\\p\\zip.wcx", L"%commander_path%\\p\\zip.wcx"})};
    SUBCASE("lines already right drop out; the others keep their own path") {
        TabEntries[0].probeAnswer = L"283";
        TakePackerCaps(0);
        REQUIRE(PlugStates.size() == 2);
        CHECK(FindPlugState(2, L"zip")->origValue == L"279,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"zip")->curValue == L"283,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"tar")->curValue == L"283,%commander_path%\\p\\zip.wcx");
    }
    SUBCASE("the value as read is what the file holds, so a save sees no conflict") {
        TabEntries[0].probeAnswer = L"279";
        TakePackerCaps(0);
        REQUIRE(PlugStates.size() == 1);
        CHECK(CompareIndexKeys(FindPlugState(2, L"jar")->origValue, L"283, C:\\TC\\p\\zip.wcx"));
        CHECK(FindPlugState(2, L"jar")->curValue == L"279,C:\\TC\\p\\zip.wcx");
    }
    SUBCASE("deleted lines and paths the user changed are kept") {
        GetPlugState(2, L"zip", L"279,%COMMANDER_PATH%\\p\\zip.wcx", L"zip").deleted = 1;
        GetPlugState(2, L"tar", L"279,%commander_path%\\p\\zip.wcx", L"zip").curValue = L"279, D:\\new.wcx";
        TabEntries[0].probeAnswer = L"7";
        TakePackerCaps(0);
        CHECK(FindPlugState(2, L"zip")->curValue == L"279,%COMMANDER_PATH%\\p\\zip.wcx");
        CHECK(FindPlugState(2, L"tar")->curValue == L"7,D:\\new.wcx");
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
