// The panes of the main page that the analyses fill. The shell creates the windows
// and installs the two hooks; until it has, every call here does nothing.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

extern HWND LvCheckList;  // the Lister-check list of the preview tab
extern HWND DetailLabel;  // the label above the detail pane
extern HWND DetailBox;    // the detail pane
extern HWND PluginList;   // the entries of the shown plugin tab
extern HWND ExtList;      // the extension checklist of the selected entry
extern HWND FindingsList;
extern HWND InventoryList;

// Sizes and shows the panes for the current tab and preview mode.
extern std::function<void()> LayoutPanes;
// Composes and shows the status text of the current tab.
extern std::function<void()> UpdateStatusBar;

// Shows a text in the detail pane; alignLabels: rows "label TAB value" line up
// their values. An empty text empties the pane.
void SetDetailText(const std::wstring& text, bool alignLabels);
