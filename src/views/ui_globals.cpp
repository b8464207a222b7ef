#include "views/main_controls.h"
#include "views/ui_globals.h"
#include "views/view_state.h"

HINSTANCE AppInstance = nullptr;
HWND MainWnd = nullptr;
int UiDpi = 96;

int UiScale(int size96) { return MulDiv(size96, UiDpi, 96); }

HFONT UiFont = nullptr;
HFONT UiFontFixed = nullptr;
HFONT UiFontSemibold = nullptr;
HFONT UiFontHeading = nullptr;
HFONT UiFontSubheading = nullptr;
HFONT UiSymbolFont = nullptr;
int32_t UiFontPx = 12;

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
