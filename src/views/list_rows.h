// Rows and cells of the report-style list views.
#pragma once
#include <windows.h>

#include <string>

// Column 0 inserts a row at `row` whose item data is `row` too (an index past the
// end appends, so callers pass the item data they want); other columns set the
// text of that row's sub-item.
void LvSetCell(HWND list, int row, int column, const std::wstring& text);
// The row's item data; -1 for a negative row or a failed read.
int LvGetParam(HWND list, int row);
// The row whose item data is `param`; -1 when none.
int LvFindParam(HWND list, int param);
// The cell text, at most 511 characters.
std::wstring LvGetText(HWND list, int row, int column);
// Item data of the first selected row of the plugin or findings list; -1 for none.
int LvSelIndexPlugins();
int LvSelIndexFindings();
// PlugKey of the Content plugin that a plugin-list row shows; "" for any other row.
std::wstring LvRowContentPlugKey(int row);
