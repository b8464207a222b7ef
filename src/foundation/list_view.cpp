#include "foundation/list_view.h"

#include <algorithm>
#include <cwchar>

#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "foundation/virtual_list.h"

std::map<HWND, SortState> SortStates;
std::map<HWND, int> ListMinWidths;
int32_t PathColumn = 4;

namespace {


}  // namespace

int ListViewColumnCount(HWND list) {
    HWND header = ListView_GetHeader(list);
    return header ? Header_GetItemCount(header) : 0;
}

HWND ListViewCreate(HWND parent, int id, DWORD extraExStyles, bool virtualRows) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                  (virtualRows ? LVS_OWNERDATA : 0);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
    if (!list) return nullptr;
    if (virtualRows) VirtualLists[list] = {};  // a window handle may come again
    ListView_SetExtendedListViewStyle(list, extraExStyles | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ThemeSetWindowTheme(list, L"Explorer", nullptr);
    return list;
}

void ListViewAddColumn(HWND list, int column, const std::wstring& caption, int width, int format) {
    std::wstring text = caption;
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = text.data();
    col.iSubItem = column;
    int at = static_cast<int>(SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col)));
    ListViewCellsFollowColumn(list, at, true);
}

void ListViewDeleteColumn(HWND list, int column) {
    if (ListView_DeleteColumn(list, column)) ListViewCellsFollowColumn(list, column, false);
}

namespace {

// Sets the text; the whole list is invalidated once when asked to repaint.
void SetVirtualCell(HWND list, std::vector<VirtualRow>& rows, int row, int column, const std::wstring& text,
                    bool repaint) {
    if (row < 0 || column < 0) return;
    if (column == 0) {
        auto at = rows.begin() + std::min(static_cast<size_t>(row), rows.size());
        rows.insert(at, VirtualRow{row, {text}});
        return;
    }
    if (static_cast<size_t>(row) >= rows.size()) return;
    std::vector<std::wstring>& cells = rows[static_cast<size_t>(row)].cells;
    if (cells.size() <= static_cast<size_t>(column)) cells.resize(static_cast<size_t>(column) + 1);
    cells[static_cast<size_t>(column)] = text;
    if (repaint) ListViewRepaintRows(list);
}

void SetCell(HWND list, int row, int column, const std::wstring& text, bool repaint) {
    if (auto* rows = ListViewRowsOf(list)) {
        SetVirtualCell(list, *rows, row, column, text, repaint);
        return;
    }
    std::wstring copy = text;
    LVITEMW item{};
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = copy.data();
    if (column == 0) {
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.lParam = row;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace

void ListViewSetCell(HWND list, int row, int column, const std::wstring& text) { SetCell(list, row, column, text, true); }

void ListViewSetCellQuietly(HWND list, int row, int column, const std::wstring& text) {
    SetCell(list, row, column, text, false);
}

int ListViewItemData(HWND list, int row) {
    if (row < 0) return -1;
    if (const auto* rows = ListViewRowsOf(list))
        return static_cast<size_t>(row) < rows->size() ? (*rows)[static_cast<size_t>(row)].item : -1;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return static_cast<int>(item.lParam);
}

void ListViewSetItemData(HWND list, int row, int data) {
    if (auto* rows = ListViewRowsOf(list)) {
        if (row >= 0 && static_cast<size_t>(row) < rows->size()) (*rows)[static_cast<size_t>(row)].item = data;
        return;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

// An owner-data list draws its rows without item data.
int ListViewDrawnItem(const NMLVCUSTOMDRAW* draw) {
    HWND list = draw->nmcd.hdr.hwndFrom;
    if (ListViewIsVirtual(list)) return ListViewItemData(list, static_cast<int>(draw->nmcd.dwItemSpec));
    return static_cast<int>(draw->nmcd.lItemlParam);
}

bool ListViewNewlySelected(const NMLISTVIEW& change) {
    if (ListViewMovingMarks(change.hdr.hwndFrom)) return false;
    return (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
}

int ListViewNewlySelectedRow(const NMHDR* header) {
    if (header->code == LVN_ITEMCHANGED) {
        const auto& change = *reinterpret_cast<const NMLISTVIEW*>(header);
        return ListViewNewlySelected(change) ? change.iItem : -1;
    }
    if (header->code != LVN_ODSTATECHANGED || ListViewMovingMarks(header->hwndFrom)) return -1;
    const auto& range = *reinterpret_cast<const NMLVODSTATECHANGE*>(header);
    if (!(range.uNewState & LVIS_SELECTED) || (range.uOldState & LVIS_SELECTED) || range.iFrom < 0) return -1;
    return range.iTo == ListView_GetSelectionMark(header->hwndFrom) ? range.iFrom : range.iTo;
}

bool ListViewRowSelected(const NMLVCUSTOMDRAW* draw) {
    if (!CurrentTheme->custom) return false;
    return (SendMessageW(draw->nmcd.hdr.hwndFrom, LVM_GETITEMSTATE, draw->nmcd.dwItemSpec, LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

POINT ListViewMenuPoint(HWND list, int row, LPARAM menuPos) {
    POINT pt{static_cast<short>(LOWORD(menuPos)), static_cast<short>(HIWORD(menuPos))};
    bool fromKeyboard = menuPos == -1 || (LOWORD(menuPos) == 0xFFFF && HIWORD(menuPos) == 0xFFFF);
    if (!fromKeyboard) return pt;
    pt = {8, 8};
    RECT bounds{};
    bounds.left = LVIR_SELECTBOUNDS;
    if (row >= 0 && SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds)))
        pt = {bounds.left + 8, bounds.bottom};
    ClientToScreen(list, &pt);
    return pt;
}

void ListViewSetColumnWidths(HWND list, const std::wstring& widths) {
    int columns = ListViewColumnCount(list);
    if (widths.empty() || columns < 1) return;
    const wchar_t* p = widths.c_str();
    for (int column = 0; column < columns && *p; ++column) {
        wchar_t* end = nullptr;
        long value = wcstol(p, &end, 10);
        if (end == p) break;
        if (value >= 16 && value <= 2000) ListView_SetColumnWidth(list, column, UiScale(value));
        p = end;
        if (*p == L',') ++p;
    }
}

std::wstring ListViewColumnWidths(HWND list, bool includeLast) {
    int count = ListViewColumnCount(list) - (includeLast ? 0 : 1);
    std::wstring text;
    for (int column = 0; column < count; ++column) {
        if (column) text += L',';
        text += std::to_wstring(MulDiv(ListView_GetColumnWidth(list, column), 96, UiDpi));
    }
    return text;
}

void ListViewFitLastColumn(HWND list) {
    int columns = ListViewColumnCount(list);
    if (columns < 1) return;
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left;
    // The client rectangle shrinks only once the bar is shown; until then the
    // rows that do not fit would put a horizontal bar under the list.
    bool barShown = (GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0;
    if (!barShown && ListView_GetItemCount(list) > ListView_GetCountPerPage(list))
        width -= MulDiv(GetSystemMetrics(SM_CXVSCROLL), UiDpi, UiScreenDpi());
    for (int c = 0; c < columns - 1; ++c) width -= ListView_GetColumnWidth(list, c);
    width = std::max(width, UiScale(60));
    if (auto min = ListMinWidths.find(list); min != ListMinWidths.end()) width = std::max(width, min->second);
    ListView_SetColumnWidth(list, columns - 1, width);
}

void ListViewSetColumnTitle(HWND list, int column, const char* key) {
    std::wstring text = Tr(key);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = text.data();
    SendMessageW(list, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
}
