#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/data_folder.h"
#include "foundation/ini.h"
#include "foundation/list_view.h"
#include "foundation/ui_globals.h"
#include "foundation/settings.h"
#include "views/page_window.h"
#include "views/window_layout.h"
#include "view_fixture.h"

namespace {

void SetWindowKey(const wchar_t* key, const wchar_t* value) { WriteSettingsIniValue(L"Window", key, value); }

}  // namespace

TEST_CASE("stored window values: placement, start tab and the clamped splits") {
    CHECK_FALSE(ParsePlacement(L"10,10,199,400,0"));
    CHECK_FALSE(ParsePlacement(L"10,10,800"));
    auto four = ParsePlacement(L"10,10,800,600");
    REQUIRE(four);
    CHECK(four->rect.right == 810);
    CHECK(four->rect.bottom == 610);
    CHECK_FALSE(four->maximized);
    CHECK(ParsePlacement(L"10,10,800,600,1")->maximized);

    SettingsValues.erase(L"General/StartTab");  // the default "last"
    const std::pair<const wchar_t*, int> lastTabs[] = {
        {L"3", 4}, {L"9", 0}, {L"-1", 0}, {L"filesystem", 3}, {L"preview", 6}, {L"5", 5}};
    for (auto [stored, tab] : lastTabs) {
        SetWindowKey(L"LastTab", stored);
        CHECK_MESSAGE(StartTabIndex() == tab, stored);
    }
    SettingsValues[L"General/StartTab"] = L"findings";
    CHECK(StartTabIndex() == 5);
    SettingsValues.erase(L"General/StartTab");

    const std::tuple<const wchar_t*, const wchar_t*, double, int> frames[] = {
        {L"10", L"5", 0.15, 40}, {L"90", L"5000", 0.85, 1200}, {L"46", L"120", 0.46, 120}};
    TestView t;
    for (auto [split, height, ratio, detail] : frames) {
        SetWindowKey(L"Split", split);
        SetWindowKey(L"DetailHeight", height);
        LoadFrameLayout(t.view);
        CHECK(t.view.splitRatio == doctest::Approx(ratio));
        CHECK(t.view.detailHeight == detail);
    }
    DeleteFileW(SettingsIniPath().c_str());
}

namespace {

std::wstring HeaderText(HWND list, int column) {
    wchar_t text[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    Header_GetItem(ListView_GetHeader(list), column, &item);
    return text;
}

}  // namespace

TEST_CASE("the splitter of the page: where it stands on the plugin tabs and the preview tab") {
    UiDpi = 96;
    TestView t;
    MainView& view = t.view;
    view.splitRatio = 0.45;
    CHECK(UiDetailSplitX(view, 900) == 399);  // 887 x 0.45, truncated
    view.splitRatio = 0.1;
    CHECK(UiDetailSplitX(view, 900) == 150);
    view.splitRatio = 0.85;
    CHECK(UiDetailSplitX(view, 300) == 150);  // the lower limit wins on a narrow page
    view.tabIsPreview = true;
    view.previewSplitRatio = 0.04;
    CHECK(UiDetailSplitX(view, 900) == 0);
    view.previewSplitRatio = 0.6;
    CHECK(UiDetailSplitX(view, 900) == 532);
    CHECK(UiDetailSplitX(view, 600) == 287);  // at most the inner width less 300
}

TEST_SUITE("listview") {

TEST_CASE("extra columns of the plugin list: table order, remembered widths, the sort follows its column") {
    TestView t;
    HWND PluginList = t.view.controls.pluginList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0,
                                                                   900, 300, nullptr, nullptr, nullptr, nullptr);
    for (int c = 0; c < 5; ++c) ListViewAddColumn(PluginList, c, L"c" + std::to_wstring(c), 60, LVCFMT_LEFT);
    ExtraColWidthMap = {{L"size", 10}, {L"desc", 200}};
    SetExtraCols(t.view, {9, 0});  // size, then desc
    CHECK(ExtraColIds == std::vector<int32_t>{0, 9});
    CHECK(HeaderText(PluginList, 4) == L"Description");
    CHECK(ListView_GetColumnWidth(PluginList, 4) == UiScale(200));
    CHECK(ListView_GetColumnWidth(PluginList, 5) == UiScale(70));  // a width below 16 is no width
    CHECK(PathColumn == 6);

    SortStates[PluginList] = {6, 1};  // by path
    SetExtraCols(t.view, {9});
    CHECK(PathColumn == 5);
    CHECK(SortStates[PluginList].column == 5);
    SortStates[PluginList] = {4, 0};  // by size
    SetExtraCols(t.view, {0, 9});
    CHECK(SortStates[PluginList].column == 5);
    SetExtraCols(t.view, {0});
    CHECK(SortStates[PluginList].column == -1);

    SetExtraCols(t.view, {});
    SaveExtraCols(t.view);
    CHECK(IniGetString(SettingsIniPath(), L"Window", L"ExtraCols").empty());
    CHECK(IniGetString(SettingsIniPath(), L"Window", L"ExtraColWidths") == L"desc:200,size:70");
    DestroyWindow(PluginList);
    DeleteFileW(SettingsIniPath().c_str());
}

TEST_CASE("a list made when its tab is first shown takes the stored layout; one never made keeps its keys") {
    UiDpi = 96;
    SetWindowKey(L"SortFindings", L"2,1");
    SetWindowKey(L"ColsFindings", L"90,80,150,400,200");
    SetWindowKey(L"SortInventory", L"3,1");
    SetWindowKey(L"ColsInventory", L"70,140,70,120,120,110,175,150");
    SetWindowKey(L"ExtraCols", L"size");
    TestView t;
    MainControls& c = t.view.controls;
    auto makeList = [](int columns) {
        HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 900, 300, nullptr, nullptr,
                                    nullptr, nullptr);
        for (int column = 0; column < columns; ++column)
            ListViewAddColumn(list, column, L"c" + std::to_wstring(column), 60, LVCFMT_LEFT);
        return list;
    };
    // Columns chosen while the plugin list does not exist wait for it, not the stored ones.
    SetExtraCols(t.view, {0});
    c.pluginList = makeList(5);
    RestoreListLayout(t.view, c.pluginList);
    CHECK(ListViewColumnCount(c.pluginList) == 6);
    CHECK(HeaderText(c.pluginList, 4) == L"Description");
    CHECK(PathColumn == 5);
    c.findingsList = makeList(5);
    RestoreListLayout(t.view, c.findingsList);
    CHECK(SortStates[c.findingsList].column == 2);
    CHECK(ListView_GetColumnWidth(c.findingsList, 3) == 400);
    SortStates[c.findingsList] = {1, 0};

    SaveWindowLayout(t.view);
    CHECK(IniGetString(SettingsIniPath(), L"Window", L"SortFindings") == L"1,0");
    CHECK(IniGetString(SettingsIniPath(), L"Window", L"SortInventory") == L"3,1");
    CHECK(IniGetString(SettingsIniPath(), L"Window", L"ColsInventory") == L"70,140,70,120,120,110,175,150");
    SetExtraCols(t.view, {});
    for (HWND list : {c.pluginList, c.findingsList}) DestroyWindow(list);
    DeleteFileW(SettingsIniPath().c_str());
}

}  // TEST_SUITE
