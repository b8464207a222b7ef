// The read-only text window for long texts (plugin information, reports).
#pragma once
#include <windows.h>

#include <string>

// Window procedure of the class "KestrovaneText"; its creation parameter is the text.
LRESULT CALLBACK TextWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Opens a text window owned by the window (the main window); not modal, Esc closes it.
void UiShowTextPopup(HWND owner, const std::wstring& title, const std::wstring& text);
