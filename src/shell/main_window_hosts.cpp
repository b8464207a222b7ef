#include "shell/main_window.h"

#include <commctrl.h>

#include "analyses/inventory.h"
#include "dsx/entry_editor.h"
#include "editing/cleanup.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "views/detail_pane.h"
#include "views/inventory_list.h"
#include "views/lister_check_list.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/preview_layout.h"
#include "views/preview_lists.h"
#include "views/row_status.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"
#include "views/view_state.h"

HWND MainWindow::ResultWindow() { return window_; }

void MainWindow::UpdateStatusBar() {
    if (::UpdateStatusBar) ::UpdateStatusBar();
}

int MainWindow::ShownTab() { return TabCtl ? TabCtrl_GetCurSel(TabCtl) : 0; }

void MainWindow::RefillShownTab() { FillTab(*this); }

// Posted: the operation that changed the pending state finishes first.
void MainWindow::PendingChanged() {
    if (window_) PostMessageW(window_, MsgRefresh, 0, 0);
}

int MainWindow::JumpToFinding(int finding) { return ::JumpToFinding(finding); }

void MainWindow::RecheckLister() { LvFillCheck(); }

void MainWindow::ShowTextPopup(const std::wstring& title, const std::wstring& text) { UiShowTextPopup(title, text); }

void MainWindow::ShowPluginInfo(const PlugRef& ref) { ShowPluginInfoOf(ref); }

std::wstring MainWindow::RowStateGlyph(const PlugEntry& entry) { return ::RowStateGlyph(entry).glyph; }

int MainWindow::Message(HWND owner, const std::wstring& text, UINT type) {
    return MessageBoxW(owner, text.c_str(), L"Kestrovane", type);
}

bool MainWindow::RunEntryEditor(HWND owner, EntryEditForm& form) { return EditEntryDialog(owner, form); }

bool MainWindow::RecycleBinAvailable(const std::wstring& path) { return DriveHasRecycleBin(path); }

void MainWindow::ShowInstallStatus(const std::wstring& text) {
    if (text.empty()) UpdateStatusBar();
    else if (StatusBar) SendMessageW(StatusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool MainWindow::FindingsShown() { return TabIsFindings != 0; }

void MainWindow::UpdateInventory(int kind) {
    if (!::UpdateInventory(kind)) return;
    if (TabIsInventory) {
        FillInventoryList(InventoryList);
        ShowChangeLog();
    } else if (PluginList) {
        InvalidateRect(PluginList, nullptr, FALSE);  // the new-plugin marks
    }
}

bool MainWindow::PanesShown() { return TabIsPreview && PreviewMode == 0; }

void MainWindow::Clear() { PvClearFieldList(); }

void MainWindow::FillPluginList() { PvFillPluginList(); }

void MainWindow::FillFieldList() { PvFillFieldList(); }

void MainWindow::RefreshGroup(int index) { PvRefreshGroup(index); }

void MainWindow::SaveGroupStates() { PvSaveGroupStates(); }

void MainWindow::ShowIntro() { ShowPreviewIntro(); }
