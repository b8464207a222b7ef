#include "shell/feature_wiring.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "editing/entry_edit.h"
#include "editing/finding_actions.h"
#include "editing/kept_rows.h"
#include "editing/launch.h"
#include "editing/order_ops.h"
#include "editing/pending_ops.h"
#include "editing/save_request.h"
#include "foundation/list_view.h"
#include "shell/columns_wiring.h"
#include "shell/commands.h"
#include "shell/editing_hooks.h"
#include "shell/findings_tabs.h"
#include "shell/menu_help.h"
#include "shell/notifications.h"
#include "shell/plugin_menu.h"
#include "shell/search.h"
#include "views/detail_pane.h"
#include "views/ext_checklist.h"
#include "views/tab_fill.h"

namespace {

void WireSearch(MainView& view) {
    FeatureCommands[IdSearchEdit] = [&view](HWND) { RunSearch(view); };
    FeatureCommands[IdSearchNextBtn] = [&view](HWND) { OnSearchEdit(view, 1); };
    FeatureCommands[IdSearchPrevBtn] = [&view](HWND) { OnSearchEdit(view, -1); };
    FeatureCommands[CmdNextMatch] = [&view](HWND) { OnSearchEdit(view, 1); };
    FeatureCommands[CmdPrevMatch] = [&view](HWND) { OnSearchEdit(view, -1); };
    FeatureCommands[CmdFind] = [&view](HWND) { FocusSearch(view); };
}

}  // namespace

void WireFeatures(MainView& view) {
    ConnectEditing(view);
    ConnectExtraColumns();
    WireFindingsAndInventory(view);
    RefillAfterSave = [&view] { FillTab(view); };
    PendingChanged = [&view] { UiPostRefresh(view.controls.main); };
    ListActions.askMarkDelete = AskMarkDelete;
    ListActions.keptRowMenu = [&view](HWND owner, POINT pt, int row) {
        return DisabledRowMenu(owner, pt, ListViewItemData(view.controls.pluginList, row));
    };
    ListActions.openInTc = [](const PlugRef& ref) { OpenInTc(ref, L""); };
    FeatureCommands[CmdOpenInTc] = [&view](HWND) { OpenInTc(SelectedPluginRef(view, -1), L""); };
    ListActions.editEntry = EditEntry;
    ListActions.extRowMenu = [&view](HWND owner, POINT pt, int row) {
        int id = ListViewItemData(view.controls.extList, row);
        if (id < 0 || (size_t)id >= view.extRows.size() || view.detailRowShown < 0) return;
        const ExtRow& r = view.extRows[(size_t)id];
        auto claims = ExtClaims.find(r.key);
        ExtRowMenu(owner, pt, view.detailRowShown, r.kind, r.key,
                   claims == ExtClaims.end() ? std::vector<size_t>{} : claims->second);
    };
    FeatureCommands[CmdEdit] = [&view](HWND window) {
        if (view.tabIsFindings) FindingEntryAction(window, FindingsListSelection(view), FcEdit);
        else EditEntry(window, PluginListSelection(view), L"");
    };
    for (int op : {0, 1})
        FeatureCommands[op == 0 ? CmdMoveUp : CmdMoveDown] = [op, &view](HWND) {
            int tab = view.controls.tabCtl ? TabCtrl_GetCurSel(view.controls.tabCtl) : -1;
            if (tab == 0 || tab == 1) OrderOp(view.controls.pluginList, tab, op);
        };
    FeatureCommands[CmdDelete] = [&view](HWND window) {
        if (view.tabIsFindings) FindingEntryAction(window, FindingsListSelection(view), FcDelete);
        else AskMarkDelete(window, PluginListSelection(view), L"");
    };
    WireSearch(view);
    ListActions.pluginMenu = [&view](HWND, POINT pt, const PlugRef& ref) { PluginMenu(view, pt, ref); };
}
