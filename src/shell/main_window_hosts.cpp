// What the main window does for the lower layers that reach up to it.
#include "shell/main_window.h"

#include <commctrl.h>

#include "analyses/inventory.h"
#include "views/detail_pane.h"
#include "views/inventory_list.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/preview_layout.h"
#include "views/preview_lists.h"
#include "views/view_state.h"

HWND MainWindow::ResultWindow() { return window_; }

void MainWindow::UpdateStatusBar() {
    if (::UpdateStatusBar) ::UpdateStatusBar();
}

int MainWindow::ShownTab() { return TabCtl ? TabCtrl_GetCurSel(TabCtl) : 0; }

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
