// The dialog in which the user confirms or adjusts an install.
#pragma once
#include <windows.h>

#include "install/install_host.h"
#include "install/install_report.h"

// 1 after "Install" with the choices written back, 2 after "Cancel". The plugin's
// detect string opens in the host's text window.
INT_PTR RunInstallDialog(IInstallHost& host, HWND owner, InstCtx& ctx);
// Places every control for the dialog's current client size.
void InstDlgLayout(HWND dialog);
