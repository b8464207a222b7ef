#include "views/list_sort.h"

#include "foundation/list_view.h"

void ListViewSortByColumn(HWND list, int column) {
    SortState& state = SortStates[list];
    state.direction = state.column == column ? 1 - state.direction : 0;
    state.column = column;
    ListViewSortApply(list);
}

void ListViewSortApply(HWND list) { ListViewShowSortArrow(list); }

void ListViewShowSortArrow(HWND list) {
    const SortState& state = SortStates[list];
    HWND header = ListView_GetHeader(list);
    int count = header ? Header_GetItemCount(header) : 0;
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == state.column) item.fmt |= state.direction ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, i, &item);
    }
}
