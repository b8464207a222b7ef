// Closing every TC window before the program writes TC's configuration (TC writes
// its INI when it exits) and starting TC again afterwards, the way it ran.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "hostcfg/tc_discovery.h"

constexpr DWORD TcCloseTimeoutMs = 30000;

// One TC process to start again.
struct TcRun {
    std::wstring exe;
    std::wstring args;        // its command line after the program, when it could be read
    bool argsKnown = false;
    std::vector<HWND> windows;
};

// The wincmd.ini TC itself runs on; set at start-up, before the user may open
// another wincmd.ini in the program. Empty: the one in use.
extern std::wstring TcOwnIniPath;

// The EnumWindows callback: collects the top-level windows of class "TTOTAL_CMD".
BOOL CALLBACK EnumTcWindowsProc(HWND window, LPARAM windows);
std::vector<HWND> TcWindows();
// Asks every TC window to close and waits until none is left. True when all
// closed; restart then holds every TC that ran. On a time-out restart holds
// only the TCs that did close (the others still run).
bool CloseAllTc(std::vector<TcRun>& restart, DWORD timeoutMs = TcCloseTimeoutMs);
// Starts TC again with the command line it ran with; when that is unknown, with
// the wincmd.ini TC runs on ("/i=" when it is not the one beside the program).
void StartTcExe(const TcRun& run);
