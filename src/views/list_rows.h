// Finding and reading rows of the report-style list views, beside the toolkit of list_view.h.
#pragma once
#include <windows.h>

#include <string>
#include <unordered_map>

#include "foundation/list_view.h"

struct PlugEntry;

// The row whose item data is `param`; -1 when none.
int ListViewFindItemData(HWND list, int param);
// The same through rowOf, the row each item data was last found in (at first its own
// index): checked with one look at that row, the list is searched only after the rows moved.
int ListViewRowOfItemData(HWND list, int param, std::unordered_map<int, int>& rowOf);
// The cell text, at most capacity - 1 characters.
std::wstring ListViewCellText(HWND list, int row, int column, int capacity = 512);
// The TabEntries entry a plugin-list row shows; null for a kept row or no row.
const PlugEntry* PluginListEntry(HWND pluginList, int row);
// PlugKey of the Content plugin that a plugin-list row shows; "" for any other row.
std::wstring LvRowContentPlugKey(HWND pluginList, int row);
