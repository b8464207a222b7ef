#include "views/legend.h"

HWND LegendWnd = nullptr;

LRESULT CALLBACK LegendWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY && window == LegendWnd) LegendWnd = nullptr;
    return DefWindowProcW(window, msg, wParam, lParam);
}

void ShowLegend(HWND) {}
