#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "analyses/plugin_caches.h"
#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "probe/plugin_info.h"
#include "probe/workers.h"
#include "support/test_support.h"
#include "views/extra_columns.h"
#include "views/list_sort.h"
#include "views/window_layout.h"
#include "view_fixture.h"

namespace {

bool LastSeen = false;
// The view whose plugin list the details fill; its main window takes the answers.
TestView Shown;

LRESULT CALLBACK ResultWnd(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != MsgDetailsResult) return DefWindowProcW(window, msg, wParam, lParam);
    std::unique_ptr<DetailsMsg> result(reinterpret_cast<DetailsMsg*>(lParam));
    LastSeen = LastSeen || result->last;
    ApplyExtraColValues(Shown.view, *result);
    return 0;
}

// Runs the details job of the list and applies its answers; false when none came.
bool FillAndWait() {
    LastSeen = false;
    XcolStartWorker(Shown.view);
    MSG msg;
    for (int i = 0; i < 2000 && !LastSeen; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (!LastSeen) Sleep(10);
    }
    return LastSeen;
}

std::wstring Cell(int row, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(Shown.view.controls.pluginList, row, column, text, 512);
    return text;
}

PlugEntry Entry(int kind, const std::wstring& path) {
    PlugEntry e;
    e.kind = static_cast<PlugKind>(kind);
    e.path = e.expandedPath = path;
    e.name = L"x";
    return e;
}

}  // namespace

TEST_SUITE("listview") {

TEST_CASE("extra columns: each column's text for the fake plugins, and a replaced file after the cache reset") {
    std::wstring dir = FreshTempDir(L"xcol");
    std::wstring bits = sizeof(void*) == 8 ? L"64" : L"";  // the fakes of this build's architecture
    std::wstring fakeContent = BuildPath(L"fakes\\plugins\\content.wdx" + bits);
    std::wstring fakeLister = BuildPath(L"fakes\\plugins\\lister.wlx" + bits);
    std::wstring content = dir + L"\\content.wdx" + bits, lister = dir + L"\\lister.wlx" + bits;
    REQUIRE(CopyFileW(fakeContent.c_str(), content.c_str(), FALSE));
    REQUIRE(CopyFileW(fakeLister.c_str(), lister.c_str(), FALSE));
    WNDCLASSW wc{};
    wc.lpfnWndProc = ResultWnd;
    wc.lpszClassName = L"XcolTestResults";
    RegisterClassW(&wc);
    HWND window = Shown.view.controls.main =
        CreateWindowW(L"XcolTestResults", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HWND PluginList = Shown.view.controls.pluginList = CreateWindowExW(
        0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 900, 300, nullptr, nullptr, nullptr, nullptr);
    for (int c = 0; c < 5; ++c) ListViewAddColumn(PluginList, c, L"c", 60, LVCFMT_LEFT);
    SetExtraCols(Shown.view, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    TabEntries = {Entry(KindContent, content), Entry(KindLister, lister), Entry(KindPacker, content)};
    TabEntries[0].hasDetect = 1;
    TabEntries[0].detectText = L"EXT=\"TXT\"";
    for (int row = 0; row < 3; ++row) ListViewSetCell(PluginList, row, 0, L"r");
    DropExtraColumnTexts();
    REQUIRE(FillAndWait());

    PluginDetails facts = BuildPluginDetails(content);
    CHECK(facts.company == L"Fake Works");
    for (size_t c = 0; c < 11; ++c) {
        CAPTURE(c);
        std::wstring expected = PluginDetailColumn(facts, c);
        CHECK(Cell(0, 4 + static_cast<int>(c)) == (expected.empty() ? L" " : expected));
    }
    CHECK(Cell(0, 4 + 4) == (bits.empty() ? L"32" : L"64"));
    CHECK(Cell(0, 4 + 9).ends_with(L" KB"));
    CHECK(Cell(0, 4 + 5).size() == 10);  // the link date, YYYY-MM-DD
    CHECK(!Cell(0, 4 + 6).empty());     // the kind from the exports
    CHECK(Cell(0, 4 + 11) == Tr("xr_specific"));
    CHECK(Cell(1, 4 + 11) == L" ");  // not probed yet, no detect string: no reach to tell
    CHECK(Cell(0, 4 + 12) == Tr("uss_none"));
    CHECK(Cell(1, 4) == L" ");  // a file without version texts: a blank, not an empty cell
    CHECK(Cell(1, 4 + 12).empty());  // only Content plugins show where they are used
    CHECK(Cell(2, 4 + 11).empty());  // nor does a Packer show a reach

    // Sorted by size while the job runs: the rows move once, when the last answer came.
    SortStates[PluginList] = {4 + 9, 0};
    DropExtraColumnTexts();
    REQUIRE(FillAndWait());
    std::wstring listerSize = BuildPluginDetails(lister).size;
    REQUIRE(listerSize != facts.size);
    bool listerFirst = StrCmpLogicalW(listerSize.c_str(), facts.size.c_str()) < 0;
    CHECK(ListViewItemData(PluginList, listerFirst ? 0 : 2) == 1);
    CHECK(Cell(listerFirst ? 0 : 2, 4 + 9) == listerSize);
    SortStates[PluginList] = {0, 0};  // equal texts: back to the order of the entries
    ListViewSortApply(PluginList);
    SortStates[PluginList] = {-1, 0};

    // An older job's late answer: cached only while it belongs to the run since the reset.
    uint32_t before = XcolGen.load();
    DropExtraColumnTexts();
    ApplyExtraColValues(Shown.view, DetailsMsg{before, 0, content, facts, 1});
    CHECK(XcolCache.empty());

    // The file replaced by another plugin: after the reset the cells show the new file.
    REQUIRE(CopyFileW(fakeLister.c_str(), content.c_str(), FALSE));
    REQUIRE(FillAndWait());
    CHECK(Cell(0, 4 + 1) == L" ");
    CHECK(Cell(0, 4 + 9) == BuildPluginDetails(lister).size);

    SetExtraCols(Shown.view, {});
    TabEntries.clear();
    DestroyWindow(PluginList);
    DestroyWindow(window);
    Shown.view.controls = {};
    RemoveTree(dir);
}

}  // TEST_SUITE
