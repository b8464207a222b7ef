// Moving plugins within TC's order: the moves themselves, the pending order they
// leave, the plugin list afterwards, and the order as the save writes it.
#include "editing_test_util.h"

#include <commctrl.h>

#include "editing/order_ops.h"
#include "editing/pending_ops.h"
#include "foundation/list_view.h"

namespace {

using Positions = std::vector<size_t>;

Positions Moved(std::vector<bool> sel, int op) { return OrderMove(sel, op).value_or(Positions{}); }

const wchar_t* const Gaps = LR"([ListerPlugins]
1=C:\p\a.wlx
3=C:\p\b.wlx
7=C:\p\c.wlx
8=C:\p\d.wlx
)";

// The tab as the fill arranges it: in the pending order.
void FillLister() {
    TabEntries = LoadPluginSection(0).entries;
    auto it = PendingOrders.find(0);
    if (it == PendingOrders.end()) return;
    std::vector<PlugEntry> arranged;
    for (int n : it->second.order)
        for (const PlugEntry& e : TabEntries)
            if (e.number == n) arranged.push_back(e);
    TabEntries = arranged;
}

void AddRow(HWND list, LPARAM data) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.lParam = data;
    ListView_InsertItem(list, &item);
}

std::vector<int> Order() { return PendingOrders.count(0) ? PendingOrders[0].order : std::vector<int>{}; }

std::vector<int> Shown() {
    std::vector<int> numbers;
    for (const PlugEntry& e : TabEntries) numbers.push_back(e.number);
    return numbers;
}

void SelectOnly(HWND list, int number) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        if (TabEntries[(size_t)ListViewItemData(list, row)].number == number)
            ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

}  // namespace

TEST_CASE("moves keep blocks together and report when nothing moves") {
    CHECK(Moved({true, false, true, false}, OrderUp) == Positions{0, 2, 1, 3});
    CHECK(Moved({false, true, true, false}, OrderUp) == Positions{1, 2, 0, 3});
    CHECK(Moved({true, false, true, false}, OrderDown) == Positions{1, 0, 3, 2});
    CHECK_FALSE(OrderMove({true, true, false}, OrderUp));
    CHECK_FALSE(OrderMove({true, true, false}, OrderTop));
    CHECK_FALSE(OrderMove({false, true}, OrderDown));
    CHECK_FALSE(OrderMove({true}, OrderDown));
    CHECK(Moved({false, true, false, true}, OrderTop) == Positions{1, 3, 0, 2});
    CHECK(Moved({true, false, true, false}, OrderBottom) == Positions{1, 3, 0, 2});
    // Gathering closes the block up at its first entry.
    CHECK(Moved({false, true, false, false, true}, OrderGather) == Positions{0, 1, 4, 2, 3});
    CHECK_FALSE(OrderMove({false, true, true, false}, OrderGather));
}

TEST_CASE("a move and its way back leave no pending order; the order is saved with its gaps closed") {
    SaveFixture f(L"order", Gaps);
    FillLister();
    ApplyOrderMove(0, Positions{0, 2, 1, 3});
    CHECK(Order() == std::vector<int>{1, 7, 3, 8});
    CHECK(CountPendingChanges() == 1);
    FillLister();
    ApplyOrderMove(0, Positions{0, 2, 1, 3});
    CHECK(PendingOrders.empty());
    CHECK(CountPendingChanges() == 0);

    FillLister();
    ApplyOrderMove(0, *OrderMove({false, false, false, true}, OrderTop));
    CHECK(PendingOrders[0].origNames.at(8) == L"d");
    f.Save();
    std::vector<std::wstring> paths;
    for (const PlugEntry& e : LoadPluginSection(0).entries) paths.push_back(e.path);
    CHECK(paths == std::vector<std::wstring>{L"C:\\p\\d.wlx", L"C:\\p\\a.wlx", L"C:\\p\\b.wlx", L"C:\\p\\c.wlx"});
    CHECK(PendingOrders.empty());
}

TEST_SUITE("windows") {
    TEST_CASE("on a list sorted by another column, kept rows selected too, gathering follows TC's order") {
        SaveFixture f(L"order_list", Gaps);
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        HWND list = ListViewCreate(parent, 1, 0);
        SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) & ~LVS_SINGLESEL);  // as the plugin list
        ListViewAddColumn(list, 0, L"#", 40, LVCFMT_LEFT);
        auto fill = [&] {
            FillLister();
            ListView_DeleteAllItems(list);
            // Shown in reverse, as a sort by another column may show them, with one kept row.
            for (size_t i = TabEntries.size(); i-- > 0;) AddRow(list, (LPARAM)i);
            AddRow(list, KeptIdBase);
        };
        f.Host.refill = fill;
        fill();
        SortStates[list] = {2, 1};
        for (int row : {0, 2, 4}) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);  // #8, #3, kept
        OrderOp(SaveFixture::Host, list, 0, OrderGather);
        CHECK(Order() == std::vector<int>{1, 3, 8, 7});
        CHECK(SortStates[list].column == 0);
        CHECK(SortStates[list].direction == 0);
        std::vector<int> selected;
        for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;)
            selected.push_back(ListViewItemData(list, row) < KeptIdBase ? TabEntries[(size_t)ListViewItemData(list, row)].number : -1);
        CHECK(selected == std::vector<int>{8, 3});
        int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
        REQUIRE(focused >= 0);
        CHECK(TabEntries[(size_t)ListViewItemData(list, focused)].number == 3);
        DestroyWindow(parent);
    }

    TEST_CASE("a discarded order leaves the list, and no later move brings it back") {
        SaveFixture f(L"order_discard", Gaps);
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        HWND list = ListViewCreate(parent, 1, 0);
        ListViewAddColumn(list, 0, L"#", 40, LVCFMT_LEFT);
        auto fill = [&] {
            FillLister();
            ListView_DeleteAllItems(list);
            for (size_t i = 0; i < TabEntries.size(); ++i) AddRow(list, (LPARAM)i);
        };
        f.Host.refill = fill;
        fill();
        SelectOnly(list, 8);
        OrderOp(SaveFixture::Host, list, 0, OrderTop);
        REQUIRE(Shown() == std::vector<int>{8, 1, 3, 7});
        DiscardAllPending(SaveFixture::Host, nullptr);
        CHECK(PendingOrders.empty());
        CHECK(Shown() == std::vector<int>{1, 3, 7, 8});

        // Rows that still stand in a discarded order: the move starts from the file's order.
        SelectOnly(list, 8);
        OrderOp(SaveFixture::Host, list, 0, OrderTop);
        DiscardPending();
        SelectOnly(list, 3);
        OrderOp(SaveFixture::Host, list, 0, OrderUp);
        CHECK(Order() == std::vector<int>{3, 1, 7, 8});
        f.Save();
        std::vector<std::wstring> paths;
        for (const PlugEntry& e : LoadPluginSection(0).entries) paths.push_back(e.path);
        CHECK(paths == std::vector<std::wstring>{L"C:\\p\\b.wlx", L"C:\\p\\a.wlx", L"C:\\p\\c.wlx", L"C:\\p\\d.wlx"});
        DestroyWindow(parent);
    }
}
