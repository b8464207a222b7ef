// The /probe child: loads one plugin as TC would and prints its one answer.
#pragma once
#include <string>

// Child side of /probe: letter "L", "C", "P" or "F". Ends the process itself after
// an answer; returns the exit code when the plugin could not be loaded.
int RunProbe(const std::wstring& dll, const std::wstring& letter);
