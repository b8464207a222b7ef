// What the main window routes to the content preview: its buttons and the changes
// and context menus of its two lists.
#pragma once
#include <windows.h>
#include <commctrl.h>

// Each returns true when the message was the preview's and is handled.
bool OnPreviewCommand(HWND window, WPARAM wParam);
bool OnPreviewNotify(const NMHDR* header, LRESULT& result);
bool OnPreviewContextMenu(HWND window, HWND from, LPARAM menuPos);
