// The detail pane under the lists: its text and the search hits marked in it.
#pragma once
#include <windows.h>

#include <string>

#include "views/main_view.h"

// Shows a text in the detail pane; alignLabels: rows "label TAB value" line up
// their values. An empty text empties the pane.
void SetDetailText(MainView& view, const std::wstring& text, bool alignLabels);
// Marks the hits of the search's text in a rich-edit detail pane.
void HighlightDetailMatches(MainView& view);
// A plain-edit detail pane gets 6 px margins; a rich edit keeps its own.
void SetDetailMargins(MainView& view);
