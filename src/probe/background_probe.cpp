#include "probe/background_probe.h"

#include <memory>

#include "foundation/settings.h"
#include "foundation/worker_threads.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/workers.h"

uint8_t BgProbeRunning = 0;
std::set<int> BgProbedKinds;

DWORD WINAPI BackgroundProbeProc(LPVOID param) {
    std::unique_ptr<BackgroundStart> start(static_cast<BackgroundStart*>(param));
    ProbeJob& job = *start->job;
    const int kind = static_cast<int>(job.kind);
    for (const PlugEntry& entry : ReadPluginSection(start->ini, kind).entries)
        if (entry.fileExists && !start->cached.count(KindKey(kind, entry.expandedPath)))
            job.items.push_back({0, entry.expandedPath});
    return ProbeThreadProc(start->job.release());
}

namespace {

std::unique_ptr<BackgroundStart> BackgroundJob(HWND window, int kind) {
    auto start = std::make_unique<BackgroundStart>();
    start->ini = WincmdIniPath;
    start->job = std::make_unique<ProbeJob>();
    ProbeJob& job = *start->job;
    job.window = window;
    job.generation = ++BgProbeGen;
    job.kind = static_cast<uint32_t>(kind);
    job.background = 1;
    job.settings = CurrentChildSettings();
    const std::wstring prefix = KindKey(kind, L"");
    for (auto it = ProbeCache.lower_bound(prefix); it != ProbeCache.end() && it->first.starts_with(prefix); ++it)
        start->cached.insert(start->cached.end(), it->first);
    return start;
}

bool StartJob(std::unique_ptr<BackgroundStart>& start) {
    HANDLE thread = StartWorkerThread(BackgroundProbeProc, start.get());
    if (!thread) return false;
    start.release();
    CloseHandle(thread);
    return true;
}

}  // namespace

void StartBackgroundProbe(IProbeHost& host) {
    if (BgProbeRunning || WincmdIniPath.empty()) return;
    if (GetSetting(L"Probe", L"Background") != L"1" && !host.FindingsShown()) return;
    const int shownTab = host.ShownTab();
    for (int kind = 0; kind < 4; ++kind) {
        if (BgProbedKinds.count(kind) || kind == shownTab) continue;
        std::unique_ptr<BackgroundStart> start = BackgroundJob(host.ResultWindow(), kind);
        if (StartJob(start)) {
            BgProbeRunning = 1;
            return;
        }
    }
}

void EndBackgroundJob(int kind) {
    BgProbeRunning = 0;
    BgProbedKinds.insert(kind);
}
