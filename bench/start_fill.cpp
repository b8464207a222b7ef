// Benchmark, run by hand: the program's start until the Lister tab of a wincmd.ini
// with 2,400 lines (1,000 Lister, 1,000 Content, 300 Packer lines, 100 File
// system), of one ten times as large and of one with 24,000 Lister entries is
// filled and the window waits for input, against its start on an empty wincmd.ini,
// in one run. Half of the plugin files exist and are no DLLs, so no plugin is asked;
// the folders of the others are gone, or, in the last row, still there (the missing
// folders' share of the time: under Wine each name a folder lacks costs a scan of it).
//   bench_start_fill   (KV_TEST_BINARY as for the tests; needs bin/Kestrovane.exe)
#include <windows.h>

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

constexpr double GiveUpMs = 180000;

// Milliseconds from the start until the list shows its rows and the window takes
// input again; -1 when that did not happen in time.
double StartUntilFilled(const std::wstring& exe, const std::wstring& ini, int rows) {
    Launched run;
    if (!Launch(run, exe, L"\"" + ini + L"\"")) return -1;
    double ms = -1;
    MainWindows w;
    const std::wstring loading = Tr("st_loading");
    if (WaitForMainWindows(run, w, GiveUpMs)) {
        while (NowMs() - run.startMs < GiveUpMs) {
            std::wstring status = WindowText(w.status);
            if (!status.empty() && status != loading && ListCount(w.list) >= rows) break;
            Sleep(1);
        }
        if (Answers(w.main) && NowMs() - run.startMs < GiveUpMs) ms = NowMs() - run.startMs;
    }
    EndLaunched(run);
    return ms;
}

// A TC folder of its own for a configuration of the given scale, with its plugins.
std::wstring MakeTc(const std::wstring& dir, int scale, bool everyFolder = false) {
    MakeDirs(dir);
    MakeLargeConfigPlugins(dir, scale, {"x", "x", "x", "x"}, everyFolder);
    WriteUtf16File(dir + L"\\wincmd.ini", LargeConfigIni(scale));
    return dir + L"\\wincmd.ini";
}

double MedianStart(const std::wstring& exe, const std::wstring& ini, int rows, int rounds) {
    SetEnvironmentVariableW(L"COMMANDER_PATH", PathDir(ini).c_str());
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        double ms = StartUntilFilled(exe, ini, rows);
        if (ms < 0) return -1;
        times.push_back(ms);
    }
    return Median(times);
}

void Row(const char* what, double ms, double floor, int rounds) {
    if (ms < 0) {
        std::printf("  %-44s not filled after %.0f s\n", what, GiveUpMs / 1000);
        return;
    }
    std::printf("  %-44s %9.1f ms (median of %d)  %5.2fx\n", what, ms, rounds, ms / floor);
}

}  // namespace

int main() {
    std::wstring dir = FreshTempDir(L"bench_start");
    std::wstring exe = PrepareProgram(dir);
    if (exe.empty()) {
        std::fwprintf(stderr, L"no bin\\Kestrovane.exe: is KV_TEST_BINARY set and the program built?\n");
        return 1;
    }
    std::wstring empty = dir + L"\\empty.ini";
    WriteUtf16File(empty, L"[Configuration]\r\n");
    std::wstring large = MakeTc(dir + L"\\tc1", 1), huge = MakeTc(dir + L"\\tc10", 10);
    std::wstring lister = MakeTc(dir + L"\\tc24", 24), listerFolders = MakeTc(dir + L"\\tc24f", 24, true);
    const int rounds = 5, hugeRounds = 3;
    double bare = MedianStart(exe, empty, 0, rounds);
    double filled = MedianStart(exe, large, 1000, rounds);
    double filledHuge = MedianStart(exe, huge, 10000, hugeRounds);
    double filledLister = MedianStart(exe, lister, 24000, hugeRounds);
    double filledFolders = MedianStart(exe, listerFolders, 24000, hugeRounds);
    std::printf("start until the Lister tab is filled and the window takes input:\n");
    std::printf("  %-44s %9.1f ms (median of %d)\n", "empty wincmd.ini", bare, rounds);
    Row("2,400 lines, 1,000 Lister entries", filled, bare, rounds);
    Row("24,000 lines, 10,000 Lister entries", filledHuge, bare, hugeRounds);
    Row("24,000 Lister entries", filledLister, bare, hugeRounds);
    Row("24,000 Lister entries, every folder there", filledFolders, bare, hugeRounds);
    RemoveTree(dir);
    return 0;
}
