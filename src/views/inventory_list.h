// The inventory tab: every plugin the inventory holds, newly recorded ones marked.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analyses/inventory.h"
#include "editing/launch.h"
#include "views/main_view.h"

enum InvRowMark : int32_t { InvMarkNone = 0, InvMarkNew = 1, InvMarkRemoved = 2 };

// Type, plugin, version, file date, recorded, origin, state, path.
std::array<std::wstring, 8> InventoryCells(const InvRecord& record);
int32_t InventoryMark(const InvRecord& record);
// The records in list order: by type, then by name.
std::vector<const InvRecord*> InventoryRows();

// Between the pieces of a status text.
inline constexpr wchar_t kStatusSeparator[] = L"  \u00B7  ";
// The inventory tab's status: plugins and removed ones, or that the inventory
// cannot be read or belongs to another wincmd.ini; whether probes still run; the
// file's path.
std::wstring InventoryStatus(bool probing);

// Loads the inventory when needed and refills the list and the row vectors;
// each row's item data is its row number.
void FillInventoryList(MainView& view);
// Compares kind 0-3 with the inventory (UpdateInventory); after a comparison the
// inventory tab shows it anew, or the plugin list its new-plugin marks.
void UpdateInventoryShown(MainView& view, int kind);
// The plugin of an inventory-list row (-1: the first selected); empty for none.
PlugRef InventoryRowRef(const MainView& view, int row);
