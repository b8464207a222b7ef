// The rows of kept (deactivated) entries in the plugin list, and their menu.
#pragma once
#include <windows.h>

#include <string>

class IEditingHost;

// True at once when the plugin file (or its "64" twin) exists; else asks whether
// to use the path anyway.
bool ConfirmMissingFile(IEditingHost& host, HWND owner, const std::wstring& path);
// Rewrites the name and state cells of every row after the pending state changed.
void UpdateKeptRowTexts(HWND list);
// The context menu of a kept row (item data KeptIdBase + index); false when the
// row is no kept row, so the caller shows the plugin menu instead.
bool DisabledRowMenu(IEditingHost& host, HWND owner, POINT screen, int itemData);
