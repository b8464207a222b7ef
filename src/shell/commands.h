// The commands of the menu, the accelerators, the key bar and the context menus.
#pragma once
#include <windows.h>

enum MainCmd : int {
    CmdOpenIni = 200, CmdReload = 201, CmdExit = 202, CmdAbout = 203, CmdLegend = 204, CmdOpenLog = 205,
    CmdSettings = 206, CmdPluginInfo = 207, CmdSave = 208, CmdDiscard = 209, CmdRestore = 210, CmdHelp = 211,
    CmdCleanup = 212, CmdFind = 213, CmdNextMatch = 214, CmdPrevMatch = 215, CmdUninstall = 222, CmdInstall = 224,
};

// WM_COMMAND of the main window; the result of the message.
LRESULT OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam);
