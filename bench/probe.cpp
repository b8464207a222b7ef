// Benchmark, not a test: probes 50 copies of the fake Lister plugin one after the
// other and compares that with starting and ending 50 children that do nothing,
// the floor of asking every plugin in a child process of its own. Run the 64-bit
// build: a 32-bit program asks plugins only through its twin.
#include <windows.h>

#include <cstdio>
#include <string>

#include "foundation/files.h"
#include "foundation/text.h"
#include "probe/child_modes.h"
#include "probe/probe_plugin.h"

namespace {

constexpr int Count = 50;

double Seconds(LARGE_INTEGER from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

void Report(const char* what, double seconds) {
    std::printf("%-34s %6.2f s  %7.1f per second  %6.1f ms each\n", what, seconds, Count / seconds,
                seconds * 1000 / Count);
}

}  // namespace

int main() {
    int code = 0;
    if (RunChildMode(code)) return code;
    if (std::wstring(GetCommandLineW()).find(L"--trivial") != std::wstring::npos) return 0;

    std::wstring plugins = PathJoin(AppDir(), L"..\\fakes\\plugins");
    std::wstring source = PathJoin(plugins, sizeof(void*) == 8 ? L"lister.wlx64" : L"lister.wlx");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = PathJoin(temp, L"kv_bench_probe");
    MakeDirs(folder);
    for (int i = 0; i < Count; ++i) {
        std::wstring copy = PathJoin(folder, L"p" + std::to_wstring(i) + L".wlx64");
        if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) {
            std::printf("cannot copy the fake plugin from %ls\n", source.c_str());
            return 1;
        }
    }

    const ChildSettings settings = CurrentChildSettings();
    LARGE_INTEGER start = Now();
    int answered = 0;
    for (int i = 0; i < Count; ++i) {
        ProbeResult result;
        ProbePlugin(result, PathJoin(folder, L"p" + std::to_wstring(i) + L".wlx"), 0, false, settings);
        answered += result.status == ProbeOk;
    }
    Report("probe 50 plugins", Seconds(start));

    start = Now();
    for (int i = 0; i < Count; ++i) {
        ChildRun run;
        RunChildCapture(run, L"--trivial", L"", 10000, L"");
    }
    Report("start and end 50 trivial children", Seconds(start));
    std::printf("%d of %d probes answered\n", answered, Count);
    return answered == Count ? 0 : 1;
}
