// The install command: from the menu, Ctrl+I, /install or a second copy.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "install/install_report.h"

// Shows a text in the main window's status bar while a child process works, and
// with "" the usual text again; the shell sets it.
extern std::function<void(const std::wstring& text)> InstallStatusText;

// The whole install of a package; an empty path asks for one.
void Install(HWND owner, const std::wstring& path);
// Install, or once the window is free again (no dialog open, no install running),
// so a package arriving from a second copy waits for the dialog in front.
void InstallWhenFree(HWND owner, const std::wstring& path);
// Records the confirmed install and runs the one save that copies and enters it.
void InstExecute(HWND owner, InstCtx& ctx);
