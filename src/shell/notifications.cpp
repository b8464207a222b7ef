#include "shell/notifications.h"

#include <commctrl.h>

#include "shell/preview_events.h"
#include "views/main_controls.h"
#include "views/tab_fill.h"

LRESULT OnMainNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (OnPreviewNotify(header)) return 0;
    if (header->hwndFrom == TabCtl && header->code == TCN_SELCHANGE) {
        FillTab();
        return 0;
    }
    return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
}

LRESULT OnMainContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnPreviewContextMenu(window, reinterpret_cast<HWND>(wParam), lParam)) return 0;
    return DefWindowProcW(window, WM_CONTEXTMENU, wParam, lParam);
}
