// Bringing the running program up to date after the settings sheet applied.
#pragma once
#include "views/main_view.h"

// Does nothing when the settings equal those of the last call (or of the sheet's opening).
void OnSettingsChanged(MainView& view);
// Opens the settings sheet over the main window; its applies take effect at once.
void RunSettingsSheet(MainView& view);
