// Benchmark, run by hand: the program's start until its window is free again, that
// is shown, its Lister tab filled, every answer of its plugins applied and a
// repaint of the list done, for the 2,400-line configuration whose present plugin
// files are the stand-in plugins (they answer at once), against the same on an
// empty wincmd.ini; and the longest time the list waited for a repaint meanwhile.
// The ten times larger configuration is started once.
//   bench_window_free   (KV_TEST_BINARY as for the tests; needs bin/Kestrovane.exe)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "large_config.h"
#include "launcher.h"
#include "support/test_support.h"

namespace {

// Under Wine the 24,000-line configuration's 5,000 present plugins are asked for minutes.
constexpr double GiveUpMs = 600000;
constexpr double SlowRepaintMs = 100;

struct FreeRun {
    double freeMs = -1;        // start until free again; -1 when not within the time
    double longestWaitMs = 0;  // the longest wait for a repaint of the list
    double longestAtMs = 0;    // when it ended, since the start
    int slowRepaints = 0;      // waits longer than SlowRepaintMs
};

bool Busy(const std::wstring& status) {
    static const std::wstring loading = Tr("st_loading");
    static const std::wstring probing = Tr("st_probing").substr(0, Tr("st_probing").find(L'{'));
    return status.empty() || status == loading || status.find(probing) != std::wstring::npos;
}

// From the moment the window shows, the list is invalidated again and again and
// each wait for its repaint is timed; the window is free once the answers are all
// applied and the repaint after that is done.
FreeRun StartUntilFree(const std::wstring& exe, const std::wstring& ini, int rows) {
    FreeRun result;
    Launched run;
    if (!Launch(run, exe, L"\"" + ini + L"\"")) return result;
    MainWindows w;
    if (WaitForMainWindows(run, w, GiveUpMs)) {
        while (NowMs() - run.startMs < GiveUpMs) {
            bool done = !Busy(WindowText(w.status)) && ListCount(w.list) >= rows;
            double wait = RepaintMs(w.list, GiveUpMs - (NowMs() - run.startMs));
            if (wait < 0) break;
            if (wait > result.longestWaitMs) result.longestWaitMs = wait, result.longestAtMs = NowMs() - run.startMs;
            result.slowRepaints += wait > SlowRepaintMs;
            if (done) {
                result.freeMs = NowMs() - run.startMs;
                break;
            }
        }
    }
    EndLaunched(run);
    return result;
}

FreeRun MedianRun(const std::wstring& exe, const std::wstring& ini, int rows, int rounds) {
    SetEnvironmentVariableW(L"COMMANDER_PATH", PathDir(ini).c_str());
    std::vector<double> free, longest, slow, at;
    for (int round = 0; round < rounds; ++round) {
        FreeRun r = StartUntilFree(exe, ini, rows);
        if (r.freeMs < 0) return r;
        free.push_back(r.freeMs);
        longest.push_back(r.longestWaitMs);
        slow.push_back(r.slowRepaints);
        at.push_back(r.longestAtMs);
    }
    return {Median(free), Median(longest), Median(at), (int)Median(slow)};
}

std::string FakePlugin(const wchar_t* name64, const wchar_t* name32) {
    return ReadFileBytes(BuildPath(std::wstring(L"fakes\\plugins\\") + (sizeof(void*) == 8 ? name64 : name32)));
}

std::wstring MakeTc(const std::wstring& dir, int scale) {
    MakeDirs(dir);
    MakeLargeConfigPlugins(dir, scale,
                           {FakePlugin(L"lister.wlx64", L"lister.wlx"), FakePlugin(L"content.wdx64", L"content.wdx"),
                            FakePlugin(L"packer.wcx64", L"packer.wcx"), FakePlugin(L"fs.wfx64", L"fs.wfx")});
    WriteUtf16File(dir + L"\\wincmd.ini", LargeConfigIni(scale));
    return dir + L"\\wincmd.ini";
}

void Row(const char* what, const FreeRun& r, double floor, int rounds) {
    if (r.freeMs < 0) {
        std::printf("  %-34s not free after %.0f s\n", what, GiveUpMs / 1000);
        return;
    }
    std::string ratio = floor > 0 ? std::to_string(r.freeMs / floor).substr(0, 5) + "x" : "";
    std::printf("  %-34s %9.1f ms (median of %d) %7s   longest wait for a repaint %7.1f ms (ending %.1f s after the start), %d over %.0f ms\n",
                what, r.freeMs, rounds, ratio.c_str(), r.longestWaitMs, r.longestAtMs / 1000, r.slowRepaints, SlowRepaintMs);
}

}  // namespace

int main() {
    std::wstring dir = FreshTempDir(L"bench_free");
    std::wstring exe = PrepareProgram(dir);
    if (exe.empty() || FakePlugin(L"lister.wlx64", L"lister.wlx").empty()) {
        std::fwprintf(stderr, L"no bin\\Kestrovane.exe or fake plugins: is KV_TEST_BINARY set and all built?\n");
        return 1;
    }
    std::wstring empty = dir + L"\\empty.ini";
    WriteUtf16File(empty, L"[Configuration]\r\n");
    std::wstring large = MakeTc(dir + L"\\tc1", 1), huge = MakeTc(dir + L"\\tc10", 10);
    const int rounds = 3;
    FreeRun bare = MedianRun(exe, empty, 0, rounds);
    FreeRun answered = MedianRun(exe, large, 1000, rounds);
    FreeRun answeredHuge = MedianRun(exe, huge, 10000, 1);
    std::printf("start until the window is free again (shown, filled, answers applied, repainted):\n");
    Row("empty wincmd.ini", bare, 0, rounds);
    Row("2,400 lines, 1,000 Lister entries", answered, bare.freeMs, rounds);
    Row("24,000 lines, 10,000 Lister entries", answeredHuge, bare.freeMs, 1);
    RemoveTree(dir);
    return 0;
}
