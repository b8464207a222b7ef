// What the main window routes to the content preview: the changes and context menus
// of its two lists.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "views/main_view.h"

// Each returns true when the message was the preview's and is handled.
bool OnPreviewNotify(MainView& view, const NMHDR* header, LRESULT& result);
bool OnPreviewContextMenu(const MainView& view, HWND from, LPARAM menuPos);
