#include "shell/commands.h"

#include "shell/menu_help.h"
#include "shell/preview_events.h"

LRESULT OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnPreviewCommand(window, wParam)) return 0;
    switch (LOWORD(wParam)) {
    case CmdExit:
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case CmdAbout:
        ShowAbout(window);
        return 0;
    case CmdHelp:
        ShowHelp(window, HelpPageForCurrentTab(), false);
        return 0;
    case CmdLegend:
        ShowHelp(window, L"e00_zeichen", true);
        return 0;
    }
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}
