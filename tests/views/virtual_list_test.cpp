#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "foundation/list_view.h"
#include "foundation/path_display.h"
#include "foundation/virtual_list.h"
#include "hostcfg/kept.h"
#include "hostcfg/plug_entry.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "views/page_window.h"
#include "views/window_layout.h"
#include "view_fixture.h"

namespace {

// Per list, the rows each notification newly selected, as the detail pane follows them.
std::map<HWND, std::vector<int>> NewlySelected;

// Stands in for the page window: it answers the owner-data lists' requests.
LRESULT CALLBACK RowsParent(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (msg == WM_NOTIFY && ListViewAnswerRows(header, answer)) return answer;
    if (msg == WM_NOTIFY)
        if (int row = ListViewNewlySelectedRow(header); row >= 0) NewlySelected[header->hwndFrom].push_back(row);
    return DefWindowProcW(window, msg, wParam, lParam);
}

struct Frame {
    HWND window = nullptr;
    Frame() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RowsParent;
        wc.lpszClassName = L"KvRowsParent";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, L"KvRowsParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 500, nullptr, nullptr,
                                 nullptr, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    ~Frame() { DestroyWindow(window); }
    HWND List(bool virtualRows, int columns) const {
        HWND list = ListViewCreate(window, 900 + virtualRows, 0, virtualRows);
        SetWindowPos(list, nullptr, 0, 0, 850, 400, SWP_NOZORDER);
        for (int c = 0; c < columns; ++c) ListViewAddColumn(list, c, L"c", 120, LVCFMT_LEFT);
        return list;
    }
};

// Fills either kind of list through the same calls: the names, a number column, and a
// last row that stands for item 1000.
void Fill(HWND list, const std::vector<std::wstring>& names, const std::vector<std::wstring>& numbers) {
    ListViewDeleteAllRows(list);
    for (size_t i = 0; i < names.size(); ++i) {
        ListViewSetCell(list, (int)i, 0, names[i]);
        ListViewSetCell(list, (int)i, 1, numbers[i]);
    }
    ListViewSetItemData(list, (int)names.size() - 1, 1000);
    ListViewShowRows(list);
}

std::wstring ControlText(HWND list, int row, int column, int capacity = 64) {
    std::vector<wchar_t> text((size_t)capacity, L'#');
    ListView_GetItemText(list, row, column, text.data(), capacity);
    return text.data();
}

int Typed(HWND list, int start, const wchar_t* typed, UINT flags) {
    LVFINDINFOW find{};
    find.flags = flags;
    find.psz = typed;
    return (int)SendMessageW(list, LVM_FINDITEMW, (WPARAM)start, (LPARAM)&find);
}

std::vector<int> Items(HWND list) {
    std::vector<int> items;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) items.push_back(ListViewItemData(list, row));
    return items;
}

int RowIn(HWND list, UINT state) { return ListView_GetNextItem(list, -1, state); }
int RowIn(HWND list, int after, UINT state) { return ListView_GetNextItem(list, after, state); }

// The items of the selected rows, in the order of their rows.
std::vector<int> SelectedItems(HWND list) {
    std::vector<int> items;
    for (int row = -1; (row = RowIn(list, row, LVNI_SELECTED)) >= 0;) items.push_back(ListViewItemData(list, row));
    return items;
}

// Every cell as the program reads it and as the list shows it.
std::wstring AllCells(HWND list) {
    std::wstring out;
    for (int row = 0; row < ListView_GetItemCount(list); ++row, out += L"\n")
        for (int column = 0; column < ListViewColumnCount(list); ++column)
            out += ListViewCellText(list, row, column) + L"/" + ControlText(list, row, column) + L"|";
    return out;
}

// Many rows may be selected, as in the plugin list.
HWND MultiList(const Frame& frame, bool virtualRows, int columns) {
    HWND list = frame.List(virtualRows, columns);
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) & ~LVS_SINGLESEL);
    return list;
}

// A click of the left button on a row, with the keys held (MK_SHIFT, MK_CONTROL).
void Click(HWND list, int row, WPARAM keys = 0) {
    RECT cell{};
    ListView_GetItemRect(list, row, &cell, LVIR_LABEL);
    LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageW(list, WM_LBUTTONUP, keys, at);
}

// A key pressed in the list, with Shift held or not.
void Key(HWND list, WORD key, bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(list, WM_KEYDOWN, key, 0);
    SendMessageW(list, WM_KEYUP, key, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

// The item the detail pane would show: the one newly selected last.
int ShownItem(HWND list) {
    const std::vector<int>& rows = NewlySelected[list];
    return rows.empty() ? -1 : ListViewItemData(list, rows.back());
}

// The plugin list as the tab shows it, its path column 160 pixels wide.
HWND PathList(const Frame& frame, TestView& t) {
    HWND list = t.view.controls.pluginList = frame.List(true, 5);
    ListView_SetColumnWidth(list, PathColumn, 160);
    return list;
}

}  // namespace

TEST_SUITE("listview") {

TEST_CASE("a list that keeps no rows answers as one that does: cells, item data, finding a row, typing") {
    Frame frame;
    HWND stored = frame.List(false, 3), owned = frame.List(true, 3);
    REQUIRE(ListViewIsVirtual(owned));
    REQUIRE_FALSE(ListViewIsVirtual(stored));
    std::vector<std::wstring> names{L"Beta", L"alpha", L"bet", L"gamma"}, numbers{L"10", L"9", L"100", L"1"};
    for (HWND list : {stored, owned}) {
        CAPTURE(list == owned);
        Fill(list, {L"old"}, {L"0"});  // a refill replaces every row
        Fill(list, names, numbers);
        ListViewSetCell(list, 1, 2, L"third");
        REQUIRE(ListView_GetItemCount(list) == 4);
        CHECK(Items(list) == std::vector<int>{0, 1, 2, 1000});
        CHECK(ListViewItemData(list, 4) == -1);
        CHECK(ListViewFindItemData(list, 1000) == 3);
        CHECK(ListViewFindItemData(list, 7) == -1);
        CHECK(ListViewCellText(list, 3, 0) == L"gamma");
        CHECK(ListViewCellText(list, 1, 2) == L"third");
        CHECK(ListViewCellText(list, 0, 2).empty());
        CHECK(ListViewCellText(list, 0, 0, 3) == L"Be");
        // What the list itself shows, as a remote reader or the painting asks it.
        CHECK(ControlText(list, 2, 1) == L"100");
        CHECK(ControlText(list, 1, 2) == L"third");
        CHECK(ControlText(list, 3, 0, 4) == L"gam");
        // Typing in the list: the next row from the start whose name begins so, any case.
        CHECK(Typed(list, -1, L"BET", LVFI_STRING | LVFI_PARTIAL) == 0);
        CHECK(Typed(list, -1, L"bet", LVFI_STRING) == 2);
        CHECK(Typed(list, 3, L"al", LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP) == 1);
        CHECK(Typed(list, -1, L"delta", LVFI_STRING | LVFI_PARTIAL) == -1);
    }
}

TEST_CASE("sorting a list that keeps no rows orders them as the list would and keeps selection and focus on their rows") {
    Frame frame;
    HWND stored = frame.List(false, 2), owned = frame.List(true, 2);
    std::vector<std::wstring> names{L"a", L"b", L"c", L"d"}, numbers{L"10", L"9", L"100", L"9"};
    for (HWND list : {stored, owned}) {
        CAPTURE(list == owned);
        Fill(list, names, numbers);
        ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListViewSortByColumn(list, 1);
        CHECK(Items(list) == std::vector<int>{1, 1000, 0, 2});  // by number; equal ones keep their order
        CHECK(RowIn(list, LVNI_SELECTED) == 0);
        CHECK(RowIn(list, LVNI_FOCUSED) == 0);
        CHECK(ListView_GetNextItem(list, 0, LVNI_SELECTED) == -1);
        ListViewSortByColumn(list, 1);
        CHECK(Items(list) == std::vector<int>{2, 0, 1000, 1});
        CHECK(RowIn(list, LVNI_SELECTED) == 3);
        CHECK(ListViewCellText(list, 0, 1) == L"100");
        SortStates.erase(list);
    }
}

TEST_CASE("the path column shows each path as drawn into the column, shortened in the middle when too wide") {
    Frame frame;
    TestView t;
    HWND list = PathList(frame, t);
    std::wstring shortPath = L"c:\\p\\a.wlx",
                 longPath = L"c:\\plugins\\a folder with a long name\\and another one\\lister.wlx";
    TabEntries.assign(3, PlugEntry{});
    TabEntries[0].path = longPath;
    TabEntries[1].path = shortPath;
    TabEntries[2].path = longPath;  // measured once, shown twice
    KeptEntries.assign(1, KeptEntry{});
    KeptEntries[0].path = longPath + L"x";
    ListViewDeleteAllRows(list);
    const std::wstring paths[] = {longPath, shortPath, longPath, longPath + L"x"};
    for (int row = 0; row < 4; ++row) {
        ListViewSetCell(list, row, 0, L"n");
        ListViewSetCell(list, row, PathColumn, PathForDisplay(paths[row], false));
    }
    ListViewSetItemData(list, 3, KeptIdBase);
    ListViewShowRows(list);

    FitPathColumn(t.view);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(list, WM_GETFONT, 0, 0));
    auto drawn = [&](const std::wstring& full) {
        std::wstring text = PathForDisplay(full, false);
        std::vector<wchar_t> buffer(text.begin(), text.end());
        buffer.resize(text.size() + 9, L'\0');
        RECT box{0, 0, 160 - 12, 100};
        DrawTextW(dc, buffer.data(), -1, &box,
                  DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        return std::wstring(buffer.data());
    };
    CHECK(ListViewCellText(list, 0, PathColumn) == drawn(longPath));
    CHECK(ListViewCellText(list, 0, PathColumn) != PathForDisplay(longPath, false));
    CHECK(ListViewCellText(list, 1, PathColumn) == PathForDisplay(shortPath, false));
    CHECK(ListViewCellText(list, 2, PathColumn) == drawn(longPath));
    CHECK(ListViewCellText(list, 3, PathColumn) == drawn(longPath + L"x"));
    // A wider column shows more of each path again.
    ListView_SetColumnWidth(list, PathColumn, 800);
    FitPathColumn(t.view);
    CHECK(ListViewCellText(list, 0, PathColumn) == PathForDisplay(longPath, false));
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    TabEntries.clear();
    KeptEntries.clear();
}

TEST_CASE("a path cell is fitted to the width of the moment it is read, the list and its readers see one text") {
    Frame frame;
    TestView t;
    HWND list = PathList(frame, t);
    std::wstring longPath = L"c:\\plugins\\a folder with a long name\\and another one\\lister.wlx",
                 otherPath = L"c:\\other plugins\\yet another folder of some length\\viewer.wlx";
    ListViewDeleteAllRows(list);
    ListViewSetCell(list, 0, 0, L"b");
    ListViewSetCell(list, 0, PathColumn, longPath);
    ListViewSetCell(list, 1, 0, L"a");
    ListViewSetCell(list, 1, PathColumn, otherPath);
    ListViewShowRows(list);
    FitPathColumn(t.view);

    std::wstring fittedLong = ListViewCellText(list, 0, PathColumn), fittedOther = ListViewCellText(list, 1, PathColumn);
    CHECK(fittedLong != longPath);
    CHECK(ControlText(list, 0, PathColumn, 260) == fittedLong);  // what the list draws
    // Rows that move take their own text along.
    ListViewSortByColumn(list, 0);
    CHECK(ListViewCellText(list, 0, PathColumn) == fittedOther);
    CHECK(ControlText(list, 1, PathColumn, 260) == fittedLong);
    // A path set anew is fitted too.
    ListViewSetCell(list, 0, PathColumn, longPath);
    CHECK(ListViewCellText(list, 0, PathColumn) == fittedLong);
    // A column sized without a word to the program is read at its new width.
    ListView_SetColumnWidth(list, PathColumn, 800);
    CHECK(ListViewCellText(list, 1, PathColumn) == longPath);
    CHECK(ControlText(list, 0, PathColumn, 260) == longPath);
    SortStates.erase(list);
}

TEST_CASE("a column inserted or removed takes its cells along, in a list that keeps no rows as in one that does") {
    Frame frame;
    HWND stored = frame.List(false, 3), owned = frame.List(true, 3);
    for (HWND list : {stored, owned}) {
        Fill(list, {L"a", L"b"}, {L"1", L"2"});
        ListViewSetCell(list, 0, 2, L"c:\\a.wlx");
        ListViewSetCell(list, 1, 2, L"c:\\b.wlx");
    }
    for (HWND list : {stored, owned}) ListViewAddColumn(list, 1, L"new", 60, LVCFMT_LEFT);
    CHECK(AllCells(owned) == AllCells(stored));
    CHECK(ListViewCellText(owned, 1, 3) == L"c:\\b.wlx");
    for (HWND list : {stored, owned}) ListViewDeleteColumn(list, 2);
    CHECK(AllCells(owned) == AllCells(stored));
    CHECK(ListViewCellText(owned, 0, 2) == L"c:\\a.wlx");
    for (HWND list : {stored, owned}) ListViewDeleteColumn(list, 1);
    CHECK(AllCells(owned) == AllCells(stored));
    CHECK(AllCells(owned) == L"a/a|c:\\a.wlx/c:\\a.wlx|\nb/b|c:\\b.wlx/c:\\b.wlx|\n");

    // The extra columns of the filled plugin list come and go; the path stays under its title.
    TestView t;
    for (HWND list : {frame.List(false, 5), frame.List(true, 5)}) {
        CAPTURE(ListViewIsVirtual(list));
        t.view.controls.pluginList = list;
        Fill(list, {L"a", L"b"}, {L"1", L"2"});
        ListViewSetCell(list, 1, PathColumn, L"c:\\b.wlx");
        SetExtraCols(t.view, {0, 4});  // description, bits
        CHECK(PathColumn == 6);
        CHECK(ListViewCellText(list, 1, 6) == L"c:\\b.wlx");
        CHECK(ListViewCellText(list, 1, 4).empty());
        SetExtraCols(t.view, {4});
        CHECK(ListViewCellText(list, 1, 5) == L"c:\\b.wlx");
        SetExtraCols(t.view, {});  // "Standard columns only"
        CHECK(ListViewCellText(list, 1, PathColumn) == L"c:\\b.wlx");
        CHECK(ListViewCellText(list, 1, 1) == L"2");
        SortStates.erase(list);
    }
}

TEST_CASE("a sort keeps the selection quietly: the same rows selected, no new selection, the mark moves with its row") {
    Frame frame;
    HWND stored = MultiList(frame, false, 2), owned = MultiList(frame, true, 2);
    std::vector<std::wstring> names{L"a", L"b", L"c", L"d", L"e"}, numbers{L"5", L"4", L"3", L"2", L"1"};
    for (HWND list : {stored, owned}) {
        CAPTURE(list == owned);
        Fill(list, names, numbers);
        Click(list, 1);
        Click(list, 3, MK_CONTROL);
        REQUIRE(SelectedItems(list) == std::vector<int>{1, 3});
        REQUIRE(ListView_GetSelectionMark(list) == 3);
        NewlySelected.clear();
        ListViewSortByColumn(list, 1);  // the rows turn round
        CHECK(NewlySelected[list].empty());
        CHECK(SelectedItems(list) == std::vector<int>{3, 1});
        CHECK(ListViewItemData(list, RowIn(list, LVNI_FOCUSED)) == 3);
        CHECK(ListView_GetSelectionMark(list) == 1);
        // Shift extends from where the marked entry stands now.
        Click(list, 0, MK_SHIFT);
        CHECK(SelectedItems(list) == std::vector<int>{1000, 3});
        SortStates.erase(list);
    }
}

TEST_CASE("a range selected with Shift shows the row the user went to, in a list that keeps no rows as in one that does") {
    Frame frame;
    HWND stored = MultiList(frame, false, 2), owned = MultiList(frame, true, 2);
    std::vector<std::wstring> names{L"a", L"b", L"c", L"d", L"e", L"f"}, numbers{L"1", L"2", L"3", L"4", L"5", L"6"};
    for (HWND list : {stored, owned}) {
        CAPTURE(list == owned);
        Fill(list, names, numbers);
        SetFocus(list);
        NewlySelected.clear();
        Click(list, 1);
        CHECK(ShownItem(list) == 1);
        Click(list, 3, MK_SHIFT);
        CHECK(SelectedItems(list) == std::vector<int>{1, 2, 3});
        CHECK(ShownItem(list) == 3);
        Key(list, VK_DOWN, true);
        CHECK(SelectedItems(list) == std::vector<int>{1, 2, 3, 4});
        CHECK(ShownItem(list) == 4);
        Key(list, VK_DOWN, false);
        CHECK(ShownItem(list) == 1000);
        Key(list, VK_UP, true);
        CHECK(SelectedItems(list) == std::vector<int>{4, 1000});
        CHECK(ShownItem(list) == 4);
    }
}

TEST_CASE("a row whose cells change quietly repaints alone when in view, and not at all when scrolled away") {
    Frame frame;
    HWND list = frame.List(true, 2);
    std::vector<std::wstring> names, numbers;
    for (int i = 0; i < 500; ++i) names.push_back(L"row" + std::to_wstring(i)), numbers.push_back(L"0");
    Fill(list, names, numbers);
    UpdateWindow(list);
    RECT dirty{};
    REQUIRE_FALSE(GetUpdateRect(list, &dirty, FALSE));
    auto answer = [list](int row) {
        ListViewSetCellQuietly(list, row, 1, L"answered");
        ListViewRepaintRow(list, row);
    };
    answer(400);
    CHECK_FALSE(GetUpdateRect(list, &dirty, FALSE));
    CHECK(ListViewShownCell(list, 400, 1) == L"answered");
    answer(2);
    RECT row{}, client{};
    ListView_GetItemRect(list, 2, &row, LVIR_BOUNDS);
    GetClientRect(list, &client);
    REQUIRE(GetUpdateRect(list, &dirty, FALSE));
    CHECK((dirty.top <= row.top && dirty.bottom >= row.bottom));
    CHECK(dirty.bottom - dirty.top < (client.bottom - client.top) / 4);
}

}  // TEST_SUITE
