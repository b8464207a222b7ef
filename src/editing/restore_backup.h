// Undoing the last save of the file that holds the shown tab's plugin section.
#pragma once
#include <windows.h>

class IEditingHost;
class SaveIo;

// Copies the newest backup made before a write back over the file, after a
// "_pre" copy of the file as it is now, with TC closed and started again.
void RestoreBackup(IEditingHost& host, HWND owner);
// The same through the given files and TC.
void RestoreBackup(IEditingHost& host, HWND owner, SaveIo& io);
