// WM_NOTIFY and WM_CONTEXTMENU of the main window: custom drawing, selection,
// clicks, keys, column clicks, tips and the guarded check boxes of the extensions.
#pragma once
#include <windows.h>

#include "shell/main_window.h"

LRESULT OnMainNotify(MainWindow& app, WPARAM wParam, LPARAM lParam);
LRESULT OnMainContextMenu(MainWindow& app, WPARAM wParam, LPARAM lParam);
