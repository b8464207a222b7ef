// Sorting a list by a column, with the arrow in its header.
#pragma once
#include <windows.h>

// The column-click rule: the same column flips the direction, another sorts ascending.
void ListViewSortByColumn(HWND list, int column);
// Re-sorts the list by its SortState and refreshes the header arrow.
void ListViewSortApply(HWND list);
void ListViewShowSortArrow(HWND list);
