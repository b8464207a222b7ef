// Benchmark, not a test: the content preview of one file with 20 Content plugins
// and a tab's probe of 20 Lister plugins, each asked in a child of its own, against
// 20 children that do nothing, started one after the other: the time it took
// before plugins were asked side by side. Run the 64-bit build: a 32-bit program
// asks plugins only through its twin.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench_support.h"
#include "hostcfg/tc_discovery.h"
#include "foundation/items_in_order.h"
#include "probe/workers.h"

namespace {

constexpr int Count = 20;
int received = 0, answered = 0;

LRESULT CALLBACK Collect(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == MsgFieldValues) {
        std::unique_ptr<FieldValuesMsg> m(reinterpret_cast<FieldValuesMsg*>(lParam));
        ++received;
        answered += m->result.state == PvAnsweredOk && m->index == (uint32_t)received - 1;
        return 0;
    }
    if (message == MsgProbeResult) {
        std::unique_ptr<ProbeMsg> m(reinterpret_cast<ProbeMsg*>(lParam));
        ++received;
        answered += m->result.status == ProbeOk && m->row == received - 1;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Runs the worker to its end while this thread takes its messages.
double RunWorker(LPTHREAD_START_ROUTINE proc, void* job) {
    received = answered = 0;
    LARGE_INTEGER start = Now();
    HANDLE thread = CreateThread(nullptr, 0, proc, job, 0, nullptr);
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    CloseHandle(thread);
    return Seconds(start);
}

bool CopyPlugins(const std::wstring& source, const std::wstring& folder, const wchar_t* ext) {
    for (int i = 0; i < Count; ++i) {
        std::wstring copy = PathJoin(folder, L"p" + std::to_wstring(i) + ext);
        if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) return false;
    }
    return true;
}

std::wstring Copy(const std::wstring& folder, int i, const wchar_t* ext) {
    return PathJoin(folder, L"p" + std::to_wstring(i) + ext);
}

void Report(const char* what, double seconds, double floor) {
    std::printf("%-44s %6.2f s  %5.1f ms each  %4.2f x the trivial starts  (%d of %d in order)\n", what, seconds,
                seconds * 1000 / Count, seconds / floor, answered, Count);
}

}  // namespace

int main() {
    if (int code; RunAsChild(code)) return code;

    std::wstring plugins = FakePluginsDir();
    std::wstring folder = BenchFolder(L"kv_bench_preview");
    if (!CopyPlugins(PathJoin(plugins, L"content.wdx64"), folder, L".wdx64") ||
        !CopyPlugins(PathJoin(plugins, L"lister.wlx64"), folder, L".wlx64")) {
        std::printf("cannot copy the fake plugins from %ls\n", plugins.c_str());
        return 1;
    }
    WincmdIniPath = PathJoin(folder, L"wincmd.ini");
    std::wstring file = PathJoin(folder, L"photo.jpg");
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Collect));

    LARGE_INTEGER start = Now();
    for (int i = 0; i < Count; ++i) {
        ChildRun run;
        RunChildCapture(run, {L"--trivial"}, L"", 10000, L"");
    }
    double floor = Seconds(start);
    std::printf("%-44s %6.2f s  %5.1f ms each\n", "20 trivial children, one after the other", floor,
                floor * 1000 / Count);

    start = Now();
    answered = 0;
    for (int i = 0; i < Count; ++i) {
        PvPlugin row, result;
        row.path = Copy(folder, i, L".wdx");
        RunFieldsChild(result, row, file, CurrentChildSettings());
        answered += result.state == PvAnsweredOk;
    }
    Report("20 Content plugins asked one after the other", Seconds(start), floor);

    auto fields = new FieldsJob{window, ++PvFieldsGen, CurrentChildSettings(), file, {}};
    for (int i = 0; i < Count; ++i) {
        PvPlugin row;
        row.path = Copy(folder, i, L".wdx");
        fields->items.push_back({(uint32_t)i, row});
    }
    Report("preview of one file, 20 Content plugins", RunWorker(PreviewFieldsThread, fields), floor);

    auto probe = new ProbeJob{window, ++ProbeGen, CurrentChildSettings(), 0, 0, {}};
    for (int i = 0; i < Count; ++i) probe->items.push_back({(uint32_t)i, Copy(folder, i, L".wlx")});
    Report("tab probe, 20 Lister plugins", RunWorker(ProbeThreadProc, probe), floor);
    std::printf("at most %u children at once\n\n", ItemsInOrderWidth());
    return 0;
}
