// Benchmark, not a test: probes 50 copies of the fake Lister plugin one after the
// other and compares that with starting and ending 50 children that do nothing,
// the floor of asking every plugin in a child process of its own. Run the 64-bit
// build: a 32-bit program asks plugins only through its twin.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_support.h"

#include "probe/probe_plugin.h"

namespace {

constexpr int Count = 50;

void Report(const char* what, double seconds) {
    std::printf("%-34s %6.2f s  %7.1f per second  %6.1f ms each\n", what, seconds, Count / seconds,
                seconds * 1000 / Count);
}

}  // namespace

int main() {
    if (int code; RunAsChild(code)) return code;

    std::wstring source = PathJoin(FakePluginsDir(), sizeof(void*) == 8 ? L"lister.wlx64" : L"lister.wlx");
    std::wstring folder = BenchFolder(L"kv_bench_probe");
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
        RunChildCapture(run, {L"--trivial"}, L"", 10000, L"");
    }
    Report("start and end 50 trivial children", Seconds(start));
    std::printf("%d of %d probes answered\n", answered, Count);
    return answered == Count ? 0 : 1;
}
