// How the program shows a plugin path, as the setting PathDisplay of View asks.
#pragma once
#include <string>

// "ini" the path as written, "resolved" expanded, else ("vars") expanded with
// %COMMANDER_PATH% and the other variables put back; compact never gives the
// raw INI form.
std::wstring PathForDisplay(const std::wstring& path, bool compact);
