// Connects the plugin list's extra columns and order keys to the window, the caches
// and the pending order.
#pragma once

// Worker results, the cache reset, a fill of a plugin tab or a change of the shown
// columns, Ctrl+Home/Up/Down/End.
void ConnectExtraColumns();
