#include "foundation/list_view.h"

#include <commctrl.h>

#include <algorithm>

void ListViewFitLastColumn(HWND list) {
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 0;
    if (columns < 1) return;
    UINT dpi = GetDpiForWindow(list);
    if (dpi == 0) dpi = 96;
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left;
    // The client rectangle shrinks only once the bar is shown; until then the
    // rows that do not fit would put a horizontal bar under the list.
    bool barShown = (GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0;
    if (!barShown && ListView_GetItemCount(list) > ListView_GetCountPerPage(list))
        width -= GetSystemMetricsForDpi(SM_CXVSCROLL, dpi);
    for (int c = 0; c < columns - 1; ++c) width -= ListView_GetColumnWidth(list, c);
    ListView_SetColumnWidth(list, columns - 1, std::max(width, MulDiv(60, (int)dpi, 96)));
}

int ListViewItemData(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return ListView_GetItem(list, &item) ? (int)item.lParam : -1;
}
