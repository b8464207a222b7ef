// The clock and the start of the benchmarks that run children.
#pragma once
#include <windows.h>

#include <string>

#include "foundation/files.h"
#include "foundation/text.h"
#include "probe/child_modes.h"

inline LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

inline double Seconds(LARGE_INTEGER from) {
    LARGE_INTEGER now = Now(), frequency;
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The benchmark program is its own child: a child mode, or with --trivial a child
// that ends at once, the floor of every child start.
inline bool RunAsChild(int& exitCode) {
    if (RunChildMode(exitCode)) return true;
    exitCode = 0;
    return std::wstring(GetCommandLineW()).find(L"--trivial") != std::wstring::npos;
}

// The fake plugins of the build, and a folder of the benchmark's own under %TEMP%.
inline std::wstring FakePluginsDir() { return PathJoin(AppDir(), L"..\\fakes\\plugins"); }
inline std::wstring BenchFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = PathJoin(temp, name);
    MakeDirs(folder);
    return folder;
}
