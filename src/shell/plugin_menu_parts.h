// The plugin context menu's choices that need no window: which files of a plugin
// folder are documents, their order, the user's own commands and the order items.
// No Windows call.
#pragma once
#include <array>
#include <string>
#include <vector>

// A file of the plugin's folder offered under "Documentation": only documents
// (text, HTML, PDF, help, rich text, markdown), never a program, script or link,
// whatever its name says.
bool IsDocFile(const std::wstring& fileName);
// Documents that are shown as text in Lister rather than by their own program.
bool OpensInLister(const std::wstring& fileName);
// Readme files first, pluginst.inf last, the rest between; equal ranks by path.
bool CompareDocFiles(const std::wstring& a, const std::wstring& b);

struct OwnCommand {
    std::wstring label;
    std::wstring command;
};
// "label|command" values in key order; values without '|' are skipped.
std::vector<OwnCommand> ParseOwnCommands(const std::vector<std::wstring>& values);

// Enabled state of move up, down, top, bottom and gather for the selected entry
// indexes (ascending) of a list of count entries.
std::array<bool, 5> OrderItemsEnabled(const std::vector<int>& selected, int count);

// "64 Bit" or "32 Bit", then ", not running" and ", folder" as they apply.
std::wstring TcCandidateLabel(const std::wstring& exe, bool running, bool oneFolder, const std::wstring& notRunning);
