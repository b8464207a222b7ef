// The strip of keys along the bottom of the main window.
#pragma once
#include <windows.h>

void PaintKeyBar(const DRAWITEMSTRUCT* draw);
// Subclass procedure (id 4) of the bar: clicks run the key's command.
LRESULT CALLBACK KeyBarWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
