// Where TC's configuration shows the fields of each Content plugin: column
// views, tooltips, thumbnails, rename templates and searches.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

enum UsePlace : uint32_t { UseColumn = 0, UseTip = 1, UseThumb = 2, UseRename = 3, UseSearch = 4, UseOther = 5 };
constexpr int UsePlaceCount = 6;

struct FieldUse {
    uint32_t place = UseOther;
    std::wstring where;            // which view, file types, template, search or key
    std::set<std::wstring> fields; // as written
};

struct FieldUsage {
    std::map<std::wstring, std::vector<FieldUse>> uses;  // folded plugin name (FoldCase) -> places
    std::map<std::wstring, std::wstring> names;          // folded -> as first written
};

// Reads every place of the wincmd.ini in use. The window keeps one build, which every
// tab reads, until the reload step; workers get a copy.
FieldUsage BuildFieldUsage();
void UsageAdd(FieldUsage& usage, const std::wstring& plugin, const std::wstring& field, uint32_t place,
              const std::wstring& where);
// Every "[=plugin.field]" reference of an INI value.
void UsageParseRefs(FieldUsage& usage, const std::wstring& value, uint32_t place, const std::wstring& where);

// One line per place: prefix, place text, ": ", the fields; "" when unused.
std::wstring FieldUsageText(const FieldUsage& usage, const std::wstring& plugin, const std::wstring& prefix);
// The places that use one field, joined by ", ".
std::wstring FieldUsageTextFor(const FieldUsage& usage, const std::wstring& plugin, const std::wstring& field);
// Number of places (per place in counts) that use the plugin, or one field of it.
int FieldUsageCount(const FieldUsage& usage, const std::wstring& plugin, int (&counts)[UsePlaceCount],
                    const std::wstring& filter);
