// The child windows of the main window and the small utilities around them.
#pragma once
#include <windows.h>

#include "views/main_view.h"

// Builds the frame of the main window: the tabs, the search row, the page, the
// detail pane and the bars; and reads the preview state the last run left in the
// program's INI. The tabs' own controls wait until their tab is first shown.
void CreateMainChildren(MainView& view);
// Makes the controls a tab shows on the page (0-3 the plugin tabs share theirs) if
// they do not exist yet, with the fonts, colours, sort and widths of the others.
void CreateTabControls(MainView& view, int tab);
// Starts loading, on a thread of its own, the DLLs the first paint needs beyond the
// program's imports (the rich edit's, with the OLE DLLs it pulls in): under Wine that
// takes a good part of the start, and so runs while the settings are read and the
// window is made.
void PreloadWindowDlls();
