#include "analyses/plugin_caches.h"

#include "analyses/findings.h"
#include "analyses/inventory.h"
#include "probe/background_probe.h"
#include "probe_record/probe_result.h"
#include "probe/workers.h"

std::map<std::wstring, PluginDetails> XcolCache;

namespace {
FieldUsage UsageIndex;
bool UsageBuilt = false;

// The generations the probe and details counters had at the last reset.
uint32_t ProbeGenAtReset = 0;
uint32_t BgProbeGenAtReset = 0;
uint32_t XcolGenAtReset = 0;
uint32_t Resets = 0;

bool StartedAfter(uint32_t generation, uint32_t mark) { return static_cast<int32_t>(generation - mark) > 0; }
}  // namespace

const FieldUsage& CurrentFieldUsage() {
    if (!UsageBuilt) UsageIndex = BuildFieldUsage();
    UsageBuilt = true;
    return UsageIndex;
}

void ResetPluginCaches() {
    ProbeCache.clear();
    UsageBuilt = false;
    InvalidateDiskScan();
    DropExtraColumnTexts();
    BgProbeGenAtReset = ++BgProbeGen;
    ProbeGenAtReset = ProbeGen.load();
    BgProbeRunning = 0;
    BgProbedKinds.clear();
    LoadInventory();
    ++Resets;
}

uint32_t PluginCacheResets() { return Resets; }

bool ProbeResultMayEnterCache(const ProbeMsg& msg) {
    return StartedAfter(msg.generation, msg.row < 0 ? BgProbeGenAtReset : ProbeGenAtReset);
}

bool DetailsMayEnterCache(const DetailsMsg& msg) { return StartedAfter(msg.generation, XcolGenAtReset); }

void DropExtraColumnTexts() {
    XcolCache.clear();
    XcolGenAtReset = ++XcolGen;
}
