// The file the preview tab looks at, shared by the Lister check and the content
// preview, and the mode it is checked in; both remembered in the program's INI.
#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>

extern std::wstring PreviewFile;
// 0 content preview, 1 Lister check: stores the mode in the INI, marks the active
// pick button and re-lays the preview panes when they are shown.
void SetPreviewMode(int mode);
// A file from /preview, /lister or a second copy: checked in that mode on the
// preview tab, which is selected when another tab is shown. An empty path does nothing.
void PvSetFile(const std::wstring& path, bool lister);
// Rebuilds the preview tab for PreviewFile in the current mode.
void PvRefreshShown();
// The content preview's rebuild; set by the main window.
extern std::function<void()> PvRefreshContent;
// The Lister check's rebuild; set by the main window.
extern std::function<void()> PvRefreshLister;
