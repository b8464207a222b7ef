#include "shell/editing_hooks.h"

#include <commctrl.h>

#include "editing/cleanup.h"
#include "editing/finding_actions.h"
#include "editing/lister_actions.h"
#include "editing/open_ini.h"
#include "editing/restore_backup.h"
#include "foundation/list_view.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/main_window.h"
#include "shell/notifications.h"
#include "views/lister_check_list.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/row_status.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"

void ConnectEditing() {
    ListActions.listerCheckMenu = [](HWND owner, POINT pt, int item) {
        LvCheckMenu(MainWindowOf(owner), owner, pt, item);
    };
    auto previous = ListActions.otherListMenu;
    ListActions.otherListMenu = [previous](HWND window, HWND list, LPARAM pos) {
        if (list && list == FindingsList) {
            int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
            if (row >= 0)
                FindingsMenu(MainWindowOf(window), window, ListViewMenuPoint(list, row, pos), ListViewItemData(list, row));
            return true;
        }
        return previous && previous(window, list, pos);
    };
}

bool EditingCommand(HWND window, int id) {
    switch (id) {
    case CmdOpenIni: OpenIniDialog(MainWindowOf(window), window); return true;
    case CmdRestore: RestoreBackup(MainWindowOf(window), window); return true;
    case CmdCleanup: CleanupOwnFiles(MainWindowOf(window), window); return true;
    }
    return false;
}
