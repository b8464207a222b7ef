// Benchmark, run by hand: the Lister check of one file against 300 Lister
// entries, and of 1,000 files in turn, against the time of reading the files'
// facts.   bench_lister_check   (KV_TEST_SOURCE and KV_TEST_BINARY as for the tests)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "dsx/corpus.h"
#include "analyses/lister_check.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// 300 entries with the corpus's detect strings; every tenth plugin file is missing.
std::wstring WriteSetup(const std::wstring& dir) {
    std::vector<std::wstring> detects;
    for (const CorpusDetect& d : CorpusDetectStrings())
        if (!d.text.empty()) detects.push_back(d.text);
    if (detects.empty()) return L"";
    std::string plugin = ReadFileBytes(BuildPath(sizeof(void*) == 8 ? L"fakes\\plugins\\lister.wlx64"
                                                                    : L"fakes\\plugins\\lister.wlx"));
    std::wstring ini = L"[Lister]\r\nMediaAdditionalTypes=*.webm *.ogg\r\n[ListerModes]\r\n0exts=*.md\r\n"
                       L"0fields=p7.wlx p9.wlx\r\n[ListerPlugins]\r\n";
    CreateDirectoryW((dir + L"\\p").c_str(), nullptr);
    for (int i = 0; i < 300; ++i) {
        std::wstring name = L"p" + std::to_wstring(i) + L".wlx";
        if (i % 10 != 3) WriteFileBytes(dir + L"\\p\\" + name + (sizeof(void*) == 8 ? L"64" : L""), plugin);
        ini += std::to_wstring(i) + L"=" + dir + L"\\p\\" + name + L"\r\n";
        ini += std::to_wstring(i) + L"_detect=\"" + detects[(size_t)i % detects.size()] + L"\"\r\n";
    }
    std::wstring path = dir + L"\\wincmd.ini";
    WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(ini));
    return path;
}

std::vector<std::wstring> WriteFiles(const std::wstring& dir) {
    static const wchar_t* exts[] = {L"txt", L"mp3", L"jpg", L"pdf", L"md", L"exe", L"webm", L"zip", L"png", L""};
    CreateDirectoryW((dir + L"\\f").c_str(), nullptr);
    std::vector<std::wstring> paths;
    std::string body(20000, 'x');
    for (int i = 0; i < 1000; ++i) {
        body[0] = (char)i;
        std::wstring ext = exts[i % 10];
        std::wstring path = dir + L"\\f\\f" + std::to_wstring(i) + (ext.empty() ? L"" : L"." + ext);
        WriteFileBytes(path, body.substr(0, 100 + (size_t)(i * 37) % body.size()));
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

int wmain() {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    std::wstring dir = FreshTempDir(L"kv_bench_lv");
    WincmdIniPath = WriteSetup(dir);
    if (WincmdIniPath.empty()) {
        std::fwprintf(stderr, L"no detect strings: is KV_TEST_SOURCE set?\n");
        return 1;
    }
    std::vector<std::wstring> files = WriteFiles(dir);
    bool tc32 = sizeof(void*) == 4;

    auto t0 = Clock::now();
    PluginSection lister = LoadPluginSection(KindLister);
    double loadMs = MsSince(t0);

    // The machine is shared with other work: each figure is the best mean of ten
    // batches, taken in turn, which is the one least disturbed.
    const int batches = 10, reps = 20;
    FileFacts one;
    double factsOneMs = 1e9, checkOneMs = 1e9;
    size_t rows = 0;
    for (int batch = 0; batch < batches; ++batch) {
        t0 = Clock::now();
        for (int i = 0; i < reps; ++i) one = DetFileFacts(files[0]);
        factsOneMs = std::min(factsOneMs, MsSince(t0) / reps);
        t0 = Clock::now();
        for (int i = 0; i < reps; ++i) rows = LvComputeRows(lister, one, tc32).size();
        checkOneMs = std::min(checkOneMs, MsSince(t0) / reps);
    }

    double factsMs = 0, checkMs = 0, checkNoDiskMs = 0;
    size_t f3 = 0;
    for (const std::wstring& file : files) {
        t0 = Clock::now();
        FileFacts facts = DetFileFacts(file);
        factsMs += MsSince(t0);
        t0 = Clock::now();
        for (const LvRow& r : LvComputeRows(lister, facts, tc32)) f3 += r.state == LvF3;
        checkMs += MsSince(t0);
        // A 32-bit TC skips the look for 64-bit plugin files: the check without disk access.
        t0 = Clock::now();
        LvComputeRows(lister, facts, true);
        checkNoDiskMs += MsSince(t0);
    }

    std::wprintf(L"entries: %zu, rows per check: %zu\n", lister.entries.size(), rows);
    std::wprintf(L"reading the Lister section: %.2f ms\n", loadMs);
    std::wprintf(L"one file: facts %.3f ms, check against 300 entries %.3f ms (%.2fx the facts)\n", factsOneMs,
                 checkOneMs, checkOneMs / factsOneMs);
    std::wprintf(L"1000 files: facts %.1f ms (%.3f ms each), checks %.1f ms (%.3f ms each), F3 rows: %zu\n",
                 factsMs, factsMs / files.size(), checkMs, checkMs / files.size(), f3);
    std::wprintf(L"1000 files without the look for 64-bit plugin files: %.1f ms (%.3f ms each)\n", checkNoDiskMs,
                 checkNoDiskMs / files.size());
    RemoveTree(dir);
    return 0;
}
