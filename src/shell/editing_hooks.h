// Connects the editing commands to the main window: the shown tab, its refill,
// the status bar, the text popup, the jump to a finding and the Lister check.
#pragma once
#include "views/main_view.h"

// Called when the main window is created.
void ConnectEditing(MainView& view);
