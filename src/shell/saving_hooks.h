// Connects saving to the main window: the save command, the close question, the
// pending count of the status bar and the refresh after an edit.
#pragma once
#include <windows.h>

// Called once at start-up, after the wincmd.ini in use was chosen.
void ConnectSaving();
// Ctrl+S and File › Save: tells when nothing is pending, else runs the save.
void SaveCommand(HWND window);
// File › Discard: asks, then forgets every pending change.
void DiscardCommand(HWND window);
