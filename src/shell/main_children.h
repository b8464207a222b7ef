// The child windows of the main window and the small utilities around them.
#pragma once
#include <windows.h>

// Builds every control of the main window and its page, and restores the list
// layout and preview state the last run left in the program's INI.
void CreateMainChildren(HWND mainWindow);
// A plain-edit detail pane gets 6 px margins; a rich edit keeps its own.
void UiSetDetailMargins();
