#include "shell/columns_wiring.h"

#include <windows.h>
#include <commctrl.h>

#include "editing/order_ops.h"
#include "foundation/ui_globals.h"
#include "shell/main_window.h"
#include "shell/window_hooks.h"
#include "views/extra_columns.h"
#include "views/list_subclass.h"
#include "views/main_controls.h"
#include "views/tab_fill.h"

void ConnectExtraColumns() {
    WindowHooks.applyExtraColValues = ApplyExtraColValues;
    ExtraColumnsChanged = [] { XcolStartWorker(MainWnd); };
    FillHooks.startExtraColumns = [] { XcolStartWorker(MainWnd); };
    ListOrderOp = [](int op) {
        if (TabCtl) OrderOp(MainWindowOf(TabCtl), PluginList, TabCtrl_GetCurSel(TabCtl), op);
    };
}
