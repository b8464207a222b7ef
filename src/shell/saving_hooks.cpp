#include "shell/saving_hooks.h"

#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "editing/tc_control.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"
#include "shell/main_window.h"

void ConnectSaving() {
    // TC keeps running on its own wincmd.ini when the program opens another one.
    TcOwnIniPath = FindWincmdIni();
}

void SaveCommand(MainWindow& app) {
    if (CountPendingChanges() < 1) {
        MessageBoxW(app.Hwnd(), Tr("save_nothing").c_str(), L"Kestrovane", MB_ICONINFORMATION);
        return;
    }
    SaveChanges(app, app.Hwnd());
}
