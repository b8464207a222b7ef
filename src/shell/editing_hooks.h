// Connects the editing commands to the main window: the menus of the Lister check
// and the findings, and the File menu's open, restore and clean-up.
#pragma once
#include <windows.h>

// Called once at start-up, beside ConnectSaving.
void ConnectEditing();
// File › Open, Restore last backup and Clean up; false for another command.
bool EditingCommand(HWND window, int id);
