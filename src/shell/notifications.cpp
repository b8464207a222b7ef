#include "shell/notifications.h"

#include <commctrl.h>

#include "views/main_controls.h"
#include "views/tab_fill.h"

LRESULT OnMainNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom == TabCtl && header->code == TCN_SELCHANGE) {
        FillTab();
        return 0;
    }
    return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
}

LRESULT OnMainContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, WM_CONTEXTMENU, wParam, lParam);
}
