// How plugin paths are written and shown: relative to TC's folder where TC's own
// entries would be, or as the setting PathDisplay of View asks.
#pragma once
#include <string>

// The path with TC's folder written as "%COMMANDER_PATH%" when it lies inside it,
// as TC's own entries name their plugins; any other path unchanged.
std::wstring WithCommanderPathVar(const std::wstring& path);
// A configured plugin path as the setting PathDisplay of View asks ("ini", "vars",
// "resolved"); compact never gives the raw INI form.
std::wstring PathForDisplay(const std::wstring& path, bool compact);
