// The dialog in which the user confirms or adjusts an install.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "install/install_report.h"

// Runs over an in-memory template with the InstCtx as parameter; 1 after "Install"
// with the choices written back, 2 after "Cancel".
INT_PTR CALLBACK InstallDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR RunInstallDialog(HWND owner, InstCtx& ctx);
// Shows a long text in the program's text window; the shell sets it. Unset, the
// text shows in a message box.
extern std::function<void(const std::wstring& title, const std::wstring& text)> InstallTextPopup;
// Places every control for the dialog's current client size.
void InstDlgLayout(HWND dialog);
