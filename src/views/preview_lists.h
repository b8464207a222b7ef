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
#include "analyses/preview_view.h"

// The field list's "Used" column: where TC uses each field, drawn as badges.
constexpr int PvUsedColumn = 3;
// The records behind the field list's items; an item's data indexes it.
extern std::vector<PvRowRef> PvRows;
// The record behind a field-list item's data; null when there is none.
const PvRowRef* PvRowOfItem(int item);
// Set while the pick list is filled: its check-box changes are not the user's.
extern uint8_t PvPickListFilling;

// Every PvPlugins index once, in display order: the built-in group first, then by
// state class, answered plugins by their values once the choice is made, then number.
std::vector<int> PvPluginOrder();
void PvFillPluginList();
void PvFillFieldList();
// A new file: the field list starts empty under its own label.
void PvClearFieldList();
void PvAddPluginGroup(int index, int position);
// Replaces the group of one row after its answer arrived.
void PvRefreshGroup(int index);
// Reads which groups of the field list are open back into the rows.
void PvSaveGroupStates();
// Appends an item to the group of row `groupIndex` and its record to PvRows.
void PvAppendRow(int groupIndex, const PvRowRef& record, const std::wstring& field, const std::wstring& value,
                 const std::wstring& type);
// Opens every group when a ticked plugin's group is closed, else closes them all.
void PvToggleAllGroups();

// The detail pane for field-list item `item`, with the places TC uses the field.
void PvFieldDetail(int item);
// Context menus: the pick list's row `index`, the field list's item `item`.
void PvPluginMenu(IPreviewView& view, HWND owner, POINT point, int index);
void PvFieldMenu(IPreviewView& view, HWND owner, POINT point, int item);
// The field menu of a valid item: copy value (1), copy reference (2), skip or ask again (3).
enum PvMenuCmd : UINT { PvCmdCopyValue = 1, PvCmdCopyRef = 2, PvCmdSkip = 3 };
HMENU PvFieldMenuItems(const PvRowRef& ref);
// A check box of the pick list changed; changes made while filling are ignored.
void PvPickListChanged(IPreviewView& view, const NMLISTVIEW& change);
