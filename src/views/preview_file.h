// The file and mode of the preview tab: the content preview or the Lister check.
#pragma once
#include <windows.h>

#include <string>

#include "analyses/preview_view.h"

// 0 content preview, 1 Lister check: stores the mode in the INI, marks the active
// pick button and re-lays the preview panes when they are shown.
void SetPreviewMode(int mode);
// A file from /preview, /lister or a second copy: checked in that mode on the
// preview tab, which is selected when another tab is shown. An empty path does nothing.
void PvSetFile(IPreviewView& view, const std::wstring& path, bool lister);
// The buttons "Check content…" (mode 0) and "Check Lister…" (1): a new mode with a
// file already chosen checks that file, else the user picks one.
void PvPickWithMode(IPreviewView& view, HWND owner, int mode);
// The open-file dialog for the preview file; Cancel changes nothing.
void PvPickFile(IPreviewView& view, HWND owner);
// Rebuilds the preview tab for PreviewFile in the current mode.
void PreviewTabRefresh(IPreviewView& view);
