// Helpers shared by the report-style list views of every window and dialog.
#pragma once
#include <windows.h>

// Widens the last column so the columns fill the list's client width, leaving
// room for a vertical scroll bar that is about to appear.
void ListViewFitLastColumn(HWND list);
// The item data (lParam) of a row, -1 when there is no such row.
int ListViewItemData(HWND list, int row);
