// What the /probe and /fields children share when they load a plugin the way TC does.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// TC's default-parameter block, handed to the plugin's ...SetDefaultParams.
struct PluginDefaultParams {
    int32_t size;
    uint32_t versionLow;
    uint32_t versionHigh;
    char defaultIniName[260];  // ANSI, NUL-terminated, zero-filled
};
static_assert(sizeof(PluginDefaultParams) == 272);

PluginDefaultParams MakePluginDefaultParams(uint32_t versionLow, const std::string& iniName);

// Guards the child against the plugin (no error boxes, crashes become "CRASH") and
// loads it with its own folder searched for the DLLs it needs. On failure writes
// "LOADFAIL <error>" and gives null.
HMODULE ChildLoadPlugin(const std::wstring& dll);

// Looks up an export as the given function type; null when it is missing.
template <typename Fn>
Fn PluginExport(HMODULE plugin, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(plugin, name)));
}

// The text in the ANSI code page, cut to at most maxBytes - 1 bytes.
std::string WideToAnsiLimited(const std::wstring& text, size_t maxBytes);
