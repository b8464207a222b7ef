// The colour scheme applied to the main window, its children and the program's
// other top-level windows.
#pragma once
#include <windows.h>
#include <commctrl.h>

// Chooses the scheme from the settings and applies it to every window there is.
void ApplyColors();
// Colours the detail pane when it is a rich edit.
void ThemeRichEdit();
// The selection colours of a list row being drawn: the scheme's, or the system's
// while the search box has the focus.
void ThemeSelColors(NMLVCUSTOMDRAW* draw);
// Re-themes one top-level window of the UI thread (an EnumThreadWindows callback).
BOOL CALLBACK ThemeTopWindowProc(HWND window, LPARAM);
