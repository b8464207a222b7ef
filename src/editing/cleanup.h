// Cleaning up the program's own files in its data folder: older backups, the
// inventory and the two logs go to the recycle bin. TC's files are never touched.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class IEditingHost;

struct CleanupGroup {
    std::vector<std::wstring> paths;
    uint64_t total = 0;
    uint8_t chosen = 0;
};
// 0 older backups, 1 inventory, 2 change log, 3 debug log.
using CleanupGroups = std::array<CleanupGroup, 4>;

CleanupGroups GatherCleanupGroups();
// Whether the drive of the path has a recycle bin; the shell fails to say so itself.
bool DriveHasRecycleBin(const std::wstring& path);
// Moves the chosen files to the recycle bin, asking first when some would be
// deleted for good; true when they went.
bool CleanupRun(IEditingHost& host, HWND owner, const CleanupGroups& groups);
// Gathers, asks in the clean-up dialog and runs.
void CleanupOwnFiles(IEditingHost& host, HWND owner);
