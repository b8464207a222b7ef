// The findings and inventory tabs in the main window: their list notifications,
// the jump from a finding to its entry, and the inventory's refresh after an update.
#pragma once
#include <windows.h>

#include "views/main_view.h"

// Hands the two tabs' handlers to the window's list and inventory hooks.
void WireFindingsAndInventory(MainView& view);
// Selects the finding's entry on its tab (a plugin file on disk opens its folder in
// TC instead); the index of that entry in TabEntries, or -1.
int JumpToFinding(MainView& view, int index);
