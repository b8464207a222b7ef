#include "shell/editing_hooks.h"

#include <commctrl.h>

#include "editing/cleanup.h"
#include "editing/editing_ui.h"
#include "editing/open_ini.h"
#include "editing/restore_backup.h"
#include "shell/commands.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"

void ConnectEditing() {
    EditingUi.currentTab = [] { return TabCtl ? TabCtrl_GetCurSel(TabCtl) : 0; };
    EditingUi.fillTab = FillTab;
    EditingUi.updateStatusBar = [] {
        if (UpdateStatusBar) UpdateStatusBar();
    };
    EditingUi.showTextPopup = UiShowTextPopup;
}

bool EditingCommand(HWND window, int id) {
    switch (id) {
    case CmdOpenIni: OpenIniDialog(window); return true;
    case CmdRestore: RestoreBackup(window); return true;
    case CmdCleanup: CleanupOwnFiles(window); return true;
    }
    return false;
}
