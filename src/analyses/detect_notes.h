// The short notes under an entry's detect string and syntax errors in the user's words.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dsx/parse.h"

struct PlugEntry;

struct EntryReach {
    int valid = 0;  // 1 when the effective detect string could be classified
    int reach = 0;
    int reachWithForce = 0;
    uint8_t hasMultimedia = 0;
    uint8_t readsContent = 0;
};

// The INI's detect string, else what the plugin reported; TC offers a plugin
// without detect string every file.
EntryReach DetectReachOfEntry(const PlugEntry& entry);
// A Lister entry that wants (almost) every file.
bool IsGreedyLister(const PlugEntry& entry);

// Per entry of the list: another entry names the same plugin file. Only those can
// get the note of a second registration, so the others may be checked without the
// list, which spares a walk over the whole list per entry.
std::vector<uint8_t> EntriesSharingFile(const std::vector<PlugEntry>& entries);

// Notes on the reach, syntax and a second registration of the same file. The tags
// ("always", "except", "almost", "forceall", "unquoted", "find", "syntax", "dup")
// are collected when tags is not null; entries null means TabEntries.
std::vector<std::wstring> DetectNotes(const PlugEntry& entry, const std::vector<PlugEntry>* entries,
                                      std::vector<std::wstring>* tags);
