// The legend window: what every sign and colour of the lists means.
#pragma once
#include <windows.h>

extern HWND LegendWnd;  // null while closed

LRESULT CALLBACK LegendWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
void ShowLegend(HWND owner);
