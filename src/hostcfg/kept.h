// Entries kept outside wincmd.ini: deactivated entries in the Disabled section
// of the program's INI, and the parked extensions of a plugin in Parked.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct PlugEntry;

struct KeptEntry {
    uint32_t kind = 0;
    std::wstring key;         // key of its Disabled line as stored; "install|<path>" for a new one
    std::wstring path;        // as configured, unexpanded
    std::wstring name;
    std::wstring detect;      // Lister/Content
    std::wstring packerExts;  // Packer: "zip:279;jar:279"
    std::wstring fsName;      // File system: its key in FileSystemPlugins
    std::wstring stamp;       // local time of deactivation
    int number = -1;          // Lister/Content entry number; -1 none
    uint8_t hasDetect = 0;
    uint8_t isNew = 0;        // produced by an install
};

// The shown tab's kept entries; list ids from KeptIdBase on address them.
extern std::vector<KeptEntry> KeptEntries;
constexpr int KeptIdBase = 1000000;

// The stored Disabled line of the entry: the line of its key when it has one (it
// was read or written), else the line its deactivation joins or replaces: a Packer
// library's line, or the line of the very same entry.
std::optional<KeptEntry> FindKeptLine(const KeptEntry& entry);
// Writes the entry's Disabled line and gives the key it was stored under, nothing
// when it could not be written. A Packer library's line, or the line of the very
// same entry, is replaced; a different entry with the same path gets a key of its own.
std::optional<std::wstring> WriteDisabledEntry(const KeptEntry& entry);
std::vector<KeptEntry> ReadDisabled(int kind);
bool RemoveDisabledKey(const std::wstring& key);
// Appends ";" (when needed), the extension, ':' and the flags.
void AppendKeptPackerExt(std::wstring& target, int flags, const std::wstring& ext);

// Expanded path of a list row's plugin; "" for an id outside both lists.
std::wstring PathOfId(int id);

std::vector<std::wstring> ParkedValue(const PlugEntry& entry);
// Adds or removes the extension in the entry's Parked list; false when the list
// could not be written.
bool SaveParked(const PlugEntry& entry, const std::wstring& ext, bool park);
