#include "views/main_view.h"

#include <commctrl.h>

#include "foundation/list_view.h"
#include "foundation/ui_globals.h"

void UiApplyFonts(MainView& view) {
    if (!UiFont || !UiFontSemibold) return;
    auto set = [](HWND button, HFONT font) {
        if (button) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    };
    set(view.controls.pvPickContentBtn, view.previewMode == 0 ? UiFontSemibold : UiFont);
    set(view.controls.pvPickListerBtn, view.previewMode == 1 ? UiFontSemibold : UiFont);
}

namespace {

int32_t FirstSelectedItem(HWND list) {
    if (!list) return -1;
    return ListViewItemData(list, ListView_GetNextItem(list, -1, LVNI_SELECTED));
}

}  // namespace

HWND UiCurrentList(const MainView& view) {
    const MainControls& c = view.controls;
    if (view.tabIsPreview) return view.previewMode == 1 ? c.lvCheckList : c.pvFieldList;
    if (view.tabIsFindings) return c.findingsList;
    if (view.tabIsInventory) return c.inventoryList;
    return c.pluginList;
}

int32_t PluginListSelection(const MainView& view) { return FirstSelectedItem(view.controls.pluginList); }
int32_t FindingsListSelection(const MainView& view) { return FirstSelectedItem(view.controls.findingsList); }
