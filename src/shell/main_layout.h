// Placing the main window's controls at any size and dpi, and the splitter
// between the tab area and the detail pane.
#pragma once
#include <windows.h>

void LayoutMainFrame(HWND mainWindow);
// The y where the detail box ends: above the key bar when it is shown, else above
// the status bar, less the margin. The splitter drag measures from here too.
int DetailAreaBottom(HWND mainWindow);
// Whether a client y lies on the band between the tab control and the detail label.
bool UiOnSplitter(HWND mainWindow, int y);
