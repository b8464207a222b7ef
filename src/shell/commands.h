// The commands of the menu, the accelerators, the key bar and the context menus.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "editing/launch.h"
#include "views/main_view.h"

enum MainCmd : int {
    CmdOpenIni = 200, CmdReload = 201, CmdExit = 202, CmdAbout = 203, CmdLegend = 204, CmdOpenLog = 205,
    CmdSettings = 206, CmdPluginInfo = 207, CmdSave = 208, CmdDiscard = 209, CmdRestore = 210, CmdHelp = 211,
    CmdCleanup = 212, CmdFind = 213, CmdNextMatch = 214, CmdPrevMatch = 215, CmdEdit = 216, CmdDelete = 217,
    CmdMoveUp = 218, CmdMoveDown = 219, CmdJump = 220, CmdAcknowledge = 221, CmdUninstall = 222,
    CmdOpenInTc = 223, CmdInstall = 224,
};

// The work of commands and child controls that belongs to features beyond the
// window (saving, editing, findings, search, installing, the content preview):
// each feature enters its ids here. An id without entry says plainly that its
// work is not in this version; for a child control it does nothing.
extern std::map<int, std::function<void(HWND window)>> FeatureCommands;

// The plugin information in a text window; nothing for a reference without a path.
void ShowPluginInfoOf(const MainView& view, const PlugRef& ref);

// WM_COMMAND of the main window; the result of the message.
LRESULT OnMainCommand(MainView& view, WPARAM wParam, LPARAM lParam);
// The menu text of a command without the accelerator and the '&'.
std::wstring CommandCaption(HWND window, int id);
