// Environment variables and registry strings.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// "" when unset, empty, or 520 characters or longer.
std::wstring EnvGet(const std::wstring& name);
// %NAME% expanded; the text unchanged when the system cannot expand it.
std::wstring EnvExpand(const std::wstring& text);
// The program's command line split as the C runtime splits it; [0] is the program.
std::vector<std::wstring> ProgramArgs();
// A REG_SZ or REG_EXPAND_SZ value as stored (never expanded); "" on any failure.
std::wstring RegGetString(HKEY root, const std::wstring& subkey, const std::wstring& value);
