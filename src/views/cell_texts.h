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
// The value of one packer extension line for the entry editor: its pending value,
// else "flags,path".
std::wstring PackerLineValue(const PlugEntry& entry, size_t line);
// Asks whether to go on with a path that names no file (nor its "64" twin).
bool ConfirmMissingFile(void* owner, const std::wstring& path);

enum class CellList { Plugins, Extensions, Findings, Other };
// The ThemeColors slot of a status cell's text, 0 for the default colour.
int StatusCellSlot(CellList list, int column, const std::wstring& text);
