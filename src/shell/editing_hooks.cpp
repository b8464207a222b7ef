#include "shell/editing_hooks.h"

#include <commctrl.h>

#include "editing/cleanup.h"
#include "editing/editing_ui.h"
#include "editing/finding_actions.h"
#include "editing/lister_actions.h"
#include "editing/open_ini.h"
#include "editing/restore_backup.h"
#include "foundation/list_view.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/notifications.h"
#include "views/lister_check_list.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"

void ConnectEditing(MainView& view) {
    EditingUi.currentTab = [&view] { return view.controls.tabCtl ? TabCtrl_GetCurSel(view.controls.tabCtl) : 0; };
    EditingUi.fillTab = [&view] { FillTab(view); };
    EditingUi.updateStatusBar = [&view] { UpdateStatusBar(view); };
    EditingUi.showTextPopup = [&view](const std::wstring& title, const std::wstring& text) {
        UiShowTextPopup(view.controls.main, title, text);
    };
    EditingUi.jumpToFinding = [&view](int index) { return JumpToFinding(view, index); };
    EditingUi.showPluginInfo = [&view](const PlugRef& ref) { ShowPluginInfoOf(view, ref); };
    EditingUi.recheckLister = [&view] { LvFillCheck(view); };
    EditingUi.rowStateGlyph = [](const PlugEntry& entry) { return std::wstring(RowStateGlyph(entry).glyph); };
    ListActions.listerCheckMenu = LvCheckMenu;
    ListActions.otherListMenu = [&view](HWND window, HWND list, LPARAM pos) {
        if (!list || list != view.controls.findingsList) return false;
        int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        if (row >= 0) FindingsMenu(window, ListViewMenuPoint(list, row, pos), ListViewItemData(list, row));
        return true;
    };
}

bool EditingCommand(HWND window, int id) {
    switch (id) {
    case CmdOpenIni: OpenIniDialog(window); return true;
    case CmdRestore: RestoreBackup(window); return true;
    case CmdCleanup: CleanupOwnFiles(window); return true;
    }
    return false;
}
