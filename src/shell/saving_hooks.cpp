#include "shell/saving_hooks.h"

#include <commctrl.h>

#include "editing/kept_rows.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "editing/tc_control.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/tc_discovery.h"
#include "shell/menu_help.h"
#include "shell/window_hooks.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/tab_fill.h"

namespace {

// Until the tabs compose their own status texts, the bar shows what is unsaved.
void ShowPendingCount() {
    uint32_t n = CountPendingChanges();
    std::wstring text = n ? FillVar(Tr("st_pending"), L"n", std::to_wstring(n)) : L"";
    if (StatusBar) SendMessageW(StatusBar, SB_SETTEXTW, 0, (LPARAM)text.c_str());
}

}  // namespace

void ConnectSaving() {
    // TC keeps running on its own wincmd.ini when the program opens another one.
    TcOwnIniPath = FindWincmdIni();
    WindowHooks.updateKeptRowTexts = [] {
        if (PluginList) UpdateKeptRowTexts(PluginList);
    };
    PendingChanged = UiPostRefresh;
    RefillAfterSave = FillTab;
    if (!UpdateStatusBar) UpdateStatusBar = ShowPendingCount;
}

void SaveCommand(HWND window) {
    if (CountPendingChanges() < 1) {
        MessageBoxW(window, Tr("save_nothing").c_str(), L"Kestrovane", MB_ICONINFORMATION);
        return;
    }
    SaveChanges(window);
}

void DiscardCommand(HWND window) {
    if (CountPendingChanges() < 1 || SaveIsRunning()) return;
    if (MessageBoxW(window, Tr("ask_discard").c_str(), L"Kestrovane", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    DiscardPending();
    UiPostRefresh();
}
