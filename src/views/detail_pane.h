// The detail pane under the lists: what the selected row is and why.
#pragma once
#include <cstdint>

// The item data of the plugin-list row whose details are shown, -1 for none.
extern int32_t DetailRowShown;

// Shows the details of a plugin-list row (its item data); -1 empties the pane.
void ShowDetails(int32_t item);
