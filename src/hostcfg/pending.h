// Unsaved changes of the plugin configuration, held until one save writes them.
// UI thread only.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/ini.h"

struct PlugEntry;

// One Lister or Content entry, keyed by EntryEditKey.
struct PendingEdit {
    uint32_t kind = 0;
    int number = 0;
    std::wstring name;
    std::wstring origPath;
    std::wstring origDetect;
    uint8_t hasDetect = 0;
    uint8_t fileExists = 0;
    std::vector<std::wstring> addedExts;
    std::set<std::wstring> removedExts;
    uint8_t explicitDetect = 0;
    std::wstring explicitDetectText;
    uint8_t deleted = 0;
    uint8_t deactivate = 0;  // with deleted: kept in the Disabled section
    uint8_t pathChanged = 0;
    std::wstring newPath;
    bool operator==(const PendingEdit&) const = default;
};

// One Packer extension line or File-system line, keyed by MakePlugKey.
struct PlugState {
    uint32_t kind = 0;
    uint8_t strayLine = 0;  // a key of wincmd.ini's own section that no list shows
    std::wstring origKey;
    std::wstring origValue;
    std::wstring name;
    uint8_t deleted = 0;
    uint8_t deactivate = 0;
    std::wstring curKey;
    std::wstring curValue;
    uint8_t wholeSection = 0;  // deletes a plugin's section of another INI file
    std::wstring sectionIniPath;
    bool operator==(const PlugState&) const = default;
};

struct PendingOrder {
    std::vector<int> order;                 // entry numbers in the new order
    std::map<int, std::wstring> origPaths;  // path of each number when the reorder began
    std::map<int, std::wstring> origNames;
};

extern std::map<std::wstring, PendingEdit> PendingEdits;
extern std::map<std::wstring, PlugState> PlugStates;
extern std::map<int, PendingOrder> PendingOrders;
extern std::set<std::wstring> PendingReactivations;  // keys of kept entries


PendingEdit* FindEntryEdit(int kind, int number);
// Finds or creates the edit of an entry of the shown tab.
PendingEdit& PendingEditFor(const PlugEntry& entry);
bool EntryPathChanged(const PendingEdit& edit);

PlugState* FindPlugState(int kind, const std::wstring& key);
PlugState& GetPlugState(int kind, const std::wstring& key, const std::wstring& value, const std::wstring& name);
bool PlugStateNeeded(const PlugState& state);
void PrunePlugStates();

bool EntryMarkedDelete(const PlugEntry& entry);
bool EntryMarkedDisable(const PlugEntry& entry);

// Makes the capabilities a packer plugin reports the flags of its extension lines.
void TakePackerCaps(size_t row);

bool OrderIsCustom(int kind);
bool IsContiguousRun(const std::vector<unsigned>& positions);


void DiscardPending();
