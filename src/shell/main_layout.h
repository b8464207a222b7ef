// Placing the main window's controls at any size and dpi, and the splitter
// between the tab area and the detail pane.
#pragma once
#include <windows.h>

#include "views/main_view.h"

void LayoutMainFrame(const MainView& view);
// The y where the detail box ends: above the key bar when it is shown, else above
// the status bar, less the margin. The splitter drag measures from here too.
int DetailAreaBottom(const MainView& view);
// Whether a client y lies on the band between the tab control and the detail label.
bool UiOnSplitter(const MainView& view, int y);
