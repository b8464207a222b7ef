// What a plugin-list row shows of its entry.
#pragma once
#include <windows.h>

#include <string>

struct StatusGlyph {
    const wchar_t* glyph;
    const char* shortKey;   // the short text of cell tips
    const char* legendKey;  // the explanation of the legend window
};

// Every glyph record in legend order.
const StatusGlyph* StatusGlyphs(size_t& count);

// The full display path of a plugin-list row (list index), "" when it names no entry.
std::wstring SelectedRowPath(int row);
// Rewrites the status cells of a plugin-list row after its probe answer came in.
void UpdateRowStatusCells(int row);
