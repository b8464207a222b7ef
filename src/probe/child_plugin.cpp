#include "probe/child_plugin.h"

#include <cstdio>
#include <cstring>

#include "foundation/text.h"
#include "probe/child_run.h"

PluginDefaultParams MakePluginDefaultParams(uint32_t versionLow, const std::string& iniName) {
    PluginDefaultParams params;
    std::memset(&params, 0, sizeof params);
    params.size = sizeof params;
    params.versionLow = versionLow;
    params.versionHigh = 2;
    std::strncpy(params.defaultIniName, iniName.c_str(), sizeof params.defaultIniName - 1);
    return params;
}

HMODULE ChildLoadPlugin(const std::wstring& dll) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ChildCrashFilter);
    SetDllDirectoryW(PathDir(dll).c_str());
    // Stays loaded until the child ends; the child never unloads it.
    HMODULE plugin = LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!plugin) {
        char line[40];
        std::snprintf(line, sizeof line, "LOADFAIL %lu\n", GetLastError());
        StdoutWrite(line, std::strlen(line));
    }
    return plugin;
}

std::string WideToAnsiLimited(const std::wstring& text, size_t maxBytes) {
    int size = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
    std::string ansi(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), size, ansi.data(), n, nullptr, nullptr);
    if (ansi.size() >= maxBytes) ansi.resize(maxBytes - 1);
    return ansi;
}
