// The inventory tab: every plugin the inventory holds, newly recorded ones marked.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
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
// Compares kind 0-3 with the inventory (UpdateInventory), its section and plugin
// files read on a worker; after a comparison the inventory tab shows it anew, or
// the plugin list its new-plugin marks. Without a worker it compares at once.
void StartInventoryUpdate(MainView& view, int kind);
constexpr UINT MsgInventoryRead = WM_APP + 15;
struct InventoryReadMsg {
    HWND window = nullptr;
    uint32_t order = 0;  // reads are numbered as asked
    // The saves begun and ended when asked: a read asked while a save runs may see
    // the file before the save's writes, so it counts as older than the save.
    uint32_t saves = 0;
    bool withFile = false;  // the inventory file too
    InventoryRead read;     // of read.kind, from read.ini: the wincmd.ini in use when asked
};
// The record of a read asked for now, of kind 0-3, for the worker to fill.
std::unique_ptr<InventoryReadMsg> AskInventoryRead(const MainView& view, int kind);
// The worker's part: reads what the record names.
void ReadAskedInventory(InventoryReadMsg& msg);
// A read older than one compared already is dropped, as is one of a wincmd.ini no
// longer in use (UpdateInventory); one that a save may have overlapped is asked
// again once no save runs.
void TakeInventoryRead(MainView& view, InventoryReadMsg& msg);
// The main window's timer while reads wait for a save's end: it asks them then.
constexpr UINT_PTR InventoryWaitTimer = 3;
void AskWaitingInventoryReads(MainView& view);
// Reads asked for and not yet taken, or waiting for a save's end.
bool InventoryReadsRunning();
// The plugin of an inventory-list row (-1: the first selected); empty for none.
PlugRef InventoryRowRef(const MainView& view, int row);
