// Removing or disabling one registered plugin, with its own folder moved to the
// recycle bin when nothing else uses it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editing/save_io.h"
#include "hostcfg/plug_entry.h"
#include "install/install_host.h"
#include "install/report.h"

struct UninstCtx {
    std::wstring heading;
    std::wstring entryLine;
    std::wstring pathLine;
    std::wstring checkText;
    std::wstring folderPath;  // shown under the check box when the folder may go
    std::vector<ReportRow> report;
    uint8_t folderOk = 0;
    uint8_t recycle = 1;  // set by the dialog
    uint8_t tcRunning = 0;
    std::wstring folder;  // the folder that would go
};

// What the dialog shows for the entry, the folder check included.
UninstCtx UninstallPrepare(const PlugEntry& entry);
// 1 "Uninstall", 310 "Only disable", 2 "Cancel".
INT_PTR CALLBACK UninstallDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR RunUninstallDialog(HWND owner, UninstCtx& ctx);
// Asks, marks TabEntries[index] deleted or disabled and saves; its folder goes to the
// recycle bin afterwards when the user wanted that and the save removed the entry.
void Uninstall(IInstallHost& host, HWND owner, int index);
// After the dialog: marks the entry, saves through io and withdraws the marks when
// the save did not complete.
void UninstallEntry(IInstallHost& host, HWND owner, const PlugEntry& entry, const UninstCtx& ctx, bool disableOnly,
                    SaveIo& io);
// Marks the entry for the save: deleted, and with disableOnly kept to be activated again.
void MarkForUninstall(const PlugEntry& entry, bool disableOnly);
// The save's step after the writes: moves the folder when the entry is gone from
// wincmd.ini, else leaves it and says why nothing moved; a moved folder is told in doneText.
void UninstallFolder(HWND owner, const PlugEntry& entry, const std::wstring& folder, std::wstring& errors,
                     bool writeFailed, std::wstring& doneText);
