// Hands the features that exist (saving, marking, kept rows, the findings and the
// inventory) to the window's hooks. Called when the window is created.
#pragma once
#include "views/main_view.h"

void WireFeatures(MainView& view);
