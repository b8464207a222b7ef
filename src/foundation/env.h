// Environment variables and registry strings.
#pragma once
#include <windows.h>

#include <string>

// "" when unset, empty, or 520 characters or longer.
std::wstring EnvGet(const std::wstring& name);
// %NAME% expanded; the text unchanged when the system cannot expand it.
std::wstring EnvExpand(const std::wstring& text);
// A REG_SZ or REG_EXPAND_SZ value as stored (never expanded); "" on any failure.
std::wstring RegGetString(HKEY root, const std::wstring& subkey, const std::wstring& value);
