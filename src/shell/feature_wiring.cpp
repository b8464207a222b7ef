#include "shell/feature_wiring.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "analyses/preview_state.h"
#include "analyses/preview_texts.h"
#include "editing/entry_edit.h"
#include "editing/finding_actions.h"
#include "editing/kept_rows.h"
#include "editing/order_ops.h"
#include "probe/background_probe.h"
#include "editing/launch.h"
#include "editing/pending_ops.h"
#include "foundation/texts.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/notifications.h"
#include "shell/plugin_menu.h"
#include "shell/search.h"
#include "shell/window_hooks.h"
#include "views/detail_pane.h"
#include "views/ext_checklist.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "foundation/list_view.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/view_state.h"

namespace {

void WireSearch() {
    FeatureCommands[IdSearchEdit] = [](HWND) { RunSearch(); };
    FeatureCommands[IdSearchNextBtn] = [](HWND) { OnSearchEdit(1); };
    FeatureCommands[IdSearchPrevBtn] = [](HWND) { OnSearchEdit(-1); };
    FeatureCommands[CmdNextMatch] = [](HWND) { OnSearchEdit(1); };
    FeatureCommands[CmdPrevMatch] = [](HWND) { OnSearchEdit(-1); };
    FeatureCommands[CmdFind] = [](HWND) { FocusSearch(); };
    WindowHooks.onFieldsResult = OnFieldsResult;
    FillHooks.resetSearch = SearchAfterFill;
    DetailSearchText = SearchText;
}

}  // namespace

void WireFeatures(HWND) {
    WireFindingsAndInventory();
    WindowHooks.updateKeptRowTexts = [] { UpdateKeptRowTexts(PluginList); };
    FillHooks.fillFindings = [] { FillFindingsList(FindingsList); };
    FillHooks.fillInventory = [] {
        InventoryCheckIni();
        FillInventoryList(InventoryList);
    };
    FindingsStatusText = FindingsStatus;
    PreviewStatusText = [] { return JoinStatusPieces(PvStatusPieces()); };
    InventoryStatusText = [] { return InventoryStatus(BgProbeRunning || ProbeDone < ProbeTotal); };
    InventoryPluginRef = [](int row) {
        if (row < 0 && InventoryList) row = ListView_GetNextItem(InventoryList, -1, LVNI_SELECTED);
        int id = ListViewItemData(InventoryList, row);
        if (id < 0 || (size_t)id >= InvRowPaths.size()) return PlugRef{};
        return MakePluginRef(InvRowNames[(size_t)id], InvRowPaths[(size_t)id]);
    };
    ListActions.askMarkDelete = [](HWND owner, int row, const std::wstring& ext) {
        AskMarkDelete(MainWindowOf(owner), owner, row, ext);
    };
    ListActions.keptRowMenu = [](HWND owner, POINT pt, int row) {
        return DisabledRowMenu(MainWindowOf(owner), owner, pt, ListViewItemData(PluginList, row));
    };
    ListActions.openInTc = [](const PlugRef& ref) { OpenInTc(ref, L""); };
    FeatureCommands[CmdOpenInTc] = [](HWND) { OpenInTc(SelectedPluginRef(-1), L""); };
    ListActions.editEntry = [](HWND owner, int row, const std::wstring& ext) {
        EditEntry(MainWindowOf(owner), owner, row, ext);
    };
    ListActions.extRowMenu = [](HWND owner, POINT pt, int row) {
        int id = ListViewItemData(ExtList, row);
        if (id < 0 || (size_t)id >= ExtRows.size() || DetailRowShown < 0) return;
        const ExtRow& r = ExtRows[(size_t)id];
        auto claims = ExtClaims.find(r.key);
        ExtRowMenu(MainWindowOf(owner), owner, pt, DetailRowShown, r.kind, r.key,
                   claims == ExtClaims.end() ? std::vector<size_t>{} : claims->second);
    };
    FeatureCommands[CmdEdit] = [](HWND window) {
        if (TabIsFindings) FindingEntryAction(MainWindowOf(window), window, FindingsListSelection(), FcEdit);
        else EditEntry(MainWindowOf(window), window, PluginListSelection(), L"");
    };
    for (int op : {0, 1})
        FeatureCommands[op == 0 ? CmdMoveUp : CmdMoveDown] = [op](HWND window) {
            int tab = TabCtl ? TabCtrl_GetCurSel(TabCtl) : -1;
            if (tab == 0 || tab == 1) OrderOp(MainWindowOf(window), PluginList, tab, op);
        };
    FeatureCommands[CmdDelete] = [](HWND window) {
        if (TabIsFindings) FindingEntryAction(MainWindowOf(window), window, FindingsListSelection(), FcDelete);
        else AskMarkDelete(MainWindowOf(window), window, PluginListSelection(), L"");
    };
    WireSearch();
    ListActions.pluginMenu = PluginMenu;
}
