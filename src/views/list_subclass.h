// The subclass of every themed list: order keys and the extra-column menu of the
// plugin list, a user-sized last column, Enter for the main lists, and cell tips.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "views/main_view.h"

// Posted to the main window when the path column should be shortened again.
constexpr UINT MsgFitPathColumn = WM_APP + 13;

// The subclass (id 1) of a list of the main window or its legend; data is the MainView.
LRESULT CALLBACK ListSubclass(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
// Gives a list that subclass; a null list is left alone.
void SubclassList(MainView& view, HWND list);
// The extra columns after choosing menu item `choice` (99 none, 100 + i toggles row i).
std::vector<int32_t> ExtraColsAfterChoice(const std::vector<int32_t>& shown, int choice);
// The order operation of a key with Ctrl held; -1 for a key that is not an order key.
int OrderOpOfKey(WPARAM key);
