// Filling the tab selected in the tab control: the plugin list of one plugin kind
// with its kept entries and its probe job, or the special tabs' own fillers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editing/launch.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "views/main_view.h"

// The kind of the plugin tab last filled (-1 none) and its wincmd.ini section text
// as it stood then; the main window compares them on activation.
extern int ShownSectionKind;
extern std::wstring ShownSectionText;
// Takes the section text of ShownSectionKind as it stands now, so that the program's
// own writes are not taken for outside changes.
void RememberShownSection();

// TC's Lister settings as the last fill of the Lister tab read them.
extern ListerSettings ShownListerSettings;

// Progress of the shown tab's probe job, for the status bar.
extern int ProbeDone;
extern int ProbeTotal;

// Rebuilds whatever the main window shows for the selected tab.
void FillTab(MainView& view);

// The start's fill: a plugin tab's section is read on a worker, so that the window
// paints while thousands of plugin files are asked of the disk; true while it runs.
// Any other tab is filled at once (false).
bool StartFillOnWorker(MainView& view);
constexpr UINT MsgSectionRead = WM_APP + 14;
struct SectionReadMsg {
    HWND window = nullptr;
    uint32_t generation = 0;
    int kind = 0;
    std::wstring ini;  // the wincmd.ini read: the one in use when asked
    PluginSection section;
    std::wstring sectionText;  // PluginSectionText of the same read
};
// The worker's part, and the window's when it reads at once: the text of the
// section first, then the section.
void ReadShownSection(SectionReadMsg& read);
// The worker's section is shown unless another fill came after it was asked for,
// or another wincmd.ini was opened.
void TakeSectionRead(MainView& view, SectionReadMsg& read);
// From StartFillOnWorker until its section is taken: commands are refused, the status says so.
bool SectionReadRunning();

// The plugin of a plugin-list row (-1: the first selected); empty with index -1 for a
// kept row or none. On the inventory tab the inventory list's rows.
PlugRef SelectedPluginRef(MainView& view, int row);

// The entries in a pending custom order: each number takes the first entry of
// that number not taken yet; numbers without entry are skipped, the rest follow.
std::vector<PlugEntry> ApplyOrder(std::vector<PlugEntry> entries, const std::vector<int>& order);
// Column 0 of row i: the number, or with a custom order the new place, " ←" and the number.
std::wstring EntryNumberCell(int base, size_t i, int number, bool custom);
