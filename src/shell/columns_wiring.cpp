#include "shell/columns_wiring.h"

#include "analyses/plugin_caches.h"
#include "foundation/ui_globals.h"
#include "shell/window_hooks.h"
#include "views/extra_columns.h"
#include "views/list_subclass.h"

void ConnectExtraColumns() {
    WindowHooks.applyExtraColValues = ApplyExtraColValues;
    DropExtraColumnTexts = XcolResetCache;
    ExtraColumnsChanged = [] { XcolStartWorker(MainWnd); };
}
