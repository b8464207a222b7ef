// The Lister check on the preview tab: its list, its detail pane and the check of
// the preview file that fills them.
#pragma once
#include "views/main_view.h"

// Rebuilds LvRows for PreviewFile, fills the list and refreshes the status bar.
void LvFillCheck(MainView& view);
// Fills the Lister-check list from LvRows; nothing while the list does not exist.
void LvCheckFillList(MainView& view);
// Shows the detail text of row `index` in the detail pane.
void LvCheckDetailText(MainView& view, int index);
