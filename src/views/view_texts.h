// Short texts of the views that other subsystems put into logs, lists and reports.
#pragma once
#include <cstdint>
#include <string>

#include "dsx/detect_spec.h"

// The caption of a main tab: 0..3 the plugin kinds, 4 inventory, 5 findings, 6 preview;
// indexes outside are clamped.
std::wstring TabName(int tab);
// "#<n>" in the current language.
std::wstring EntryNumberText(int number);
// The description of a view mode "1".."8" or "4i"; any other word unchanged.
std::wstring ModeNameText(const std::wstring& word);
// The caption of the edit command for a plugin kind.
std::wstring EditMenuText(int kind);
// The names of TC's packer capability bits joined by ", "; unknown bits as "unknown 0x..".
std::wstring PackerCapsText(uint32_t bits);
// The bits added ("+ name") and removed ("− name") between two capability numbers.
std::wstring PackerCapsAddedText(uint32_t oldBits, uint32_t newBits);
// A configured plugin path as the setting PathDisplay of View asks ("ini", "vars",
// "resolved"); compact never gives the raw INI form.
std::wstring PathForDisplay(const std::wstring& path, bool compact);
// The list text of a detect item: the extension, MULTIMEDIA, FORCE or a marker's words.
std::wstring KeywordListText(const DetectItem& item);

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
