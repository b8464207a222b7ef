#include "views/key_bar.h"

#include <commctrl.h>

#include "foundation/themes.h"

void PaintKeyBar(const DRAWITEMSTRUCT* draw) {
    HBRUSH brush = CreateSolidBrush(ThemeBlendBg());
    FillRect(draw->hDC, &draw->rcItem, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK KeyBarWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return DefSubclassProc(window, msg, wParam, lParam);
}
