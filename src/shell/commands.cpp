#include "shell/commands.h"

#include <commctrl.h>

#include "hostcfg/kept.h"
#include "install/install_command.h"
#include "install/uninstall.h"
#include "shell/editing_hooks.h"
#include "shell/menu_help.h"
#include "shell/preview_events.h"
#include "shell/saving_hooks.h"
#include "shell/settings_apply.h"
#include "foundation/list_view.h"
#include "views/main_controls.h"
#include "views/view_state.h"

LRESULT OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnPreviewCommand(window, wParam)) return 0;
    if (EditingCommand(window, LOWORD(wParam))) return 0;
    switch (LOWORD(wParam)) {
    case CmdExit:
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case CmdAbout:
        ShowAbout(window);
        return 0;
    case CmdSave:
        SaveCommand(window);
        return 0;
    case CmdDiscard:
        DiscardCommand(window);
        return 0;
    case CmdHelp:
        ShowHelp(window, HelpPageForCurrentTab(), false);
        return 0;
    case CmdInstall:
        InstallWhenFree(window, L"");
        return 0;
    case CmdUninstall:
        if (PluginList && !TabIsPreview && !TabIsFindings && !TabIsInventory) {
            int id = ListViewItemData(PluginList, ListView_GetNextItem(PluginList, -1, LVNI_SELECTED));
            if (id >= 0 && id < KeptIdBase) Uninstall(window, id);
        }
        return 0;
    case CmdSettings:
        RunSettingsSheet();
        return 0;
    case CmdLegend:
        ShowHelp(window, L"e00_zeichen", true);
        return 0;
    }
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}
