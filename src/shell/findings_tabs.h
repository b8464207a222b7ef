// The findings and inventory tabs in the main window: their list notifications,
// the jump from a finding to its entry, checking a finding, and the inventory's
// refresh after an update.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "views/main_view.h"

// A notification of the findings or the inventory list; false for any other.
bool OnFindingsOrInventoryNotify(MainView& view, const NMHDR* header, LRESULT& result);
// Selects the finding's entry on its tab (a plugin file on disk opens its folder in
// TC instead); the index of that entry in TabEntries, or -1.
int JumpToFinding(MainView& view, int index);
// Marks Findings[index] as checked, or no longer checked, and refills the list.
void ToggleAcknowledged(MainView& view, int index);
// After an inventory update: the inventory tab shows the new rows, a plugin tab its marks.
void ShowInventoryUpdate(MainView& view);
