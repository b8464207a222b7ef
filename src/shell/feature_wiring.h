// Connects the hooks by which the layers below still reach the window: editing's,
// the save's refill, the pending changes, the inventory update and the cache reset.
// Called when the window is created.
#pragma once
#include "views/main_view.h"

void WireFeatures(MainView& view);
