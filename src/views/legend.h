// The legend window: what every sign and colour of the lists means.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "views/main_view.h"

// Style: 0 plain, 1 "new" background, 2 "removed" text, 3 "unexpected folder" text,
// 4 "greedy" text, 5 "removed" text of an acknowledged finding, 100..105 pictogram 0..5.
struct LegendRow {
    std::wstring symbol, meaning, explanation;
    uint32_t style = 0;
};
struct LegendLine {
    int32_t row;      // index into LegendRows
    uint8_t first;    // the first line of its row
};

extern std::vector<LegendRow> LegendRows;
extern std::vector<LegendLine> LegendLines;

// The window's creation parameter is the MainView that keeps it as its legend.
LRESULT CALLBACK LegendWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Opens the legend over the main window, or brings the open one to the front.
void ShowLegend(MainView& view);
void AddLegendRow(const std::wstring& symbol, const std::wstring& meaning, const std::wstring& explanation,
                  uint32_t style);
// Rebuilds LegendRows in the current language.
void BuildLegendRows();
// The open legend takes the program's font made anew (after a dpi change) and wraps again.
void LegendTakeFont(const MainView& view);
// Fills the list from LegendRows, wrapping explanations at the explanation column's width.
void LegendFillList(HWND list);
// Greedy wrap at blanks; a line feed always starts a new line.
std::vector<std::wstring> LegendWrap(const std::wstring& text, int width,
                                     const std::function<int(const std::wstring&)>& measure);
