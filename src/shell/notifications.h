// WM_NOTIFY and WM_CONTEXTMENU of the main window.
#pragma once
#include <windows.h>

LRESULT OnMainNotify(HWND window, WPARAM wParam, LPARAM lParam);
LRESULT OnMainContextMenu(HWND window, WPARAM wParam, LPARAM lParam);
