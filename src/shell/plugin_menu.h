// The context menu of one plugin of the plugin lists or the inventory. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editing/launch.h"
#include "shell/main_window.h"
#include "shell/plugin_menu_parts.h"
#include "views/main_view.h"

// Shows the menu at the screen point over the main window and carries out the
// chosen item; a reference without a path shows nothing.
void PluginMenu(MainWindow& app, POINT screen, const PlugRef& ref);

// What one opening of the menu offered, so the chosen item is carried out on what was shown.
struct PluginMenuState {
    PlugRef ref;
    std::vector<std::wstring> candidates;  // TC executables
    std::vector<std::wstring> docs;
    std::vector<OwnCommand> own;
    uint32_t fillGeneration = 0;  // the fill the menu was built on
};
HMENU BuildPluginMenu(const MainView& view, PluginMenuState& state);
// Carries out a chosen id; an entry's item does nothing when the list was refilled meanwhile.
void RunPluginMenuCommand(MainWindow& app, UINT id, const PluginMenuState& state);
