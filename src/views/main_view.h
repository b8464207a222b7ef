// The main window as the views see it: its controls, what it shows and the host it
// reports to. The shell's main window owns the one there is; every view function
// that works on the window takes it. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "views/main_controls.h"
#include "views/view_host.h"

// The one tracking tooltip of the lists' cells and the cell it shows.
struct CellTipState {
    HWND window = nullptr;  // made on first use
    HWND list = nullptr;    // null while no cell is tracked
    int row = -1, column = -1;
    std::wstring text;
};

struct MainView {
    explicit MainView(IViewHost& host) : host(host) {}
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    IViewHost& host;
    MainControls controls;
    CellTipState cellTip;
    HWND legend = nullptr;  // the legend window; null while closed
};

// The pick button of the active preview mode is shown semi-bold.
void UiApplyFonts(MainView& view);
// The list searched and focused on the shown tab.
HWND UiCurrentList(const MainView& view);
// The item data of the first selected row of the plugin or findings list; -1 for none.
int32_t PluginListSelection(const MainView& view);
int32_t FindingsListSelection(const MainView& view);
