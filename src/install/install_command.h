// The install command: from the menu, Ctrl+I, /install or a second copy.
#pragma once
#include <windows.h>

#include <string>

#include "install/install_host.h"
#include "install/install_report.h"

// The whole install of a package; an empty path asks for one.
void Install(IInstallHost& host, HWND owner, const std::wstring& path);
// Install, or once the window is free again (no dialog or menu open, no install or
// save running), so a package arriving from a second copy waits for what is in front.
void InstallWhenFree(IInstallHost& host, HWND owner, const std::wstring& path);
// Records the confirmed install and runs the one save that copies and enters it.
void InstExecute(IInstallHost& host, HWND owner, InstCtx& ctx);
