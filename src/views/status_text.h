// The one-line summary of the shown tab in the status bar.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "views/main_view.h"

// What the fill of a plugin tab learnt about its section.
struct ShownSectionFacts {
    std::wstring iniUsed;                    // the file the section was read from
    bool iniMissing = false;                 // a redirected section whose file is gone
    std::vector<std::wstring> leftOverKeys;  // keys beside RedirectSection in wincmd.ini
};
extern ShownSectionFacts ShownSection;

struct PlugEntry;
// The entry's file exists in a folder named for another plugin kind and the user
// has not marked that finding as checked. Asked once per entry and fill.
bool InWrongFolder(const PlugEntry& entry);
// A fill read the entries anew: what was counted of the old ones goes.
void ForgetTabCounts();
// The entry's row changed (a probe answer): it is counted again.
void RecountEntry(size_t index);

// The pieces of a plugin tab (0..3): entries, deactivated, probing, counts, the INI and TC.
std::wstring PluginTabStatusText(int tab, int probeDone, int probeTotal);
// The whole text: the view's note, the pending changes, then the tab's own pieces.
std::wstring ComposeStatusText(const MainView& view, int tab, int probeDone, int probeTotal);
// The preview tab's text in Lister mode: the file's extension and the matches.
std::wstring ListerCheckStatusText();
// Puts the text of the shown tab into the status bar and refreshes the marks strip.
void UpdateStatusBar(MainView& view);
// The text alone, without the marks strip, which walks every entry's detect string.
void UpdateStatusText(MainView& view);
// Joins the pieces with the status bar's separator.
std::wstring JoinStatusPieces(const std::vector<std::wstring>& pieces);
