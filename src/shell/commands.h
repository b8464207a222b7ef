// The commands of the main window in one table: each id with its handler, its
// accelerator and its enabling rule. The menu, the accelerators, the key bar and
// the window's own child controls all send WM_COMMAND, which runs through it.
#pragma once
#include <windows.h>

#include <span>

#include "editing/launch.h"
#include "views/main_view.h"

class MainWindow;

enum MainCmd : int {
    CmdOpenIni = 200, CmdReload = 201, CmdExit = 202, CmdAbout = 203, CmdLegend = 204, CmdOpenLog = 205,
    CmdSettings = 206, CmdPluginInfo = 207, CmdSave = 208, CmdDiscard = 209, CmdRestore = 210, CmdHelp = 211,
    CmdCleanup = 212, CmdFind = 213, CmdNextMatch = 214, CmdPrevMatch = 215, CmdEdit = 216, CmdDelete = 217,
    CmdMoveUp = 218, CmdMoveDown = 219, CmdJump = 220, CmdAcknowledge = 221, CmdUninstall = 222,
    CmdOpenInTc = 223, CmdInstall = 224,
};

// The notification of a command row: a command acts whatever the high word of wParam is.
constexpr int AnyNotification = -1;

struct CommandRow {
    int id;            // a MainCmd or the id of a child control
    int notification;  // a child control acts only on its own (BN_CLICKED, EN_CHANGE)
    BYTE keyFlags;     // the accelerator's FVIRTKEY, FCONTROL, FSHIFT, FALT; 0 for none
    WORD key;
    // Where it is false the command does nothing; null: always on.
    bool (*enabled)(const MainWindow& app);
    void (*run)(MainWindow& app);
};

// Every row, each id once.
std::span<const CommandRow> CommandTable();
// The row of an id; null for an id of no command.
const CommandRow* FindCommand(int id);
// The accelerator table of the rows that have a key; the caller destroys it.
HACCEL CreateCommandAccelerators();
// WM_COMMAND of the main window; the result of the message.
LRESULT RunCommand(MainWindow& app, WPARAM wParam, LPARAM lParam);
