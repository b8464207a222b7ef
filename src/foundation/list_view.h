// The toolkit every report list of every window and dialog shares: creation, columns, cells,
// row data, stored column widths and the stretched last column. UI thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <string>

struct SortState {
    int32_t column = -1;    // -1: not sorted
    int32_t direction = 0;  // 0 ascending, 1 descending
};
// Per list window; an entry is made on first use and never removed.
extern std::map<HWND, SortState> SortStates;
// Per list window: the smallest width (pixels at the current dpi) the stretched
// last column may get; set once the user sized that column.
extern std::map<HWND, int> ListMinWidths;

// The column of the plugin list that shows the path: 4 plus the extra columns shown.
extern int32_t PathColumn;

// A report list, single selection, full-row select, double-buffered, sized later;
// with virtualRows an owner-data list whose rows virtual_list.h keeps.
HWND ListViewCreate(HWND parent, int id, DWORD extraExStyles, bool virtualRows = false);
// Widths are already scaled; format LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER.
int ListViewColumnCount(HWND list);
void ListViewAddColumn(HWND list, int column, const std::wstring& caption, int width, int format);
// Removes a column with its cells, on either kind of list.
void ListViewDeleteColumn(HWND list, int column);
// Column 0 inserts a row whose index and item data are both `row`; other columns set a cell.
void ListViewSetCell(HWND list, int row, int column, const std::wstring& text);
// A cell of a row already shown, without the repaint of the whole owner-data list
// that ListViewSetCell asks for; the caller repaints the row (ListViewRepaintRow).
void ListViewSetCellQuietly(HWND list, int row, int column, const std::wstring& text);
// The item data (lParam) of a row, -1 when there is no such row.
int ListViewItemData(HWND list, int row);
void ListViewSetItemData(HWND list, int row, int data);
// The item data of the row being custom-drawn.
int ListViewDrawnItem(const NMLVCUSTOMDRAW* draw);
// Whether an item change selected a row that was not selected before; not so while an
// owner-data list's selection is put back on the rows its items moved to.
bool ListViewNewlySelected(const NMLISTVIEW& change);
// The row an item change (LVN_ITEMCHANGED) or a range change (LVN_ODSTATECHANGED)
// newly selected; -1 for none. An owner-data list reports a range selected with Shift in
// one notification where a list that keeps its rows reports each row: its row is the
// end the user went to, away from the selection mark.
int ListViewNewlySelectedRow(const NMHDR* header);
// Whether the custom-drawn row is selected; always false without custom colours.
bool ListViewRowSelected(const NMLVCUSTOMDRAW* draw);
// Where a context menu opens: the mouse point, or for the keyboard below the row.
POINT ListViewMenuPoint(HWND list, int row, LPARAM menuPos);
// Applies "w,w,w" (96-dpi widths, 16..2000 used, others skip their column).
void ListViewSetColumnWidths(HWND list, const std::wstring& widths);
// The widths at 96 dpi joined by ","; the last column only when includeLast.
std::wstring ListViewColumnWidths(HWND list, bool includeLast);
// Widens the last column so the columns fill the list's client width, leaving
// room for a vertical scroll bar that is about to appear.
void ListViewFitLastColumn(HWND list);
// Sets only the caption of a column, from a text key.
void ListViewSetColumnTitle(HWND list, int column, const char* key);
