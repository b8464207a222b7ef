// Pointing the program at another wincmd.ini. Nothing is written.
#pragma once
#include <windows.h>

#include <string>

class IEditingHost;

// Asks for the file, then OpenIniFile.
void OpenIniDialog(IEditingHost& host, HWND owner);
// Drops the pending changes (after asking), makes the file the one in use and
// reloads; false when the user kept the pending changes.
bool OpenIniFile(IEditingHost& host, HWND owner, const std::wstring& path);
