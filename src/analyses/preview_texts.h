// What the content preview shows of its rows: the pick list's cells, the field
// list's groups and items, and the detail text and reference of a field.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "hostcfg/field_usage.h"
#include "probe/fields.h"

// One item of the field list: a field's value in one unit, or a group's placeholder.
struct PvRowRef {
    int32_t row = 0;    // index into PvPlugins
    int32_t field = -1; // index into the row's fields; -1 for the placeholder
    int32_t unit = 0;
};

// The field a record names; null for a placeholder or a record out of date.
const FieldDef* PvFieldAt(const PvRowRef& ref);

// Pick-list groups by state: 1 matches, 2 does not match, 3 error, 4 never asked.
int PvPickGroup(const PvPlugin& row);
std::wstring PvPickGroupHeader(int group);
// "#n  name", with a star for a specialist that matches the file.
std::wstring PvPickNameText(const PvPlugin& row);
// The result cell: "valued/all", "…", or a mark of the error.
std::wstring PvPickResultText(const PvPlugin& row);

// The status-bar pieces of the content preview: plugins answered, then the running
// query or why the shown plugin was chosen.
std::vector<std::wstring> PvStatusPieces();
// "querying {i}/{n}…" of the running query.
std::wstring PvRunningText();

// The name of a field type.
std::wstring PvFieldTypeName(int type);
// A value as shown: the text, yes/no, or what a negative result means.
std::wstring PvFlagText(int type, const FieldValue& value);
// The text of a row's query state, with the counts of an answer.
std::wstring PvStateText(const PvPlugin& row);
// The header of a row's group in the field list.
std::wstring PvGroupHeader(const PvPlugin& row);

struct PvItem {
    PvRowRef ref;
    std::wstring field, value, type;
};
// The items of a row's group: the fields shown under the two options, or one placeholder.
std::vector<PvItem> PvGroupItems(int index, bool alsoEmpty, bool allUnits);

// The first line of a row's detail: the plugin, or what the built-in group is.
std::wstring PreviewRowText(const PvPlugin& row);
// The detail text of a pick-list row: the plugin and, but for the built-in group, its state.
std::wstring PvPluginDetailText(const PvPlugin& row);
// The detail text of a field-list item; "" for an item that names no row.
std::wstring PvFieldDetailText(const PvRowRef& ref, const FieldUsage& usage);
// "[=key.field]" or "[=key.field.unit]", as TC takes it.
std::wstring PvFieldReference(const PvRowRef& ref);
// The shown value of the item's unit; "" when it has none.
std::wstring PvItemValueText(const PvRowRef& ref);
