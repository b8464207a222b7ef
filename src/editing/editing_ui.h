// What the editing commands need of the window above them. The shell sets each
// entry; an unset entry is skipped, so the commands also run without a window.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "editing/save_changes.h"

struct PlugEntry;
struct PlugRef;

struct EditingUiHooks {
    std::function<int()> currentTab;         // the shown main tab, 0..6
    std::function<void()> fillTab;           // refills the shown tab
    std::function<void()> updateStatusBar;
    // Shows the finding's entry on its tab; its TabEntries row, -1 when there is none.
    std::function<int(int finding)> jumpToFinding;
    std::function<void()> recheckLister;     // the preview tab in Lister mode checks its file again
    std::function<void(const std::wstring& title, const std::wstring& text)> showTextPopup;
    std::function<void(const PlugRef&)> showPluginInfo;
    std::function<std::wstring(const PlugEntry&)> rowStateGlyph;
};
extern EditingUiHooks EditingUi;

int ShownTab();
void RefillShownTab();
// Every message box of the editing commands; tests read them through SaveMessageBox.
int EditMessage(HWND owner, const std::wstring& text, UINT type);
