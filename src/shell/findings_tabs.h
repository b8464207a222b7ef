// The findings and inventory tabs in the main window: their list notifications,
// the jump from a finding to its entry and checking a finding.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "shell/main_window.h"
#include "views/main_view.h"

// A notification of the findings or the inventory list; false for any other.
bool OnFindingsOrInventoryNotify(MainWindow& app, const NMHDR* header, LRESULT& result);
// Selects the finding's entry on its tab (a plugin file on disk opens its folder in
// TC instead); the index of that entry in TabEntries, or -1.
int JumpToFinding(MainView& view, int index);
// Marks Findings[index] as checked, or no longer checked, and refills the list.
void ToggleAcknowledged(MainView& view, int index);
// Builds the findings anew and refills their list. The search holds its hits by the
// rows' item data, the findings' indexes, which a build gives out anew: it finds
// them again in the new rows.
void RefillFindings(MainView& view);
