// The child windows of the main window and the small utilities around them.
#pragma once
#include <windows.h>

#include "views/main_view.h"

// Builds every control of the main window and its page, and restores the list
// layout and preview state the last run left in the program's INI.
void CreateMainChildren(MainView& view);
