// The one routine that writes TC's plugin sections: every pending change in one
// run, with the change list shown first, TC closed and started again, a backup,
// conflict checks, read-back, the change log and a final report.
#pragma once
#include <windows.h>

#include <string>

#include "editing/save_request.h"

constexpr size_t MaxDetectChars = 2000;  // with its two quotes; TC cuts longer ones

class IEditingHost;

// Refuses while a save runs. Every message goes through the host, which also
// shows the shown tab anew.
void SaveChanges(IEditingHost& host, HWND owner, SaveRequest request = {});
// The same through the given files and TC; tests let its steps fail.
void SaveChanges(IEditingHost& host, HWND owner, SaveRequest request, SaveIo& io);
// For a command that writes at once through SaveChanges (install, uninstall, the
// Lister-check actions): false, after telling the user why, while a save runs or
// changes are pending.
bool WriteAtOnceAllowed(IEditingHost& host, HWND owner);
// The text the save dialog lists: every change, lines ending in CR LF.
std::wstring ChangeListText(const SaveRun& run);
// The lines of detect strings that are too long; "" when none is.
std::wstring TooLongList(const SaveRun& run);
