// Times a save of a large configuration against its floor: as many profile
// writes of wincmd.ini as keys must change, in a loop with nothing else. Two
// saves of 1,000 Lister entries: the first entry deleted, and a kept entry
// activated at the front. Also counts the save's writes against that minimum and
// the longest time the save went without reporting its progress, during which the
// window could not repaint. Not a test: run by hand, e.g.
//   tools/wine-run <prefix> build/x64/bench/bench_save.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "editing/fake_editing_host.h"
#include "editing/save_changes.h"
#include "editing/save_io.h"
#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "large_config.h"
#include "support/test_support.h"

namespace {

// The system's file operations, counting the profile writes of one file and
// never closing a TC.
struct CountingIo : SaveIo {
    std::wstring file;
    int writes = 0;
    std::set<std::wstring> keys;  // folded, of the writes
    bool WriteProfile(const std::wstring& f, const std::wstring& section, const wchar_t* key,
                      const wchar_t* value) override {
        if (StrIEquals(f, file) && key) {
            ++writes;
            keys.insert(FoldCase(key));
        }
        return SystemSaveIo().WriteProfile(f, section, key, value);
    }
    std::optional<IniPairs> ReadSection(const std::wstring& f, const std::wstring& section) override {
        return SystemSaveIo().ReadSection(f, section);
    }
    std::wstring Backup(const std::wstring& f, const std::wstring& suffix) override {
        return SystemSaveIo().Backup(f, suffix);
    }
    bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) override {
        return SystemSaveIo().ReplaceWithCopy(source, target);
    }
    std::wstring WriteKept(const KeptEntry& entry) override { return SystemSaveIo().WriteKept(entry); }
    bool TcRunning() override { return false; }
    bool CloseTc(std::vector<TcRun>&) override { return false; }
    void StartTc(const TcRun&) override {}
};

// The window: the moments the save reported its progress, and the last report.
struct TimedHost : FakeHost<> {
    std::vector<double> moments;
    int done = 0, total = 0;
    TimedHost() {
        progress = [this](int d, int t) {
            moments.push_back(NowMs());
            done = d;
            total = t;
        };
    }
};

// The main window shows the progress and paints at the first report 50 ms or more
// after its last showing: the longest time it goes without painting.
double LongestWithoutPaint(double start, const std::vector<double>& moments, double end) {
    constexpr double Step = 50;
    double longest = 0, shown = start;
    for (double t : moments)
        if (t - shown >= Step) {
            longest = std::max(longest, t - shown);
            shown = t;
        }
    return std::max(longest, end - shown);
}

// The writes that take the section from before to after, one per key that differs.
std::vector<std::pair<std::wstring, std::optional<std::wstring>>> NeededWrites(const IniPairs& before,
                                                                               const IniPairs& after) {
    std::map<std::wstring, std::wstring> was, now;
    for (const auto& [k, v] : before) was[FoldCase(k)] = StrTrim(v);
    for (const auto& [k, v] : after) now[FoldCase(k)] = StrTrim(v);
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> writes;
    for (const auto& [k, v] : now)
        if (!was.count(k) || was[k] != v) writes.push_back({k, v});
    for (const auto& [k, v] : was)
        if (!now.count(k)) writes.push_back({k, std::nullopt});
    return writes;
}

struct Figures {
    double saveMs = 0, floorMs = 0, gapMs = 0, paintGapMs = 0, floorGapMs = 0;
    size_t gapAt = 0;
    int writes = 0, distinctKeys = 0, needed = 0, reports = 0, lastDone = 0, lastTotal = 0;
    bool sameFile = false;
};

// The longest time between two moments, counting the start and the end; where
// it lies: the moments before it (the count of them: after the last).
double LongestGap(double start, const std::vector<double>& moments, double end, size_t* where = nullptr) {
    double longest = 0, last = start;
    size_t at = 0;
    for (size_t i = 0; i <= moments.size(); ++i) {
        double t = i < moments.size() ? moments[i] : end;
        if (t - last > longest) {
            longest = t - last;
            at = i;
        }
        last = t;
    }
    if (where) *where = at;
    return longest;
}

Figures Measure(const std::string& iniBytes) {
    Figures f;
    const wchar_t* section = PlugSectionName(KindLister);
    IniPairs before = ReadIniSection(WincmdIniPath, section);
    CountingIo io;
    io.file = WincmdIniPath;
    TimedHost host;
    SaveRequest request;
    request.confirmed = 1;
    double t0 = NowMs();
    SaveChanges(host, nullptr, request, io);
    double t1 = NowMs();
    f.saveMs = t1 - t0;
    f.gapMs = LongestGap(t0, host.moments, t1, &f.gapAt);
    f.paintGapMs = LongestWithoutPaint(t0, host.moments, t1);
    f.reports = (int)host.moments.size();
    f.lastDone = host.done;
    f.lastTotal = host.total;
    f.writes = io.writes;
    f.distinctKeys = (int)io.keys.size();
    if (host.shown.size() != 1 || host.shown[0].find(L"\n") != std::wstring::npos)
        printf("  the save said: %ls\n", host.shown.empty() ? L"nothing" : host.shown.back().c_str());
    IniPairs after = ReadIniSection(WincmdIniPath, section);
    std::string saved = ReadFileBytes(WincmdIniPath);
    auto writes = NeededWrites(before, after);
    f.needed = (int)writes.size();
    WriteFileBytes(WincmdIniPath, iniBytes);
    double last = NowMs();
    std::vector<double> moments;
    t0 = last;
    for (const auto& [key, value] : writes) {
        WritePrivateProfileStringW(section, key.c_str(), value ? value->c_str() : nullptr, WincmdIniPath.c_str());
        moments.push_back(NowMs());
    }
    t1 = NowMs();
    f.floorMs = t1 - t0;
    f.floorGapMs = LongestGap(t0, moments, t1);
    f.sameFile = ReadIniSection(WincmdIniPath, section) == after;
    return f;
}

void Print(const char* what, const Figures& f) {
    printf("%s\n", what);
    printf("  save            %9.1f ms, %d profile writes of wincmd.ini (%d keys)%s\n", f.saveMs, f.writes,
           f.distinctKeys, f.writes > f.distinctKeys ? ": some key written twice" : "");
    printf("  floor           %9.1f ms, %d writes, one per key that changes%s\n", f.floorMs, f.needed,
           f.sameFile ? "" : " (NOT the save's result)");
    printf("  ratio           %9.2f\n", f.saveMs / f.floorMs);
    std::string where = f.gapAt == 0 ? "before the first report"
                        : f.gapAt == (size_t)f.reports ? "after the last report"
                                                       : "after report " + std::to_string(f.gapAt);
    printf("  longest gap     %9.1f ms without a progress report, %s (floor: %.1f ms between two writes)\n",
           f.gapMs, where.c_str(), f.floorGapMs);
    printf("  window paints   at least every %.1f ms; %d reports, the last \"%d of %d\"\n", f.paintGapMs, f.reports,
           f.lastDone, f.lastTotal);
}

void ClearPendingAndKept() {
    DiscardPending();
    WritePrivateProfileStringW(L"Disabled", nullptr, nullptr, SettingsIniPath().c_str());
}

void Reset(const std::string& iniBytes) {
    WriteFileBytes(WincmdIniPath, iniBytes);
    ClearPendingAndKept();
}

}  // namespace

int main() {
    std::wstring dir = FreshTempDir(L"bench_save");
    SetEnvironmentVariableW(L"COMMANDER_PATH", dir.c_str());
    WincmdIniPath = dir + L"\\wincmd.ini";
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    std::wstring text = LargeConfigIni();
    const std::string iniBytes(text.begin(), text.end());
    printf("wincmd.ini of %zu bytes, 1,000 Lister entries\n", iniBytes.size());

    Reset(iniBytes);
    for (const PlugEntry& e : LoadPluginSection(KindLister).entries)
        if (e.number == 0) PendingEditFor(e).deleted = 1;
    Print("the first entry deleted", Measure(iniBytes));

    Reset(iniBytes);
    KeptEntry kept;
    kept.kind = KindLister;
    kept.path = L"%COMMANDER_PATH%\\plugins\\wlx\\kept\\kept.wlx";
    kept.name = L"kept";
    kept.number = 0;
    kept.hasDetect = 1;
    kept.detect = L"EXT=\"KEPT\"";
    kept.stamp = L"2026-01-01 00:00";
    if (std::optional<std::wstring> key = WriteDisabledEntry(kept)) PendingReactivations.insert(*key);
    Print("a kept entry activated at the front", Measure(iniBytes));

    ClearPendingAndKept();
    RemoveTree(dir);
    return 0;
}
