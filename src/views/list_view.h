// The toolkit every report list of the program shares: creation, columns, cells,
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

// A report list, single selection, full-row select, double-buffered, sized later.
HWND LvCreate(HWND parent, int id, DWORD extraExStyles);
// Widths are already scaled; format LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER.
void LvAddColumn(HWND list, int column, const std::wstring& caption, int width, int format);
// Column 0 inserts a row whose index and item data are both `row`; other columns set a cell.
void LvSetCell(HWND list, int row, int column, const std::wstring& text);
// The row's item data; -1 for a negative index or a failed read.
int32_t LvGetParam(HWND list, int row);
// Whether the custom-drawn row is selected; always false without custom colours.
bool LvIsSelected(const NMLVCUSTOMDRAW* draw);
// The item data of the first selected row of the plugin or findings list; -1 for none.
int32_t LvSelIndexPlugins();
int32_t LvSelIndexFindings();
// Where a context menu opens: the mouse point, or for the keyboard below the row.
POINT LvMenuPoint(HWND list, int row, LPARAM menuPos);
// Applies "w,w,w" (96-dpi widths, 16..2000 used, others skip their column).
void LvSetColumnWidths(HWND list, const std::wstring& widths);
// The widths at 96 dpi joined by ","; the last column only when includeLast.
std::wstring ColumnWidthsText(HWND list, bool includeLast);
// Widens the last column so the columns fill the list's client width, leaving
// room for a vertical scroll bar that is about to appear.
void LvFitLastColumn(HWND list);
