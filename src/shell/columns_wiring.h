// Connects the plugin list's extra columns to the window and the caches.
#pragma once

// Worker results, the cache reset and a change of the shown columns.
void ConnectExtraColumns();
