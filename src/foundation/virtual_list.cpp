#include "foundation/virtual_list.h"

#include <algorithm>

#include "foundation/handles.h"
#include "foundation/list_view.h"
#include "foundation/text.h"

std::map<HWND, VirtualList> VirtualLists;

namespace {

void CopyCell(const std::wstring& text, wchar_t* buffer, int capacity) {
    if (!buffer || capacity < 1) return;
    size_t n = std::min(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.begin(), n, buffer);
    buffer[n] = L'\0';
}

// The path as the cell shows it: shortened in the middle where it is wider than the cell.
std::wstring FittedPath(HDC dc, const std::wstring& full, int width) {
    SIZE size{};
    if (GetTextExtentPoint32W(dc, full.c_str(), static_cast<int>(full.size()), &size) && size.cx <= width) return full;
    std::vector<wchar_t> fitted(full.begin(), full.end());
    fitted.resize(full.size() + 9, L'\0');  // the ellipsis may lengthen the text
    RECT box{0, 0, width, 100};
    DrawTextW(dc, fitted.data(), -1, &box, DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    return fitted.data();
}

int PathTextWidth(HWND list, int margin) {
    return std::max(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, PathColumn, 0)) - margin, 10);
}

HFONT ListFont(HWND list) {
    return reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
}

// Forgets the fitted texts once the width or the font they were fitted for changed.
void KeepFitFor(FittedPaths& paths, int width, HFONT font) {
    if (paths.width == width && paths.font == font) return;
    paths.fittedOf.clear();
    paths.width = width;
    paths.font = font;
}

const std::wstring& ShownPath(HWND list, FittedPaths& paths, const std::wstring& full) {
    KeepFitFor(paths, PathTextWidth(list, paths.margin), ListFont(list));
    auto [fitted, fresh] = paths.fittedOf.try_emplace(full);
    if (!fresh) return fitted->second;
    WindowDc dc(list);
    SelectedObject font(dc.Get(), paths.font);
    fitted->second = FittedPath(dc.Get(), full, paths.width);
    return fitted->second;
}

const std::wstring& ShownCell(HWND list, VirtualList& shown, int row, int column) {
    static const std::wstring none;
    if (row < 0 || static_cast<size_t>(row) >= shown.rows.size() || column < 0) return none;
    const std::vector<std::wstring>& cells = shown.rows[static_cast<size_t>(row)].cells;
    if (static_cast<size_t>(column) >= cells.size()) return none;
    const std::wstring& kept = cells[static_cast<size_t>(column)];
    if (column != PathColumn || shown.paths.margin < 0 || kept.empty()) return kept;
    return ShownPath(list, shown.paths, kept);
}

void AnswerCell(HWND list, VirtualList& shown, NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT)) return;
    CopyCell(ShownCell(list, shown, item.iItem, item.iSubItem), item.pszText, item.cchTextMax);
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

void ListViewRepaintRow(HWND list, int row) {
    if (!ListViewIsVirtual(list) || VirtualLists[list].repaintDue) return;
    int top = ListView_GetTopIndex(list);
    if (row < top || row > top + ListView_GetCountPerPage(list)) return;
    ListView_RedrawItems(list, row, row);
}

void ListViewDeleteAllRows(HWND list) {
    ListView_DeleteAllItems(list);
    if (!ListViewIsVirtual(list)) return;
    VirtualList& shown = VirtualLists[list];
    shown.rows.clear();
    shown.repaintDue = false;
    shown.paths.fittedOf.clear();
}

void ListViewCellsFollowColumn(HWND list, int column, bool inserted) {
    if (!ListViewIsVirtual(list) || column < 0) return;
    auto at = static_cast<size_t>(column);
    for (VirtualRow& row : VirtualLists[list].rows) {
        if (row.cells.size() <= at) continue;  // the cells past the last one held are empty anyway
        if (inserted) row.cells.insert(row.cells.begin() + column, std::wstring());
        else row.cells.erase(row.cells.begin() + column);
    }
    ListViewRepaintRows(list);
}

RowMarks ListViewMarksOf(HWND list) {
    RowMarks marks;
    const std::vector<VirtualRow>* rows = ListViewRowsOf(list);
    if (!rows) return marks;
    auto itemAt = [rows](int row) {
        return row >= 0 && static_cast<size_t>(row) < rows->size() ? (*rows)[static_cast<size_t>(row)].item : -1;
    };
    for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;)
        marks.selected.push_back(itemAt(row));
    marks.focused = itemAt(ListView_GetNextItem(list, -1, LVNI_FOCUSED));
    marks.anchor = itemAt(ListView_GetSelectionMark(list));
    return marks;
}

void ListViewPutMarks(HWND list, const RowMarks& marks) {
    if (!ListViewIsVirtual(list) || ListViewMarksOf(list) == marks) return;
    VirtualList& shown = VirtualLists[list];
    std::unordered_map<int, int> rowOf;
    for (size_t row = 0; row < shown.rows.size(); ++row) rowOf.emplace(shown.rows[row].item, static_cast<int>(row));
    auto rowOfItem = [&rowOf](int item) {
        auto found = rowOf.find(item);
        return found == rowOf.end() ? -1 : found->second;
    };
    shown.movingMarks = true;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int item : marks.selected)
        if (int row = rowOfItem(item); row >= 0) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    if (int row = rowOfItem(marks.focused); row >= 0) ListView_SetItemState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_SetSelectionMark(list, rowOfItem(marks.anchor));
    shown.movingMarks = false;
}

bool ListViewMovingMarks(HWND list) {
    auto shown = VirtualLists.find(list);
    return shown != VirtualLists.end() && shown->second.movingMarks;
}

void ListViewFitPaths(HWND list, int margin) {
    if (!ListViewIsVirtual(list)) return;
    FittedPaths& paths = VirtualLists[list].paths;
    int width = PathTextWidth(list, margin), before = paths.width;
    paths.margin = margin;
    KeepFitFor(paths, width, ListFont(list));
    if (before != width) ListViewRepaintRows(list);
}

std::wstring ListViewShownCell(HWND list, int row, int column) {
    return ListViewIsVirtual(list) ? ShownCell(list, VirtualLists[list], row, column) : std::wstring();
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
        AnswerCell(header->hwndFrom, shown, *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
        result = 0;
    } else {
        result = FindTyped(shown.rows, *reinterpret_cast<const NMLVFINDITEMW*>(header));
    }
    return true;
}
