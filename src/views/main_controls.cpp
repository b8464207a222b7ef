#include "views/main_controls.h"

#include <commctrl.h>

#include "foundation/list_view.h"
#include "foundation/ui_globals.h"
#include "views/view_state.h"

HWND TabCtl, SearchLabel, SearchEdit, SearchPrevBtn, SearchNextBtn, SearchClearBtn, SearchStatus;
HWND PageWnd, PluginList, MarksStrip, ExtList, FindingsList, InventoryList;
HWND PvPickContentBtn, PvPickListerBtn, LvCheckList, PvFileLabel, PvEmptyCheck, PvUnitsCheck;
HWND PvToggleBtn, PvIntro, PvFieldList, PvPluginList;
HWND DetailLabel, DetailBox, StatusBar, KeyBar;

uint8_t DetailIsRich = 0;
uint8_t SearchReady = 0;

void UiApplyFonts() {
    if (!UiFont || !UiFontSemibold) return;
    auto set = [](HWND button, HFONT font) {
        if (button) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    };
    set(PvPickContentBtn, PreviewMode == 0 ? UiFontSemibold : UiFont);
    set(PvPickListerBtn, PreviewMode == 1 ? UiFontSemibold : UiFont);
}

namespace {

int32_t FirstSelectedItem(HWND list) {
    if (!list) return -1;
    return ListViewItemData(list, ListView_GetNextItem(list, -1, LVNI_SELECTED));
}

}  // namespace

HWND UiCurrentList() {
    if (TabIsPreview) return PreviewMode == 1 ? LvCheckList : PvFieldList;
    if (TabIsFindings) return FindingsList;
    if (TabIsInventory) return InventoryList;
    return PluginList;
}

int32_t PluginListSelection() { return FirstSelectedItem(PluginList); }
int32_t FindingsListSelection() { return FirstSelectedItem(FindingsList); }
