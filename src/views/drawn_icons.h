// Tab icons, field-usage pictograms and themed headers, drawn with GDI on a
// 16-unit grid so that they stay sharp at every dpi. UI thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

// Builds the seven tab icons for the current dpi and hands them to the tab control.
void DrawTabIcons(HWND tabs);
// The tab icons at `size` pixels, as a new masked image list (the caller owns it).
HIMAGELIST BuildTabIcons(int size);
// Pictogram `index` (0 column view, 1 tooltip, 2 thumbnail, 3 rename, 4 search, 5+ other).
void DrawPictogram(HDC dc, int index, int x, int y, int size);
// Header custom draw of a themed list; false when not handled (standard scheme).
bool DrawHeader(NMCUSTOMDRAW* draw, LRESULT& result);
// One group header of a list drawn in the scheme's colours.
void DrawGroupHeader(NMLVCUSTOMDRAW* draw);
// At a group's prepaint under a scheme with its own colours: draws the header and
// returns true (the list must skip its own); otherwise false and the system draws it.
bool GroupHeaderPrePaint(NMLVCUSTOMDRAW* draw);

// Grid routines: a grid value v of a drawing of size s lies MulDiv(v, s, 16) pixels from its origin.
int DrawMulDiv16(int origin, int size, int v);
void DrawFillRect16(HDC dc, int size, int l, int t, int r, int b, HBRUSH brush);
void DrawLine16(HDC dc, int size, int x1, int y1, int x2, int y2);
void DrawRect16(HDC dc, int size, int l, int t, int r, int b);
void DrawFill16b(HDC dc, int x, int y, int size, int l, int t, int r, int b, HBRUSH brush);
void DrawLine16b(HDC dc, int x, int y, int size, int x1, int y1, int x2, int y2);
