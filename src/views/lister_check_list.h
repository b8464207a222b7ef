// The Lister check on the preview tab: its list, its detail pane and the check of
// the preview file that fills them.
#pragma once

// Rebuilds LvRows for PreviewFile, fills the list and refreshes the status bar.
void LvFillCheck();
// Fills the Lister-check list from LvRows; nothing while the list does not exist.
void LvCheckFillList();
// Shows the detail text of row `index` in the detail pane.
void LvCheckDetailText(int index);
