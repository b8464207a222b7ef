#include "probe/background_probe.h"

#include <memory>

#include "foundation/settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/workers.h"

uint8_t BgProbeRunning = 0;
std::set<int> BgProbedKinds;

namespace {

std::unique_ptr<ProbeJob> BackgroundJob(HWND window, int kind) {
    auto job = std::make_unique<ProbeJob>();
    job->window = window;
    job->generation = ++BgProbeGen;
    job->kind = static_cast<uint32_t>(kind);
    job->background = 1;
    job->settings = CurrentChildSettings();
    for (const PlugEntry& entry : LoadPluginSection(kind).entries)
        if (entry.fileExists && !ProbeCache.count(KindKey(kind, entry.expandedPath)))
            job->items.push_back({0, entry.expandedPath});
    return job;
}

bool StartJob(std::unique_ptr<ProbeJob>& job) {
    HANDLE thread = CreateThread(nullptr, 0, ProbeThreadProc, job.get(), 0, nullptr);
    if (!thread) return false;
    job.release();
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
        std::unique_ptr<ProbeJob> job = BackgroundJob(host.ResultWindow(), kind);
        if (job->items.empty()) {
            host.UpdateInventory(kind);
            continue;
        }
        if (StartJob(job)) {
            BgProbeRunning = 1;
            return;
        }
    }
}
