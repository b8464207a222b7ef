// The plugin inventory: every plugin the program has seen in the wincmd.ini in
// use, with first-seen and removed dates, kept in Kestrovane.inventory.ini; each
// change it notices goes to the change log.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hostcfg/plug_entry.h"

using InvRecord = std::map<std::wstring, std::wstring>;

extern std::map<std::wstring, std::wstring> InvMeta;
// Section name (kind letter, '|', folded expanded path, "#2"... for repeats) -> record.
extern std::map<std::wstring, InvRecord> InvSections;
extern uint8_t InvLoaded;
// The inventory belongs to another wincmd.ini and is not updated.
extern uint8_t InvOtherIni;
// The file exists but could not be read; it is never replaced while so.
extern uint8_t InvUnreadable;
// Kinds whose section the program's own save wrote since their last update.
extern std::set<int> SavedKinds;

// The value, "" when the key is absent.
const std::wstring& EntryGet(const InvRecord& record, const std::wstring& key);
// Writes only a differing value, and then sets changed.
void EntrySet(InvRecord& record, const std::wstring& key, const std::wstring& value, bool& changed);
// By type (L, C, P, F), then by name ignoring case.
bool InvEntryLess(const InvRecord& a, const InvRecord& b);

// The section of a configured plugin (the first one, without a "#n" suffix).
std::wstring InventorySectionName(int kind, const std::wstring& expandedPath);

// The inventory file as read, not yet the program's: the records of ten thousand
// plugins take long enough to read that a worker reads them for the window.
struct InventoryFile {
    std::map<std::wstring, std::wstring> meta;
    std::map<std::wstring, InvRecord> sections;
    uint8_t unreadable = 0;
};
InventoryFile ReadInventoryFile();
void TakeInventoryFile(InventoryFile file);
// ReadInventoryFile, then TakeInventoryFile.
void LoadInventory();
// Nothing loaded yet, or the last read failed.
bool InventoryFileWanted();
// Loads when needed; false when the inventory must not be updated for the
// wincmd.ini in use (none, another one's inventory, or an unreadable file).
bool InventoryCheckIni();
// What a comparison asks of the disk, read off the window's thread: the section
// of a wincmd.ini (its entries without their compiled detect strings) and the stamp
// of each present plugin file ("" for an absent one), in its order; with the
// inventory file when asked for.
struct InventoryRead {
    int kind = 0;
    std::wstring ini;  // the wincmd.ini read
    PluginSection section;
    std::vector<std::wstring> stamps;
    std::optional<InventoryFile> file;
};
InventoryRead ReadForInventory(const std::wstring& wincmdIni, int kind, bool withFile);
// Compares kind 0-3 with the inventory once every existing plugin file of the
// kind has a probe result; logs the changes and rewrites the file. A read of
// another wincmd.ini than the one in use is dropped. True when it compared, so the
// caller shows the inventory anew. A change is logged once the file holds it: when
// the file cannot be replaced, the change waits for the next update's write.
bool UpdateInventory(InventoryRead read);
bool UpdateInventory(int kind);
// The change-log wording of a detect-string change: "+EXT −EXT", or "reworded".
std::wstring DescribeDetectChange(const std::wstring& oldText, bool oldHas, const std::wstring& newText, bool newHas);

// Recorded after the first inventory of its kind, less than HighlightDays ago, not removed.
bool IsNewlyRecorded(const InvRecord& record);
bool EntryIsNew(int kind, const PlugEntry& entry);
