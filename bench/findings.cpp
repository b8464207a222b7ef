// Benchmark, run by hand: BuildFindings over the large configuration with half
// of its plugin files present and every present plugin answered, against the
// time of loading its four sections; and the inventory's update after a probe job.
//   tools/wine-run <prefix> build/x64/bench/bench_findings.exe
#include "analyses/findings.h"

#include <windows.h>

#include <cstdio>

#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "large_config.h"
#include "support/test_support.h"

namespace {

// Every present plugin answered: Lister and Content with their own detect string
// and one more extension, Packer with other capabilities.
void AnswerProbes() {
    for (int kind = 0; kind < 4; ++kind) {
        for (const PlugEntry& e : LoadPluginSection(kind).entries) {
            if (!e.fileExists) continue;
            ProbeResult r;
            r.status = ProbeOk;
            r.version = L"1.0";
            r.kindMask = 1 << kind;
            r.answer = kind <= KindContent ? e.detectText + L" | EXT=\"NEW\"" : kind == KindPacker ? L"283" : e.name;
            ProbeCache[KindKey(kind, e.expandedPath)] = r;
        }
    }
}

// What the window waits for at the end of each probe job, the section and the
// plugin files read on a worker before: the first record of a kind, an update
// that changes nothing, and one after the file was read back.
void TimeInventory(double sectionLoadMs) {
    DeleteFileW(InventoryIniPath().c_str());
    LoadInventory();
    double r0 = NowMs();
    const InventoryRead lister = ReadForInventory(WincmdIniPath, KindLister, false);
    double r1 = NowMs();
    const InventoryRead content = ReadForInventory(WincmdIniPath, KindContent, false);
    // Each update takes its read as the window does: moved in and freed there.
    auto timed = [](const InventoryRead& read) {
        InventoryRead copy = read;
        double t = NowMs();
        UpdateInventory(std::move(copy));
        return NowMs() - t;
    };
    double first = timed(lister), unchanged = timed(lister);
    double t0 = NowMs();
    LoadInventory();
    double readBack = NowMs() - t0;
    double contentFirst = timed(content);
    printf("  inventory, Lister read (worker)     %8.1f ms\n", r1 - r0);
    printf("  inventory, Lister recorded first    %8.1f ms (%.1fx a section load)\n", first, first / sectionLoadMs);
    printf("  inventory, Lister unchanged         %8.1f ms\n", unchanged);
    printf("  inventory read back                 %8.1f ms\n", readBack);
    printf("  inventory, Content recorded first   %8.1f ms\n", contentFirst);
    DeleteFileW(InventoryIniPath().c_str());
}

}  // namespace

int main() {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    std::wstring dir = FreshTempDir(L"bench_findings");
    SetEnvironmentVariableW(L"COMMANDER_PATH", dir.c_str());
    MakeLargeConfigPlugins(dir);
    WincmdIniPath = dir + L"\\wincmd.ini";
    WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(LargeConfigIni()));
    AnswerProbes();
    const int rounds = 5;
    double loadMs = 0, warmMs = 0, coldMs = 0;
    size_t entries = 0;
    for (int r = 0; r < rounds; ++r) {
        double t0 = NowMs();
        entries = 0;
        TcIniFiles files;
        for (int kind = 0; kind < 4; ++kind) entries += LoadPluginSection(files, kind).entries.size();
        double t1 = NowMs();
        InvalidateDiskScan();
        BuildFindings();
        double t2 = NowMs();
        BuildFindings();
        double t3 = NowMs();
        loadMs += t1 - t0;
        coldMs += t2 - t1;
        warmMs += t3 - t2;
    }
    int counts[4] = {};
    for (const Finding& f : Findings) ++counts[f.severity];
    printf("%zu entries, %zu findings (errors %d, differences %d, notes %d), mean of %d rounds\n", entries,
           Findings.size(), counts[1], counts[2], counts[3], rounds);
    printf("  load of the four sections           %8.1f ms\n", loadMs / rounds);
    printf("  BuildFindings, disk scanned         %8.1f ms (%.1fx the load)\n", coldMs / rounds, coldMs / loadMs);
    printf("  BuildFindings, disk scan reused     %8.1f ms (%.1fx the load)\n", warmMs / rounds, warmMs / loadMs);
    TimeInventory(loadMs / rounds / 4);
    WincmdIniPath.clear();
    RemoveTree(dir);
    return 0;
}
