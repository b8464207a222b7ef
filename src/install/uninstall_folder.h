// Whether a plugin's folder may go to the recycle bin with the plugin, and moving it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hostcfg/plug_entry.h"

struct PluginFolderCheck {
    std::wstring folder;
    std::wstring reason;  // why the folder stays; "" when it may go
    uint64_t fileCount = 0;
    uint64_t totalBytes = 0;
    std::vector<std::wstring> iniNames;
};

// The folder of the entry's plugin and whether it holds nothing but this plugin.
PluginFolderCheck CheckPluginFolder(const PlugEntry& entry);
// Moves the folder to the recycle bin; the shell asks before it would delete for
// good. True when the folder went.
bool RecycleFolder(HWND owner, const std::wstring& folder);
