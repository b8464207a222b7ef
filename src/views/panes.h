// The panes of the main page that the analyses fill. The shell creates the windows
// and installs the two hooks; until it has, every call here does nothing.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "views/main_controls.h"

// Sizes and shows the panes for the current tab and preview mode.
extern std::function<void()> LayoutPanes;
// Composes and shows the status text of the current tab.
extern std::function<void()> UpdateStatusBar;

// The search text whose hits the detail pane marks; set by the search.
extern std::function<std::wstring()> DetailSearchText;

// Shows a text in the detail pane; alignLabels: rows "label TAB value" line up
// their values. An empty text empties the pane.
void SetDetailText(const std::wstring& text, bool alignLabels);
// Marks the hits of the search text in a rich-edit detail pane.
void HighlightDetailMatches();
