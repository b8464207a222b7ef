// The colour scheme applied to the main window, its children and the program's
// other top-level windows.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "views/main_view.h"

// Chooses the scheme from the settings and applies it to every window there is.
void ApplyColors(MainView& view);
// The scheme on the lists, check boxes and buttons of the page that exist; a
// control made later takes it the same way.
void ThemeChildControls(MainView& view);
// Colours the detail pane when it is a rich edit.
void ThemeRichEdit(MainView& view);
// The selection colours of a list row being drawn: the scheme's, or the system's
// while the main window's search box has the focus.
void ThemeSelColors(const MainView& view, NMLVCUSTOMDRAW* draw);
// Re-themes one top-level window of the UI thread (an EnumThreadWindows callback).
BOOL CALLBACK ThemeTopWindowProc(HWND window, LPARAM);
