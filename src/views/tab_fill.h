// Filling the tab selected in the tab control: the plugin list of one plugin kind
// with its kept entries and its probe job, or the special tabs' own fillers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analyses/preview_view.h"
#include "editing/launch.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"

// The kind of the plugin tab last filled (-1 none) and its wincmd.ini section text
// as it stood then; the main window compares them on activation.
extern int ShownSectionKind;
extern std::wstring ShownSectionText;

// Where the fields of Content plugins are used in TC; rebuilt whenever a fill reads wincmd.ini.
extern FieldUsage ShownFieldUsage;
// TC's Lister settings as the last fill of the Lister tab read them.
extern ListerSettings ShownListerSettings;

// Progress of the shown tab's probe job, for the status bar.
extern int ProbeDone;
extern int ProbeTotal;

// What the fill hands to features beyond the views; unset entries are skipped.
struct TabFillHooks {
    std::function<void()> resetSearch;          // after the rows stand: finds the hits again, refreshes the search status
    std::function<void()> fillFindings;
    std::function<void()> fillInventory;        // checks the INI and fills the inventory list
    std::function<void()> startBackgroundProbe;
    std::function<void(int kind)> updateInventory;
    std::function<void()> startExtraColumns;
    std::function<void()> setDetailMargins;
};
extern TabFillHooks FillHooks;

// Rebuilds whatever the main window shows for the selected tab; the preview tab
// shows its check through the view.
void FillTab(IPreviewView& preview);

// The plugin of a plugin-list row (-1: the first selected); empty with index -1 for a
// kept row or none. On the inventory tab the inventory list's rows, through the hook.
PlugRef SelectedPluginRef(int row);
extern std::function<PlugRef(int row)> InventoryPluginRef;

// The entries in a pending custom order: each number takes the first entry of
// that number not taken yet; numbers without entry are skipped, the rest follow.
std::vector<PlugEntry> ApplyOrder(std::vector<PlugEntry> entries, const std::vector<int>& order);
// Column 0 of row i: the number, or with a custom order the new place, " ←" and the number.
std::wstring EntryNumberCell(int base, size_t i, int number, bool custom);
