#include "editing/order_ops.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

#include "editing/editing_host.h"
#include "foundation/list_view.h"
#include "foundation/logs.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

bool StepUp(std::vector<size_t>& order, const std::vector<bool>& sel) {
    bool moved = false;
    for (size_t i = 1; i < order.size(); ++i)
        if (sel[order[i]] && !sel[order[i - 1]]) {
            std::swap(order[i], order[i - 1]);
            moved = true;
        }
    return moved;
}

bool StepDown(std::vector<size_t>& order, const std::vector<bool>& sel) {
    bool moved = false;
    for (size_t i = order.size() - 1; i-- > 0;)
        if (sel[order[i]] && !sel[order[i + 1]]) {
            std::swap(order[i], order[i + 1]);
            moved = true;
        }
    return moved;
}

// The entry numbers of the selected rows; kept rows and stale ids are left out.
std::set<int> SelectedNumbers(HWND list) {
    std::set<int> numbers;
    for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;) {
        int data = ListViewItemData(list, row);
        if (data >= 0 && data < KeptIdBase && (size_t)data < TabEntries.size())
            numbers.insert(TabEntries[(size_t)data].number);
    }
    return numbers;
}

// The order a move starts from: the file's order (its entries by number) as the
// pending order changes it. Not the rows' order: they may still show an order
// that was discarded since.
std::vector<int> CurrentOrder(int kind) {
    std::vector<int> file;
    for (const PlugEntry& e : TabEntries) file.push_back(e.number);
    std::sort(file.begin(), file.end());
    auto pending = PendingOrders.find(kind);
    if (pending == PendingOrders.end()) return file;
    std::vector<int> order;
    for (int n : pending->second.order)
        if (std::binary_search(file.begin(), file.end(), n)) order.push_back(n);
    for (int n : file)
        if (std::find(order.begin(), order.end(), n) == order.end()) order.push_back(n);
    return order;
}

void SelectNumbers(HWND list, const std::set<int>& numbers) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    int firstRow = -1;
    size_t firstIndex = SIZE_MAX;
    for (int row = 0, rows = ListView_GetItemCount(list); row < rows; ++row) {
        int data = ListViewItemData(list, row);
        if (data < 0 || data >= KeptIdBase || (size_t)data >= TabEntries.size() ||
            !numbers.count(TabEntries[(size_t)data].number))
            continue;
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
        if ((size_t)data < firstIndex) {
            firstIndex = (size_t)data;
            firstRow = row;
        }
    }
    if (firstRow < 0) return;
    ListView_SetItemState(list, firstRow, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(list, firstRow, FALSE);
}

}  // namespace

std::optional<std::vector<size_t>> OrderMove(const std::vector<bool>& selected, int op) {
    size_t n = selected.size();
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    if (op == OrderUp || op == OrderDown) {
        if (n < 2) return std::nullopt;
        bool moved = op == OrderUp ? StepUp(order, selected) : StepDown(order, selected);
        return moved ? std::optional(order) : std::nullopt;
    }
    std::vector<size_t> s, u;
    for (size_t i = 0; i < n; ++i) (selected[i] ? s : u).push_back(i);
    std::vector<size_t> out;
    if (op == OrderTop) {
        out = s;
        out.insert(out.end(), u.begin(), u.end());
    } else if (op == OrderBottom) {
        out = u;
        out.insert(out.end(), s.begin(), s.end());
    } else {
        // The block closes up where its first entry stands in TC's order, whatever
        // column the list is sorted by: after the unselected entries before it.
        size_t k = s.empty() ? 0 : s.front();
        out.assign(u.begin(), u.begin() + (long)k);
        out.insert(out.end(), s.begin(), s.end());
        out.insert(out.end(), u.begin() + (long)k, u.end());
    }
    return out == order ? std::nullopt : std::optional(out);
}

void ApplyOrderMove(int kind, const std::vector<size_t>& moved) {
    std::vector<int> before = CurrentOrder(kind);
    auto [it, isNew] = PendingOrders.try_emplace(kind);
    PendingOrder& rec = it->second;
    if (isNew)
        for (const PlugEntry& e : TabEntries) {
            rec.origPaths[e.number] = e.path;
            rec.origNames[e.number] = e.name;
        }
    rec.order.clear();
    for (size_t from : moved)
        if (from < before.size()) rec.order.push_back(before[from]);
    if (!OrderIsCustom(kind)) PendingOrders.erase(kind);
}

void OrderOp(IEditingHost& host, HWND list, int tab, int op) {
    if ((tab != 0 && tab != 1) || TabEntries.empty()) return;
    std::set<int> numbers = SelectedNumbers(list);
    if (numbers.empty()) return;
    std::vector<int> order = CurrentOrder(tab);
    std::vector<bool> sel(order.size());
    for (size_t i = 0; i < order.size(); ++i) sel[i] = numbers.count(order[i]) > 0;
    std::optional<std::vector<size_t>> moved = OrderMove(sel, op);
    if (!moved) {
        MessageBeep(0);
        return;
    }
    SortState& sort = SortStates[list];
    if (sort.column != -1 && !(sort.column == 0 && sort.direction == 0)) sort = {0, 0};
    ApplyOrderMove(tab, *moved);
    DebugLog(L"order op " + std::to_wstring(op) + L", " + std::to_wstring(numbers.size()) + L" plugin(s)");
    host.RefillShownTab();
    SelectNumbers(list, numbers);
    host.UpdateStatusBar();
}
