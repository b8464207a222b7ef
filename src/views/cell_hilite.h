// Search hits painted over the cells of the searched list. The search sets what to
// paint; the page window paints it after each row. UI thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "views/main_view.h"

struct HiliteSpan {
    size_t at = 0, length = 0;  // the occurrence in the cell text
    int x1 = 0, x2 = 0;         // where it is painted
};

// The occurrences of `needle` in a cell from left to right, placed as the list draws
// the text: `width` measures a piece of it. The cell's format decides where the text
// starts when it fits; an occurrence passing the right inset ends the walk.
std::vector<HiliteSpan> HiliteSpans(const std::wstring& text, const std::wstring& needle, const RECT& cell,
                                    int inset, int format, const std::function<int(const std::wstring&)>& width);

// Paints the view's search hits in every cell of a row at its item postpaint.
void DrawCellHilite(const MainView& view, const NMLVCUSTOMDRAW* draw);
