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
// Column 0 inserts a row whose index and item data are both `row`; other columns set a cell.
void ListViewSetCell(HWND list, int row, int column, const std::wstring& text);
// The item data (lParam) of a row, -1 when there is no such row.
int ListViewItemData(HWND list, int row);
void ListViewSetItemData(HWND list, int row, int data);
// The item data of the row being custom-drawn.
int ListViewDrawnItem(const NMLVCUSTOMDRAW* draw);
// Whether an item change selected a row that was not selected before.
bool ListViewNewlySelected(const NMLISTVIEW& change);
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
