#include "shell/feature_wiring.h"

#include "analyses/inventory.h"
#include "editing/pending_ops.h"
#include "editing/save_request.h"
#include "shell/columns_wiring.h"
#include "shell/editing_hooks.h"
#include "shell/findings_tabs.h"
#include "shell/menu_help.h"
#include "views/tab_fill.h"

void WireFeatures(MainView& view) {
    ConnectEditing(view);
    ConnectExtraColumns();
    InventoryUpdatedHook = [&view] { ShowInventoryUpdate(view); };
    RefillAfterSave = [&view] { FillTab(view); };
    PendingChanged = [&view] { UiPostRefresh(view.controls.main); };
}
