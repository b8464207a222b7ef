// The detail pane under the plugin list: what wincmd.ini holds for the selected
// entry, what the plugin reported, pending changes, notes and field usage.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "views/main_view.h"

// The pane's text for a plugin-list item (a TabEntries index, or KeptIdBase + a
// KeptEntries index); "" for anything else. Rows are "label TAB value", CR LF apart.
std::wstring DetailText(int item);
// Fills the pane and the extension checklist for the item; -1 clears both.
void ShowDetails(MainView& view, int item);
// The end of the change log (its last 256 KiB, from the first whole line).
std::wstring ChangeLogTail(const std::wstring& path);
void ShowChangeLog(MainView& view);
// TabEntries indexes of the selected plugin-list rows, ascending.
std::vector<size_t> SelectedRowIndexes(const MainView& view);
