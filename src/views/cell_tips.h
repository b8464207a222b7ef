// Cell tips: one tracking tooltip that shows the full text of a cell too narrow for
// it, or an explanation for the cells that carry one. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "views/main_view.h"

// Shows, moves or hides the tip for the cell under a point (list coordinates).
void CellTipShow(MainView& view, HWND list, POINT point);
void UiHideTrackTip(MainView& view);
// At most 12 lines of about 500 characters, cut near a blank, with a note that the
// full value stands below.
std::wstring ShortenTipText(const std::wstring& text);
// Where a tip of that size goes below a cell, kept inside the work area; it flips
// above the cell when it would pass the bottom.
POINT TipPlace(const RECT& cellOnScreen, SIZE tip, const RECT& work, int gap);
// The cell's rectangle as cells are measured for tips and search hits.
bool CellRect(HWND list, int row, int column, RECT& cell);
