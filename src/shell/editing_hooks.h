// Connects the editing commands to the main window: the shown tab, its refill,
// the status bar and the text popup, and the File menu's open, restore and clean-up.
#pragma once
#include <windows.h>

#include "views/main_view.h"

// Called when the main window is created.
void ConnectEditing(MainView& view);
// File › Open, Restore last backup and Clean up; false for another command.
bool EditingCommand(HWND window, int id);
