#include "foundation/virtual_list.h"

#include <algorithm>

#include "foundation/text.h"

std::map<HWND, VirtualList> VirtualLists;

namespace {

void CopyCell(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (!buffer || capacity < 1) return;
    size_t n = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.begin(), n, buffer);
    buffer[n] = L'\0';
}

void AnswerCell(const std::vector<VirtualRow>& rows, NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT)) return;
    const VirtualRow* row = item.iItem >= 0 && static_cast<size_t>(item.iItem) < rows.size()
                                ? &rows[static_cast<size_t>(item.iItem)]
                                : nullptr;
    size_t column = static_cast<size_t>(std::max(item.iSubItem, 0));
    CopyCell(row && column < row->cells.size() ? row->cells[column] : std::wstring(), item.pszText, item.cchTextMax);
}

// The first row from `start` on whose first cell begins with (or is) the text typed.
int FindTyped(const std::vector<VirtualRow>& rows, const NMLVFINDITEMW& find) {
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || rows.empty()) return -1;
    std::wstring typed = StrLower(find.lvfi.psz);
    bool partial = (find.lvfi.flags & LVFI_PARTIAL) != 0;
    size_t count = rows.size(), start = static_cast<size_t>(std::clamp(find.iStart, 0, static_cast<int>(count)));
    size_t tries = (find.lvfi.flags & LVFI_WRAP) ? count : count - start;
    for (size_t n = 0; n < tries; ++n) {
        size_t at = (start + n) % count;
        std::wstring cell = rows[at].cells.empty() ? L"" : StrLower(rows[at].cells[0]);
        if (partial ? cell.compare(0, typed.size(), typed) == 0 : cell == typed) return static_cast<int>(at);
    }
    return -1;
}

}  // namespace

bool ListViewIsVirtual(HWND list) {
    return list && (GetWindowLongPtrW(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

std::vector<VirtualRow>* ListViewRowsOf(HWND list) {
    return ListViewIsVirtual(list) ? &VirtualLists[list].rows : nullptr;
}

void ListViewRepaintRows(HWND list) {
    if (!ListViewIsVirtual(list)) return;
    VirtualList& shown = VirtualLists[list];
    if (shown.repaintDue) return;
    shown.repaintDue = true;
    InvalidateRect(list, nullptr, FALSE);
}

void ListViewDeleteAllRows(HWND list) {
    ListView_DeleteAllItems(list);
    if (ListViewIsVirtual(list)) VirtualLists[list] = {};
}

void ListViewShowRows(HWND list) {
    if (!ListViewIsVirtual(list)) return;
    VirtualList& shown = VirtualLists[list];
    shown.repaintDue = false;
    SendMessageW(list, LVM_SETITEMCOUNT, shown.rows.size(), LVSICF_NOSCROLL);
}

bool ListViewAnswerRows(const NMHDR* header, LRESULT& result) {
    if (header->code != LVN_GETDISPINFOW && header->code != LVN_ODFINDITEMW) return false;
    if (!ListViewIsVirtual(header->hwndFrom)) return false;
    VirtualList& shown = VirtualLists[header->hwndFrom];
    if (header->code == LVN_GETDISPINFOW) {
        shown.repaintDue = false;
        AnswerCell(shown.rows, *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
        result = 0;
    } else {
        result = FindTyped(shown.rows, *reinterpret_cast<const NMLVFINDITEMW*>(header));
    }
    return true;
}
