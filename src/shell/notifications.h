// WM_NOTIFY and WM_CONTEXTMENU of the main window: custom drawing, selection,
// clicks, keys, column clicks, tips and the guarded check boxes of the extensions.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "views/main_view.h"
#include "views/tab_fill.h"

// What the lists hand to the features that act on entries and rows (editing, the
// context menus, the inventory, findings and preview lists); unset entries do nothing.
struct ListActionHooks {
    std::function<void(HWND, int row, const std::wstring& ext)> editEntry;
    std::function<void(HWND, int row, const std::wstring& ext)> askMarkDelete;
    std::function<void(const PlugRef&)> openInTc;
    std::function<void(HWND, POINT, const PlugRef&)> pluginMenu;
    std::function<bool(HWND, POINT, int row)> keptRowMenu;  // false: the row is no kept row
    std::function<void(HWND, POINT, int row)> extRowMenu;
    std::function<void(HWND, POINT, int item)> listerCheckMenu;
    std::function<bool(int kind, const PlugEntry&)> entryIsNew;
    // The findings, inventory and preview lists: true when the feature handled it.
    std::function<bool(HWND, const NMHDR*, LRESULT&)> otherListNotify;
    std::function<bool(HWND, HWND list, LPARAM)> otherListMenu;
};
extern ListActionHooks ListActions;

LRESULT OnMainNotify(MainView& view, WPARAM wParam, LPARAM lParam);
LRESULT OnMainContextMenu(MainView& view, WPARAM wParam, LPARAM lParam);
