// The strip of keys along the bottom of the main window: the most useful keys of
// the shown tab with what they do; a click runs the command.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "views/main_view.h"

struct KeyBarItem {
    std::wstring key;     // the key's caption; may be empty
    std::wstring action;
    int command = 0;      // a command or control id of the main window
};

// The cells for the shown tab, afresh on every paint and click.
std::vector<KeyBarItem> BuildKeyBar(const MainView& view);
// The cell of n across the rectangle that holds the point; -1 for none.
int KeyBarCellAt(const RECT& bar, int n, POINT point);

void PaintKeyBar(const MainView& view, const DRAWITEMSTRUCT* draw);
// Subclass procedure (id 4) of the bar, its data the MainView: clicks run the key's command.
LRESULT CALLBACK KeyBarWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
