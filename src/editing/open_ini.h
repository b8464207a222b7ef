// Pointing the program at another wincmd.ini. Nothing is written.
#pragma once
#include <windows.h>

#include <string>

// Asks for the file, then OpenIniFile.
void OpenIniDialog(HWND owner);
// Drops the pending changes (after asking), makes the file the one in use and
// reloads; false when the user kept the pending changes.
bool OpenIniFile(HWND owner, const std::wstring& path);
