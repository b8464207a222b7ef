// The content preview's two lists on the preview tab: the pick list of Content
// plugins with their check boxes, the field list with one group per ticked plugin,
// the detail text of a field and the context menus of both lists. Each call does
// nothing while its list does not exist.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "analyses/preview_texts.h"
#include "views/main_view.h"

// The field list's "Used" column: where TC uses each field, drawn as badges.
constexpr int PvUsedColumn = 3;
// The record behind a field-list item's data; null when there is none.
const PvRowRef* PvRowOfItem(const MainView& view, int item);

// Every PvPlugins index once, in display order: the built-in group first, then by
// state class, answered plugins by their values once the choice is made, then number.
std::vector<int> PvPluginOrder();
void PvFillPluginList(MainView& view);
void PvFillFieldList(MainView& view);
// A new file: the field list starts empty under its own label.
void PvClearFieldList(MainView& view);
void PvAddPluginGroup(MainView& view, int index, int position);
// Replaces the group of one row after its answer arrived.
void PvRefreshGroup(MainView& view, int index);
// Reads which groups of the field list are open back into the rows.
void PvSaveGroupStates(MainView& view);
// Appends an item to the group of row `groupIndex` and its record to the view's rows.
void PvAppendRow(MainView& view, int groupIndex, const PvRowRef& record, const std::wstring& field,
                 const std::wstring& value, const std::wstring& type);
// Opens every group when a ticked plugin's group is closed, else closes them all.
void PvToggleAllGroups(MainView& view);

// The detail pane for field-list item `item`, with the places TC uses the field.
void PvFieldDetail(MainView& view, int item);
// Context menus over the main window: the pick list's row `index`, the field list's item `item`.
void PvPluginMenu(const MainView& view, POINT point, int index);
void PvFieldMenu(const MainView& view, POINT point, int item);
// The field menu of a valid item: copy value (1), copy reference (2), skip or ask again (3).
enum PvMenuCmd : UINT { PvCmdCopyValue = 1, PvCmdCopyRef = 2, PvCmdSkip = 3 };
HMENU PvFieldMenuItems(const PvRowRef& ref);
// A check box of the pick list changed; changes made while filling are ignored.
void PvPickListChanged(const MainView& view, const NMLISTVIEW& change);
