#include "views/list_sort.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "analyses/plugin_caches.h"
#include "hostcfg/field_usage.h"
#include "views/extra_columns.h"
#include "views/list_rows.h"
#include "foundation/list_view.h"
#include "foundation/system_dlls.h"
#include "foundation/virtual_list.h"
#include "views/main_controls.h"
#include "views/row_status.h"
#include "views/tab_fill.h"

namespace {

// Path cells may be shortened with an ellipsis and the "used" cells show badges,
// so those columns sort by what the row stands for (the uses counted as the badges count them).
std::wstring SortText(HWND list, int row, int column) {
    // Any list of the window comes here; the plugin list is known by its control id.
    bool plugins = GetDlgCtrlID(list) == IdPluginList;
    if (plugins && column == PathColumn) return SelectedRowPath(list, row).substr(0, 511);
    if (plugins && column >= 0 && column == XcolFindUsedColumn()) {
        int counts[UsePlaceCount] = {};
        wchar_t text[16];
        swprintf(text, 16, L"%06d", FieldUsageCount(CurrentFieldUsage(), LvRowContentPlugKey(list, row), counts, L""));
        return text;
    }
    return ListViewCellText(list, row, column);
}

}  // namespace

namespace {
// Each row's text in the sort column, by item data, read before the sort: Wine's
// list view moves rows while it sorts, so texts cannot be read in the comparison.
std::map<int, std::wstring> SortTexts;
}  // namespace

int CALLBACK ListViewCompareRows(LPARAM param1, LPARAM param2, LPARAM listParam) {
    const SortState& s = SortStates[(HWND)listParam];
    // Without shlwapi.dll the texts still sort, if not by their numbers.
    const ShlwapiDll* shlwapi = Shlwapi();
    const wchar_t *a = SortTexts[(int)param1].c_str(), *b = SortTexts[(int)param2].c_str();
    int result = shlwapi ? shlwapi->StrCmpLogicalW(a, b) : wcscmp(a, b);
    if (result == 0) result = param1 < param2 ? -1 : (param1 > param2 ? 1 : 0);
    return s.direction == 1 ? -result : result;
}

void ListViewShowSortArrow(HWND list) {
    const SortState& s = SortStates[list];
    HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
    int count = ListViewColumnCount(list);
    for (int c = 0; c < count; ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(header, HDM_GETITEMW, (WPARAM)c, (LPARAM)&item)) continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == s.column) item.fmt |= s.direction == 0 ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(header, HDM_SETITEMW, (WPARAM)c, (LPARAM)&item);
    }
}

namespace {

// An owner-data list's selection and focus belong to row numbers, so where the sort
// moved a selected or focused row they follow its item to its new place.
void SortVirtualRows(HWND list, std::vector<VirtualRow>& rows) {
    RowMarks marks = ListViewMarksOf(list);
    std::stable_sort(rows.begin(), rows.end(), [list](const VirtualRow& a, const VirtualRow& b) {
        return ListViewCompareRows(a.item, b.item, (LPARAM)list) < 0;
    });
    ListViewPutMarks(list, marks);
    ListViewRepaintRows(list);
}

}  // namespace

void ListViewSortApply(HWND list) {
    if (SortStates[list].column >= 0) {
        SortTexts.clear();
        int column = SortStates[list].column;
        for (int row = 0, rows = ListView_GetItemCount(list); row < rows; ++row)
            SortTexts[ListViewItemData(list, row)] = SortText(list, row, column);
        if (auto* rows = ListViewRowsOf(list)) SortVirtualRows(list, *rows);
        else SendMessageW(list, LVM_SORTITEMS, (WPARAM)list, (LPARAM)ListViewCompareRows);
        ListViewShowSortArrow(list);
        int selected = (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
        if (selected >= 0) SendMessageW(list, LVM_ENSUREVISIBLE, (WPARAM)selected, FALSE);
        return;
    }
    ListViewShowSortArrow(list);
}

void ListViewSortByColumn(HWND list, int column) {
    SortState& s = SortStates[list];
    if (s.column == column) {
        s.direction = 1 - s.direction;
    } else {
        s.column = column;
        s.direction = 0;
    }
    ListViewSortApply(list);
}
