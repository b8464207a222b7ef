// WM_NOTIFY and WM_CONTEXTMENU of the main window: custom drawing, selection,
// clicks, keys, column clicks, tips and the guarded check boxes of the extensions.
#pragma once
#include <windows.h>

#include "views/main_view.h"

LRESULT OnMainNotify(MainView& view, WPARAM wParam, LPARAM lParam);
LRESULT OnMainContextMenu(MainView& view, WPARAM wParam, LPARAM lParam);
