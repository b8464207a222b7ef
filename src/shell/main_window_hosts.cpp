// What the main window does for the lower layers that reach up to it.
#include "shell/main_window.h"

#include <commctrl.h>

#include "analyses/plugin_caches.h"
#include "dsx/entry_editor.h"
#include "editing/cleanup.h"
#include "editing/order_ops.h"
#include "editing/save_dialog.h"
#include "foundation/texts.h"
#include "probe/plugin_info.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/main_children.h"
#include "shell/menu_help.h"
#include "shell/search.h"
#include "views/inventory_list.h"
#include "views/lister_check_list.h"
#include "views/preview_layout.h"
#include "views/preview_lists.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"

namespace {

// Between two showings of a save's progress; the window paints at each.
constexpr auto SaveShowStep = std::chrono::milliseconds(50);

// Keys and clicks that came while the save wrote: none may run a command during
// the save, nor queued after it.
void DropInput() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
    while (PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {}
}

// Only paints: the workers' results and the timers stay queued until the save
// ends, as they would change what the save works on. A window that does not take
// its paint cannot hold the save up.
void PaintWaiting() {
    MSG msg;
    for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) DispatchMessageW(&msg);
}

}  // namespace

HWND MainWindow::ResultWindow() { return view_.controls.main; }

int MainWindow::ShownTab() { return view_.controls.tabCtl ? TabCtrl_GetCurSel(view_.controls.tabCtl) : 0; }

void MainWindow::UpdateStatusBar() { ::UpdateStatusBar(view_); }

void MainWindow::SearchAfterFill() { ::SearchAfterFill(view_); }

void MainWindow::StartBackgroundProbe() { ::StartBackgroundProbe(*this); }

void MainWindow::MoveSelectedEntries(int op) {
    if (view_.controls.tabCtl) OrderOp(*this, view_.controls.pluginList, ShownTab(), op);
}

void MainWindow::CreateTabControls(int tab) { ::CreateTabControls(view_, tab); }

// Called after the program's own writes: whatever tab is shown, the outside-change
// check compares with the file as written. A plugin tab's fill reads that text
// before its rows; the other tabs keep the section shown last, read here, also
// before the rows. Read after them, it would hold a write of TC's the rows miss.
void MainWindow::RefillShownTab() {
    if (ShownTab() > KindFileSystem) RememberShownSection();
    FillTab(view_);
}

// Posted: the operation that changed the pending state finishes first.
void MainWindow::PendingChanged() { UiPostRefresh(view_.controls.main); }

int MainWindow::JumpToFinding(int finding) { return ::JumpToFinding(view_, finding); }

void MainWindow::RecheckLister() { LvFillCheck(view_); }

void MainWindow::ShowTextPopup(const std::wstring& title, const std::wstring& text) {
    UiShowTextPopup(view_.controls.main, title, text);
}

// Nothing for a reference without a path. The usage index is the one every tab shows.
void MainWindow::ShowPluginInfo(const PlugRef& ref) {
    if (!ref.hasPath) return;
    ShowTextPopup(FillVar(Tr("info_title"), L"n", ref.name),
                  PluginInfoText(ref.path, ref.expandedPath, ref.file, CurrentFieldUsage()));
}

std::wstring MainWindow::RowStateGlyph(const PlugEntry& entry) { return ::RowStateGlyph(entry).glyph; }

// The owner hears of the menu's loop (WM_ENTERMENULOOP): files handed over meanwhile wait.
UINT MainWindow::PopupMenu(HWND owner, POINT screen, HMENU menu) {
    return static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr));
}

int MainWindow::Message(HWND owner, const std::wstring& text, UINT type) {
    return MessageBoxW(owner, text.c_str(), L"Kestrovane", type);
}

int MainWindow::AskToSave(HWND owner, const std::wstring& changeList, bool tcRunning) {
    return RunSaveDialog(owner, changeList, tcRunning);
}

bool MainWindow::RunEntryEditor(HWND owner, EntryEditForm& form) { return EditEntryDialog(owner, form); }

bool MainWindow::RecycleBinAvailable(const std::wstring& path) { return DriveHasRecycleBin(path); }

void MainWindow::SaveWriting(bool writing) {
    HWND window = view_.controls.main;
    if (writing) {
        saveFocus_ = GetFocus();
        saveDisabled_ = !EnableWindow(window, FALSE);
        saveShown_ = std::chrono::steady_clock::now();
        return;
    }
    DropInput();
    if (std::exchange(saveDisabled_, false)) EnableWindow(window, TRUE);
    if (saveFocus_ && IsWindow(saveFocus_)) SetFocus(saveFocus_);
    UpdateStatusBar();
}

// Often enough that Windows never takes the window for hung.
void MainWindow::SaveProgress(int done, int total) {
    auto now = std::chrono::steady_clock::now();
    if (now - saveShown_ < SaveShowStep) return;
    saveShown_ = now;
    ShowInstallStatus(FillVars(Tr("st_saving"), {{L"i", std::to_wstring(done)}, {L"n", std::to_wstring(total)}}));
    DropInput();
    PaintWaiting();
}

void MainWindow::ShowInstallStatus(const std::wstring& text) {
    HWND bar = view_.controls.statusBar;
    if (text.empty()) UpdateStatusBar();
    else if (bar) SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool MainWindow::ModelHeld() { return inMenuLoop_ || ModelChanging(); }

bool MainWindow::FindingsShown() { return view_.tabIsFindings; }

bool MainWindow::PanesShown() { return view_.tabIsPreview && view_.previewMode == 0; }

void MainWindow::Clear() { PvClearFieldList(view_); }

void MainWindow::FillPluginList() { PvFillPluginList(view_); }

void MainWindow::FillFieldList() { PvFillFieldList(view_); }

void MainWindow::RefreshGroup(int index) { PvRefreshGroup(view_, index); }

void MainWindow::SaveGroupStates() { PvSaveGroupStates(view_); }

void MainWindow::ShowIntro() { ShowPreviewIntro(view_); }
