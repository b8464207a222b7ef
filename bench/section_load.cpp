// Times the load of the four plugin sections of a large wincmd.ini against its
// floor: reading the file's bytes and asking each distinct plugin file's
// attributes once. Not a test: run by hand, e.g.
//   tools/wine-run <prefix> build/x64/bench/bench_section_load.exe
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "dsx/detect_spec.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "hostcfg/file_presence.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "large_config.h"
#include "support/test_support.h"

namespace {

// Every distinct plugin file the sections name, as the load expands them, or only
// those that exist; by folded path, in the letter case of the first entry
// (Wine finds a path in another letter case only by listing its folders).
std::map<std::wstring, std::wstring> PluginFiles(bool presentOnly) {
    std::map<std::wstring, std::wstring> files;
    for (int kind = 0; kind < 4; ++kind)
        for (const PlugEntry& e : LoadPluginSection(kind).entries)
            if (e.fileExists || !presentOnly) files.emplace(FoldCase(e.expandedPath), e.expandedPath);
    return files;
}

double AskAttributesMs(const std::map<std::wstring, std::wstring>& files) {
    double t0 = NowMs();
    for (const auto& [key, file] : files) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
    }
    return NowMs() - t0;
}

}  // namespace

int main() {
    std::wstring dir = FreshTempDir(L"bench_load");
    SetEnvironmentVariableW(L"COMMANDER_PATH", dir.c_str());
    MakeLargeConfigPlugins(dir);
    std::wstring text = LargeConfigIni();
    const int rounds = 10;
    for (bool utf16 : {false, true}) {
        WincmdIniPath = dir + (utf16 ? L"\\wincmd16.ini" : L"\\wincmd.ini");
        WriteFileBytes(WincmdIniPath, utf16 ? "\xFF\xFE" + Utf16Bytes(text) : std::string(text.begin(), text.end()));
        const auto files = PluginFiles(false), present = PluginFiles(true);
        double bytesMs = 0, attributesMs = 0, presentMs = 0, kindMs[4] = {0, 0, 0, 0}, fullMs = 0;
        size_t bytes = 0, entries[4] = {0, 0, 0, 0};
        for (int r = 0; r < rounds; ++r) {
            double t0 = NowMs();
            bytes = ReadFileBytes(WincmdIniPath).size();
            double t1 = NowMs();
            bytesMs += t1 - t0;
            attributesMs += AskAttributesMs(files);
            presentMs += AskAttributesMs(present) * double(files.size()) / double(present.size());
            t1 = NowMs();
            TcIniFiles files;  // the four sections from one read of the file
            for (int kind = 0; kind < 4; ++kind) {
                double s = NowMs();
                entries[kind] = LoadPluginSection(files, kind).entries.size();
                kindMs[kind] += NowMs() - s;
            }
            fullMs += NowMs() - t1;
        }
        printf("%s wincmd.ini, %zu bytes, mean of %d rounds\n", utf16 ? "UTF-16" : "ANSI", bytes, rounds);
        // Under Wine a file in a missing folder costs a scan of the parent, so the
        // floor is also given at the cost of asking for a file that exists.
        const double floorMs = bytesMs + attributesMs, presentFloorMs = bytesMs + presentMs;
        printf("  read bytes          %8.3f ms\n", bytesMs / rounds);
        printf("  ask %zu files       %8.3f ms; as many at the cost of a present file %.3f ms\n", files.size(),
               attributesMs / rounds, presentMs / rounds);
        printf("  floor               %8.3f ms (the bytes and one attribute query per plugin file); %.3f ms\n",
               floorMs / rounds, presentFloorMs / rounds);
        const char* names[] = {"Lister", "Content", "Packer", "File system"};
        for (int kind = 0; kind < 4; ++kind)
            printf("  %-11s %4zu rows %8.3f ms\n", names[kind], entries[kind], kindMs[kind] / rounds);
        printf("  full load           %8.3f ms (%.2fx the floor, %.2fx at present files' cost, %.0fx the bytes)\n",
               fullMs / rounds, fullMs / floorMs, fullMs / presentFloorMs, fullMs / (bytesMs > 0 ? bytesMs : 1));
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
