// The dialog that lists every change before a save writes it.
#pragma once
#include <windows.h>

#include <string>

enum SaveDialogResult : int { SaveAndRestart = 1, SaveCancel = 2, SaveOnly = 3 };

// Shows the change list; tcRunning offers to close and restart TC or to save only.
int RunSaveDialog(HWND owner, const std::wstring& changeList, bool tcRunning);
