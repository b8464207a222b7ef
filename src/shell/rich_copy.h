// Copying from the detail pane as plain text.
#pragma once
#include <windows.h>

#include <string>

// The selection as it goes to the clipboard: zero-width spaces dropped, every line
// break a CR LF.
std::wstring PlainCopyText(const std::wstring& selected);
void CopyRichSelection(HWND rich);
// Subclass id 2 of the detail pane: Ctrl+C, Ctrl+Insert and WM_COPY copy plain text.
LRESULT CALLBACK RichCopySubclassProc(HWND rich, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
