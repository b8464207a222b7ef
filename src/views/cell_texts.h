// Texts of list cells and panes that depend on the shown entries and the pending
// state, and the colours of status cells.
#pragma once
#include <string>

struct PlugEntry;

// The explanation of a keyword row (DetectItemKind 1..5) for the entry, or for none.
std::wstring KeywordLegendText(int kind, const PlugEntry* entry);
// The line of one plugin in an extension's list of claimants: name, number and,
// for a Lister entry that has the extension only under FORCE, "only with key 4".
std::wstring ExtListKey4Text(size_t index, const std::wstring& ext);

enum class CellList { Plugins, Extensions, Findings, Other };
// The ThemeColors slot of a status cell's text, 0 for the default colour.
int StatusCellSlot(CellList list, int column, const std::wstring& text);
