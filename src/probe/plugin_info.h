// What can be told about a plugin file without running it: the information text,
// the values of the plugin list's extra columns, and its capabilities.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "hostcfg/field_usage.h"

// "x64 (64 Bit)", "x86 (32 Bit)", "ARM64" or "0x" and four hex digits.
std::wstring MachineText(uint16_t machine);
// What a configured plugin path whose files are neither x64 nor x86 holds: its
// architecture, or that it is no program file.
std::wstring NoPluginMachineText(const std::wstring& path);

// The information text of a plugin file (lines end with CR LF). configuredPath as
// in the INI, expandedPath with the environment expanded, file the file to read
// (the expanded path or its "64" twin), usage where TC shows the plugin's fields.
std::wstring PluginInfoText(const std::wstring& configuredPath, const std::wstring& expandedPath,
                            const std::wstring& file, const FieldUsage& usage);

// The extra columns of the plugin lists, as far as the file tells them.
struct PluginDetails {
    std::wstring description, company, copyright, language;  // from the version resource
    std::wstring bits;       // "64", "32", "32 + 64", "ARM64" or "?" per file present
    std::wstring buildDate;  // "YYYY-MM-DD" of the link time, "–" when implausible
    std::wstring kind;       // from the exports
    std::wstring unicode;    // "yes" or "no"
    std::wstring capabilities;
    std::wstring size;       // "<n> KB"
    std::wstring fileDate;
    std::wstring reach, used;  // left empty for the list code
    bool operator==(const PluginDetails&) const = default;
};
constexpr size_t PluginDetailColumns = 13;
PluginDetails BuildPluginDetails(const std::wstring& path);
// The value of a column, in the order of the fields above.
const std::wstring& PluginDetailColumn(const PluginDetails& details, size_t column);

// The first value of key under the prefixes that is longer than one character, trimmed.
std::wstring QueryVersionString(const void* block, const std::vector<std::wstring>& prefixes,
                                const std::wstring& key);
