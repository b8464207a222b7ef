// How the program shows a plugin path, as the setting PathDisplay of View asks.
#pragma once
#include <string>

// The path with TC's folder written as "%COMMANDER_PATH%" when it lies inside it,
// as TC's own entries name their plugins; any other path unchanged.
std::wstring WithCommanderPathVar(const std::wstring& path);
// "ini" the path as written, "resolved" expanded, else ("vars") expanded with
// %COMMANDER_PATH% and the other variables put back; compact never gives the
// raw INI form.
std::wstring PathForDisplay(const std::wstring& path, bool compact);
