// The page window inside the tab control: the lists of the shown tab, the splitter
// between the plugin and extension lists, and the marks strip. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>

#include "views/main_view.h"

// The page's creation parameter is the MainView it shows.
LRESULT CALLBACK PageWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Sizes and shows the lists, the strip and the splitter area for the shown tab.
void LayoutPagePanes(MainView& view);
// The page margin, 3 pixels scaled.
int UiScale3();
// The splitter's x, measured from the left margin, for a page client width.
int UiDetailSplitX(const MainView& view, int clientWidth);
bool UiOnDetailSplitter(const MainView& view, int x, int y);
// Drag feedback: Track moves the one bar to the rectangle, Bar inverts a rectangle,
// Erase removes the bar when one is drawn.
void UiSplitterTrack(MainView& view, HWND window, const RECT& rect);
void UiSplitterBar(HWND window, const RECT& rect);
void UiSplitterErase(MainView& view);
int32_t TabMarks(const MainView& view);
// Redraws the marks strip when the marks of the shown tab changed.
void UpdateMarksStrip(MainView& view);
// Has the plugin list show its path cells shortened to the column width, each when shown.
void FitPathColumn(MainView& view);
// Cell i of n equal cells across the rectangle, 4 pixels apart.
void UiGridCell(RECT& cell, const RECT& rect, int i, int n);
