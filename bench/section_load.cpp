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
#include "support/test_support.h"

namespace {

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * (double)c.QuadPart / (double)f.QuadPart;
}

const wchar_t* const Exts[] = {L"TXT", L"LOG", L"JPG", L"PNG", L"MP3", L"PDF", L"DOC", L"XLS", L"INI", L"XML"};

// Shapes seen in real configurations: lists, MULTIMEDIA lists, byte tests, FORCE.
std::wstring Detect(int i) {
    std::wstring list;
    for (int k = 0; k < 3 + i % 8; ++k) list += (k ? L" | EXT=\"" : L"EXT=\"") + std::wstring(Exts[(i + k) % 10]) + L"\"";
    switch (i % 4) {
        case 0: return L"\"" + list + L"\"";
        case 1: return L"\"MULTIMEDIA & (" + list + L")\"";
        case 2: return L"\"([0]=\"M\" & [1]=\"Z\") | " + list + L"\"";
        default: return L"FORCE | " + list;
    }
}

// As TC installs them: each plugin in a folder of its own under its kind's folder.
std::wstring PluginRel(int kind, int i) {
    static const wchar_t* const words[] = {L"wlx", L"wdx", L"wcx", L"wfx"};
    std::wstring name = L"p" + std::to_wstring(i);
    return std::wstring(words[kind]) + L"\\" + name + L"\\" + name + L"." + words[kind];
}

std::wstring BuildIni(const std::wstring& dir) {
    std::wstring ini = L"[Configuration]\r\nLanguageIni=wcmd_eng.lng\r\n[Lister]\r\nMultimedia=1\r\n";
    for (int kind = 0; kind < 2; ++kind) {
        ini += kind ? L"[ContentPlugins]\r\n" : L"[ListerPlugins]\r\n";
        for (int i = 0; i < 1000; ++i) {
            std::wstring n = std::to_wstring(i);
            ini += n + L"=%COMMANDER_PATH%\\plugins\\" + PluginRel(kind, i) +
                   L"\r\n" + n + L"_detect=" + Detect(i) + L"\r\n";
        }
    }
    ini += L"[PackerPlugins]\r\n";
    for (int i = 0; i < 300; ++i)
        ini += L"e" + std::to_wstring(i) + L"=" + std::to_wstring(279 + i % 5) + L",%COMMANDER_PATH%\\plugins\\" +
               PluginRel(2, i / 3) + L"\r\n";
    ini += L"[FileSystemPlugins]\r\n";
    for (int i = 0; i < 100; ++i)
        ini += L"Plugin " + std::to_wstring(i) + L"=%COMMANDER_PATH%\\plugins\\" + PluginRel(3, i) + L"\r\n";
    (void)dir;
    return ini;
}

// Half of the plugin files exist, as on a machine where some were removed.
void MakePluginFiles(const std::wstring& dir) {
    const int counts[] = {1000, 1000, 100, 100};
    for (int kind = 0; kind < 4; ++kind) {
        for (int i = 0; i < counts[kind]; i += 2) {
            std::wstring path = dir + L"\\plugins\\" + PluginRel(kind, i);
            MakeDirs(path.substr(0, path.rfind(L'\\')));
            WriteFileBytes(path, "x");
        }
    }
}

}  // namespace

int main() {
    std::wstring dir = FreshTempDir(L"bench_load");
    SetEnvironmentVariableW(L"COMMANDER_PATH", dir.c_str());
    MakePluginFiles(dir);
    std::wstring text = BuildIni(dir);
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
