#include "views/list_rows.h"

#include <commctrl.h>

#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "views/panes.h"

void LvSetCell(HWND list, int row, int column, const std::wstring& text) {
    if (column == 0) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.lParam = row;
        SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
        return;
    }
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
}

int LvGetParam(HWND list, int row) {
    if (row < 0) return -1;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item)) return -1;
    return (int)item.lParam;
}

int LvFindParam(HWND list, int param) {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = param;
    return (int)SendMessageW(list, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&find);
}

std::wstring LvGetText(HWND list, int row, int column) {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
    return buffer;
}

namespace {
int FirstSelectedParam(HWND list) {
    if (!list) return -1;
    return LvGetParam(list, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
}
}  // namespace

int LvSelIndexPlugins() { return FirstSelectedParam(PluginList); }
int LvSelIndexFindings() { return FirstSelectedParam(FindingsList); }

std::wstring LvRowContentPlugKey(int row) {
    int id = PluginList ? LvGetParam(PluginList, row) : -1;
    if (id < 0 || (size_t)id >= TabEntries.size()) return L"";
    const PlugEntry& e = TabEntries[(size_t)id];
    return e.kind == KindContent ? PlugKey(e.expandedPath) : L"";
}
