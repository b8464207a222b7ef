// Sorting a list view by a column click, with the arrow in its header.
#pragma once
#include <windows.h>


// A click on a column: the sort column flips its direction, another column sorts ascending.
void ListViewSortByColumn(HWND list, int column);
// Re-sorts by the list's sort state and refreshes the header arrow.
void ListViewSortApply(HWND list);
void ListViewShowSortArrow(HWND list);
// The comparison of two rows by their item data; lParamSort is the list window.
int CALLBACK ListViewCompareRows(LPARAM param1, LPARAM param2, LPARAM list);
