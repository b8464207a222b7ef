// The extension checklist under the plugin list: every extension and keyword of
// the selected entry with its state, a hint and, where it may change, a check box.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct MainView;

// Extension text (upper case) -> indexes of TabEntries whose wincmd.ini detect
// string names it as an extension item, in tab order. Rebuilt by each fill.
extern std::map<std::wstring, std::vector<size_t>> ExtClaims;
void BuildExtClaims();

enum ExtRowMode : int {
    ExtModeNone = -1,    // no check box
    ExtModeRemove = 0,   // ticked = kept in the detect string, unticked = removed
    ExtModeAdd = 1,      // ticked = added to the detect string
    ExtModeLocked = 2,   // shown but not to be changed here
};

struct ExtRow {
    uint32_t kind = 0;  // detect item kind; 4 on the information rows of Packer and File system
    std::wstring key;   // the extension, keyword or name
};

// One row as the list shows it.
struct ExtListRow {
    ExtRow row;
    std::wstring label;  // column 0
    std::wstring state;
    std::wstring hint;
    int check = -1;      // -1 none, 0 unticked, 1 ticked
    int mode = ExtModeNone;
};

// The rows of TabEntries[index] in list order; none for a bad index.
std::vector<ExtListRow> BuildExtListRows(size_t index);
// " · already with: ..." naming the other entries that claim ext; "" when none.
std::wstring ExtRowHint(size_t shownIndex, const std::wstring& ext);
// Appends the rows to the extension list and its records in the view.
void AddExtRows(MainView& view, const std::vector<ExtListRow>& rows);

struct PendingEdit;
// The edited detect string would lose its last extension term (of a bracket, of
// the exclusions, or at all), so TC would offer the plugin every file.
bool DetectLostLast(const PendingEdit& edit);
