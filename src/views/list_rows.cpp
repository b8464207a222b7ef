#include "views/list_rows.h"

#include <commctrl.h>

#include <cwchar>

#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "foundation/virtual_list.h"

int ListViewFindItemData(HWND list, int param) {
    if (const auto* rows = ListViewRowsOf(list)) {
        for (size_t row = 0; row < rows->size(); ++row)
            if ((*rows)[row].item == param) return static_cast<int>(row);
        return -1;
    }
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = param;
    return (int)SendMessageW(list, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&find);
}

int ListViewRowOfItemData(HWND list, int param, std::unordered_map<int, int>& rowOf) {
    auto seen = rowOf.find(param);
    int guess = seen != rowOf.end() ? seen->second : param;  // rows start in the order of their data
    if (ListViewItemData(list, guess) == param) return guess;
    int row = ListViewFindItemData(list, param);
    rowOf[param] = row;
    return row;
}

std::wstring ListViewCellText(HWND list, int row, int column, int capacity) {
    if (ListViewIsVirtual(list)) return capacity < 1 ? L"" : ListViewShownCell(list, row, column).substr(0, (size_t)capacity - 1);
    std::wstring buffer(static_cast<size_t>(capacity), L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = capacity;
    SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    return buffer;
}

const PlugEntry* PluginListEntry(HWND pluginList, int row) {
    int id = pluginList ? ListViewItemData(pluginList, row) : -1;
    return id >= 0 && (size_t)id < TabEntries.size() ? &TabEntries[(size_t)id] : nullptr;
}

std::wstring LvRowContentPlugKey(HWND pluginList, int row) {
    const PlugEntry* e = PluginListEntry(pluginList, row);
    return e && e->kind == KindContent ? PlugKey(e->expandedPath) : L"";
}
