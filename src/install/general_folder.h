// Folders that belong to more than one program: an uninstall never offers one to
// the recycle bin, and an update copies only the plugin's own files into one.
#pragma once
#include <string>

// TC's folder, or a folder named plugins, wlx, wdx, wcx or wfx, where plugins lie side by side.
bool IsSharedPluginFolder(const std::wstring& folder);
// A shared plugin folder, a drive root, and TC's folder, the folder of wincmd.ini and
// of its redirected files, the program's data folder, the user's profile and the
// system's standard folders, or a folder above one of them. Paths are compared in
// their full form, "." and ".." resolved.
bool IsGeneralFolder(const std::wstring& folder);
