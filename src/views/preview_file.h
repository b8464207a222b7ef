// The file and mode of the preview tab: the content preview or the Lister check.
#pragma once
#include <string>

// 0 content preview, 1 Lister check: stores the mode in the INI, marks the active
// pick button and re-lays the preview panes when they are shown.
void SetPreviewMode(int mode);
// A file from /preview, /lister or a second copy: checked in that mode on the
// preview tab, which is selected when another tab is shown. An empty path does nothing.
void PvSetFile(const std::wstring& path, bool lister);
// Rebuilds the preview tab for PreviewFile in the current mode.
void PreviewTabRefresh();
