// What a row of the findings list offers: jump, open, copy, acknowledge, and the
// actions that change the configuration behind it (edit, delete, take the
// plugin's own detect string or capabilities, close the view-mode gap).
#pragma once
#include <windows.h>

class IEditingHost;

enum FindingCmd : unsigned {
    FcOpen = 3000, FcOpenExplorer = 3001, FcInfo = 3003, FcCopy = 3005, FcTakeDetect = 3009, FcEdit = 3010,
    FcTakeCaps = 3012, FcDelete = 3013, FcAck = 3014, FcShowAck = 3015, FcAckFolder = 3060, FcModeGap = 3062,
};

void FindingsMenu(IEditingHost& host, HWND owner, POINT screen, int index);
// Edit (3010), delete (3013), take the capabilities (3012) or the detect string (3009).
void FindingEntryAction(IEditingHost& host, HWND owner, int index, unsigned cmd);
