#include "shell/columns_wiring.h"

#include "analyses/plugin_caches.h"
#include "views/extra_columns.h"

void ConnectExtraColumns() { DropExtraColumnTexts = XcolResetCache; }
