// The status glyph of a plugin-list row and the paths the rows show.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "views/main_view.h"

struct PlugEntry;

struct StatusGlyph {
    const wchar_t* glyph;
    const char* shortKey;   // the short text of cell tips
    const char* legendKey;  // the explanation of the legend window
};

// One of the sixteen records of StatusGlyphs(); callers may compare by identity.
const StatusGlyph& RowStateGlyph(const PlugEntry& entry);
// Every glyph record in legend order.
const StatusGlyph* StatusGlyphs(size_t& count);
// The record of the "?" glyph: a File-system entry without file-system exports.
const StatusGlyph& NotFsGlyph();

// Rewrites the version and status cells of the row showing TabEntries[index].
void UpdateRowStatusCells(MainView& view, int index);
// The display path of a plugin-list row; "" for a row that shows no entry.
std::wstring SelectedRowPath(HWND pluginList, int row);

// The text colour of a status cell under a scheme with its own colours; -1 for the
// default colour (always under the standard scheme).
COLORREF StatusCellColor(const MainView& view, HWND list, int row, int column);
// A cell's prepaint in a list whose state cells carry colours: its status colour, else
// the scheme's text colour, on the scheme's background.
LRESULT StatusCellPrePaint(const MainView& view, NMLVCUSTOMDRAW* draw);
