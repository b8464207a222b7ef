// Finding and reading rows of the report-style list views, beside the toolkit of list_view.h.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/list_view.h"

struct PlugEntry;

// The row whose item data is `param`; -1 when none.
int ListViewFindItemData(HWND list, int param);
// The same for item data below the row count, through rowOf: the row each item data
// was last seen in, checked against the list and taken again in one pass after the
// rows moved, so a row is found without a walk over the list each time.
int ListViewRowOfItemData(HWND list, int param, std::vector<int>& rowOf);
// The cell text, at most capacity - 1 characters.
std::wstring ListViewCellText(HWND list, int row, int column, int capacity = 512);
// The TabEntries entry a plugin-list row shows; null for a kept row or no row.
const PlugEntry* PluginListEntry(HWND pluginList, int row);
// PlugKey of the Content plugin that a plugin-list row shows; "" for any other row.
std::wstring LvRowContentPlugKey(HWND pluginList, int row);
