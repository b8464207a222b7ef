#include "shell/editing_hooks.h"

#include <commctrl.h>

#include "editing/editing_ui.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "views/lister_check_list.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"

void ConnectEditing(MainView& view) {
    EditingUi.currentTab = [&view] { return view.controls.tabCtl ? TabCtrl_GetCurSel(view.controls.tabCtl) : 0; };
    EditingUi.fillTab = [&view] { FillTab(view); };
    EditingUi.updateStatusBar = [&view] { UpdateStatusBar(view); };
    EditingUi.showTextPopup = [&view](const std::wstring& title, const std::wstring& text) {
        UiShowTextPopup(view.controls.main, title, text);
    };
    EditingUi.jumpToFinding = [&view](int index) { return JumpToFinding(view, index); };
    EditingUi.showPluginInfo = [&view](const PlugRef& ref) { ShowPluginInfoOf(view, ref); };
    EditingUi.recheckLister = [&view] { LvFillCheck(view); };
    EditingUi.rowStateGlyph = [](const PlugEntry& entry) { return std::wstring(RowStateGlyph(entry).glyph); };
}
