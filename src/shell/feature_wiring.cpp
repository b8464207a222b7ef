#include "shell/feature_wiring.h"

#include <commctrl.h>

#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "editing/kept_rows.h"
#include "probe/background_probe.h"
#include "editing/launch.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "shell/commands.h"
#include "shell/menu_help.h"
#include "shell/notifications.h"
#include "shell/plugin_menu.h"
#include "shell/search.h"
#include "shell/window_hooks.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/list_view.h"
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
    if (SearchEdit) SetWindowSubclass(SearchEdit, SearchEditSubclassProc, 3, 0);
}

}  // namespace

void WireFeatures(HWND) {
    WindowHooks.saveChanges = SaveChanges;
    WindowHooks.updateKeptRowTexts = [] { UpdateKeptRowTexts(PluginList); };
    WindowHooks.updateInventory = UpdateInventory;
    WindowHooks.fillFindingsList = [] { FillFindingsList(FindingsList); };
    FillHooks.fillFindings = WindowHooks.fillFindingsList;
    FillHooks.fillInventory = [] {
        InventoryCheckIni();
        FillInventoryList(InventoryList);
    };
    FindingsStatusText = FindingsStatus;
    InventoryStatusText = [] { return InventoryStatus(BgProbeRunning || ProbeDone < ProbeTotal); };
    InventoryPluginRef = [](int row) {
        if (row < 0 && InventoryList) row = ListView_GetNextItem(InventoryList, -1, LVNI_SELECTED);
        int id = LvGetParam(InventoryList, row);
        if (id < 0 || (size_t)id >= InvRowPaths.size()) return PlugRef{};
        return MakePluginRef(InvRowNames[(size_t)id], InvRowPaths[(size_t)id]);
    };
    PendingChanged = UiPostRefresh;
    ListActions.askMarkDelete = AskMarkDelete;
    ListActions.keptRowMenu = [](HWND owner, POINT pt, int row) {
        return DisabledRowMenu(owner, pt, LvGetParam(PluginList, row));
    };
    ListActions.openInTc = [](const PlugRef& ref) { OpenInTc(ref, L""); };
    FeatureCommands[CmdOpenInTc] = [](HWND) { OpenInTc(SelectedPluginRef(-1), L""); };
    FeatureCommands[CmdDelete] = [](HWND window) {
        if (!TabIsFindings) AskMarkDelete(window, LvSelIndexPlugins(), L"");
    };
    WireSearch();
    ListActions.pluginMenu = PluginMenu;
}
