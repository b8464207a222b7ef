#include "shell/commands.h"

#include <commctrl.h>

#include <iterator>
#include <string>
#include <vector>

#include "analyses/plugin_caches.h"
#include "editing/cleanup.h"
#include "editing/entry_edit.h"
#include "editing/finding_actions.h"
#include "editing/open_ini.h"
#include "editing/order_ops.h"
#include "editing/pending_ops.h"
#include "editing/restore_backup.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/list_view.h"
#include "foundation/system_dlls.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "install/install_command.h"
#include "install/uninstall.h"
#include "shell/findings_tabs.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/saving_hooks.h"
#include "shell/search.h"
#include "shell/settings_apply.h"
#include "views/preview_file.h"
#include "views/preview_lists.h"
#include "views/tab_fill.h"

namespace {

HWND Owner(const MainWindow& app) { return app.Hwnd(); }

int ShownTab(const MainView& view) {
    return view.controls.tabCtl ? TabCtrl_GetCurSel(view.controls.tabCtl) : -1;
}

// Edit and delete act on the findings tab and the plugin tabs only.
bool ActsOnEntries(const MainWindow& app) { return !app.View().tabIsInventory && !app.View().tabIsPreview; }

bool OnPluginTab(const MainWindow& app) {
    const MainView& view = app.View();
    return !view.tabIsInventory && !view.tabIsFindings && !view.tabIsPreview && view.controls.pluginList;
}

// The order of TC's Lister and Content plugins is the only one that can change.
bool OnOrderedTab(const MainWindow& app) {
    int tab = ShownTab(app.View());
    return tab == 0 || tab == 1;
}

void OpenChangeLog(MainWindow& app) {
    std::wstring path = ChangeLogPath();
    const Shell32Dll* shell = Shell32();
    if (shell && FileExists(path))
        shell->ShellExecuteW(Owner(app), L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Reload(MainWindow& app) {
    ResetPluginCaches();
    app.RefillShownTab();
}

void Edit(MainWindow& app) {
    MainView& view = app.View();
    if (view.tabIsFindings) FindingEntryAction(app, Owner(app), FindingsListSelection(view), FcEdit);
    else EditEntry(app, Owner(app), PluginListSelection(view), L"");
}

void Delete(MainWindow& app) {
    MainView& view = app.View();
    if (view.tabIsFindings) FindingEntryAction(app, Owner(app), FindingsListSelection(view), FcDelete);
    else AskMarkDelete(app, Owner(app), PluginListSelection(view), L"");
}

void Move(MainWindow& app, int op) { OrderOp(app, app.View().controls.pluginList, ShownTab(app.View()), op); }

void UninstallSelected(MainWindow& app) {
    HWND list = app.View().controls.pluginList;
    int row = ListViewItemData(list, ListView_GetNextItem(list, -1, LVNI_SELECTED));
    if (row >= 0 && row < KeptIdBase) Uninstall(app, Owner(app), row);
}

void ClearSearch(MainWindow& app) {
    HWND edit = app.View().controls.searchEdit;
    if (!edit) return;
    SetWindowTextW(edit, L"");
    SetFocus(edit);
}

constexpr BYTE Ctrl = FCONTROL | FVIRTKEY, Shift = FSHIFT | FVIRTKEY, Alt = FALT | FVIRTKEY, Plain = FVIRTKEY;
constexpr int Any = AnyNotification;

const CommandRow Table[] = {
    {CmdOpenIni, Any, Ctrl, 'O', nullptr, [](MainWindow& app) { OpenIniDialog(app, Owner(app)); }},
    {CmdReload, Any, Plain, VK_F5, nullptr, Reload},
    {CmdExit, Any, 0, 0, nullptr, [](MainWindow& app) { PostMessageW(Owner(app), WM_CLOSE, 0, 0); }},
    {CmdAbout, Any, 0, 0, nullptr, [](MainWindow& app) { ShowAbout(Owner(app)); }},
    {CmdLegend, Any, Shift, VK_F1, nullptr, [](MainWindow& app) { ShowHelp(app.View(), L"e00_zeichen", true); }},
    {CmdOpenLog, Any, 0, 0, nullptr, OpenChangeLog},
    {CmdSettings, Any, Ctrl, 'E', nullptr, [](MainWindow& app) { RunSettingsSheet(app.View()); }},
    {CmdPluginInfo, Any, Alt, VK_RETURN, nullptr,
     [](MainWindow& app) { app.ShowPluginInfo(SelectedPluginRef(app.View(), -1)); }},
    {CmdSave, Any, Ctrl, 'S', nullptr, SaveCommand},
    {CmdDiscard, Any, 0, 0, nullptr, [](MainWindow& app) { DiscardAllPending(app, Owner(app)); }},
    {CmdRestore, Any, 0, 0, nullptr, [](MainWindow& app) { RestoreBackup(app, Owner(app)); }},
    {CmdHelp, Any, Plain, VK_F1, nullptr,
     [](MainWindow& app) { ShowHelp(app.View(), HelpPageForCurrentTab(app.View()), false); }},
    {CmdCleanup, Any, 0, 0, nullptr, [](MainWindow& app) { CleanupOwnFiles(app, Owner(app)); }},
    {CmdFind, Any, Ctrl, 'F', nullptr, [](MainWindow& app) { FocusSearch(app.View()); }},
    {CmdNextMatch, Any, Plain, VK_F3, nullptr, [](MainWindow& app) { OnSearchEdit(app.View(), 1); }},
    {CmdPrevMatch, Any, Shift, VK_F3, nullptr, [](MainWindow& app) { OnSearchEdit(app.View(), -1); }},
    {CmdEdit, Any, 0, 0, ActsOnEntries, Edit},
    {CmdDelete, Any, 0, 0, ActsOnEntries, Delete},
    {CmdMoveUp, Any, 0, 0, OnOrderedTab, [](MainWindow& app) { Move(app, OrderUp); }},
    {CmdMoveDown, Any, 0, 0, OnOrderedTab, [](MainWindow& app) { Move(app, OrderDown); }},
    {CmdJump, Any, 0, 0, nullptr,
     [](MainWindow& app) { JumpToFinding(app.View(), FindingsListSelection(app.View())); }},
    {CmdAcknowledge, Any, 0, 0, nullptr,
     [](MainWindow& app) { ToggleAcknowledged(app.View(), FindingsListSelection(app.View())); }},
    {CmdUninstall, Any, 0, 0, OnPluginTab, UninstallSelected},
    {CmdOpenInTc, Any, 0, 0, nullptr, [](MainWindow& app) { OpenInTc(SelectedPluginRef(app.View(), -1), L""); }},
    {CmdInstall, Any, Ctrl, 'I', nullptr, [](MainWindow& app) { InstallWhenFree(app, Owner(app), L""); }},
    {IdSearchEdit, EN_CHANGE, 0, 0, nullptr, [](MainWindow& app) { RunSearch(app.View()); }},
    {IdSearchPrevBtn, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { OnSearchEdit(app.View(), -1); }},
    {IdSearchNextBtn, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { OnSearchEdit(app.View(), 1); }},
    {IdSearchClearBtn, BN_CLICKED, 0, 0, nullptr, ClearSearch},
    {IdPvPickContentBtn, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { PvPickWithMode(app.View(), 0); }},
    {IdPvPickListerBtn, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { PvPickWithMode(app.View(), 1); }},
    {IdPvEmptyCheck, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { PvFillFieldList(app.View()); }},
    {IdPvUnitsCheck, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { PvFillFieldList(app.View()); }},
    {IdPvToggleBtn, BN_CLICKED, 0, 0, nullptr, [](MainWindow& app) { PvToggleAllGroups(app.View()); }},
};

}  // namespace

std::span<const CommandRow> CommandTable() { return Table; }

const CommandRow* FindCommand(int id) {
    for (const CommandRow& row : Table)
        if (row.id == id) return &row;
    return nullptr;
}

HACCEL CreateCommandAccelerators() {
    std::vector<ACCEL> keys;
    for (const CommandRow& row : Table)
        if (row.keyFlags) keys.push_back({row.keyFlags, row.key, static_cast<WORD>(row.id)});
    return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

LRESULT RunCommand(MainWindow& app, WPARAM wParam, LPARAM lParam) {
    const CommandRow* row = FindCommand(LOWORD(wParam));
    if (!row) return DefWindowProcW(app.Hwnd(), WM_COMMAND, wParam, lParam);
    bool ownNotification = row->notification == AnyNotification || row->notification == HIWORD(wParam);
    // A menu or key command that reaches the window while a save runs is refused,
    // not kept for later: it would act on what the save is changing. So is one that
    // comes while the start still reads its first tab: the rows are not there yet.
    if (row->notification == AnyNotification && MainWindow::ModelChanging()) {
        MessageBeep(MB_ICONWARNING);
        return 0;
    }
    if (ownNotification && (!row->enabled || row->enabled(app))) row->run(app);
    return 0;
}
