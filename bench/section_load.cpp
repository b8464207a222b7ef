// Times the load of a large wincmd.ini against reading its bytes.
// Not a test: run by hand, e.g. tools/wine-run <prefix> build/x64/bench/bench_section_load.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "dsx/detect_spec.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "hostcfg/file_presence.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "large_config.h"
#include "support/test_support.h"

int main() {
    std::wstring dir = FreshTempDir(L"bench_load");
    SetEnvironmentVariableW(L"COMMANDER_PATH", dir.c_str());
    MakeLargeConfigPlugins(dir);
    std::wstring text = LargeConfigIni();
    const int rounds = 10;
    for (bool utf16 : {false, true}) {
        WincmdIniPath = dir + (utf16 ? L"\\wincmd16.ini" : L"\\wincmd.ini");
        WriteFileBytes(WincmdIniPath, utf16 ? "\xFF\xFE" + Utf16Bytes(text) : std::string(text.begin(), text.end()));
        double bytesMs = 0, kindMs[4] = {0, 0, 0, 0}, fullMs = 0;
        size_t bytes = 0, entries[4] = {0, 0, 0, 0};
        for (int r = 0; r < rounds; ++r) {
            double t0 = NowMs();
            bytes = ReadFileBytes(WincmdIniPath).size();
            double t1 = NowMs();
            bytesMs += t1 - t0;
            for (int kind = 0; kind < 4; ++kind) {
                double s = NowMs();
                entries[kind] = LoadPluginSection(kind).entries.size();
                kindMs[kind] += NowMs() - s;
            }
            fullMs += NowMs() - t1;
        }
        printf("%s wincmd.ini, %zu bytes, mean of %d rounds\n", utf16 ? "UTF-16" : "ANSI", bytes, rounds);
        printf("  read bytes          %8.3f ms\n", bytesMs / rounds);
        const char* names[] = {"Lister", "Content", "Packer", "File system"};
        for (int kind = 0; kind < 4; ++kind)
            printf("  %-11s %4zu rows %8.3f ms\n", names[kind], entries[kind], kindMs[kind] / rounds);
        printf("  full load           %8.3f ms (%.0fx reading the bytes)\n", fullMs / rounds,
               fullMs / (bytesMs > 0 ? bytesMs : 1));
        // Where the Lister section's time goes.
        double t0 = NowMs();
        IniPairs lines = ReadIniSection(WincmdIniPath, L"ListerPlugins");
        double t1 = NowMs();
        size_t found = 0;
        FilePresence presence;
        for (const auto& [key, value] : lines)
            if (key.find(L'_') == std::wstring::npos) found += SeePluginFiles(presence, EnvExpand(value)).bits != 0;
        double t2 = NowMs();
        for (const auto& [key, value] : lines)
            if (key.find(L'_') != std::wstring::npos) CompileDetect(value, true);
        double t3 = NowMs();
        printf("  Lister parts: section read %.3f ms, file tests %.3f ms (%zu found), detect strings %.3f ms\n",
               t1 - t0, t2 - t1, found, t3 - t2);
    }
    WincmdIniPath.clear();
    RemoveTree(dir);
    return 0;
}
