// Hands the features that exist (saving, marking, kept rows, the findings and the
// inventory) to the window's hooks. Called once the window's children exist.
#pragma once
#include <windows.h>

void WireFeatures(HWND window);
