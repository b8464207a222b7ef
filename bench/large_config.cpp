#include "large_config.h"

#include <windows.h>

#include "foundation/files.h"
#include "support/test_support.h"

namespace {

const wchar_t* const Exts[] = {L"TXT", L"LOG", L"JPG", L"PNG", L"MP3", L"PDF", L"DOC", L"XLS", L"INI", L"XML"};
// Plugins of each kind per unit of scale.
const int PluginsPerKind[] = {1000, 1000, 100, 100};

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

}  // namespace

std::wstring LargeConfigIni(int scale) {
    std::wstring ini = L"[Configuration]\r\nLanguageIni=wcmd_eng.lng\r\n[Lister]\r\nMultimedia=1\r\n";
    for (int kind = 0; kind < 2; ++kind) {
        ini += kind ? L"[ContentPlugins]\r\n" : L"[ListerPlugins]\r\n";
        for (int i = 0; i < PluginsPerKind[kind] * scale; ++i) {
            std::wstring n = std::to_wstring(i);
            ini += n + L"=%COMMANDER_PATH%\\plugins\\" + PluginRel(kind, i) +
                   L"\r\n" + n + L"_detect=" + Detect(i) + L"\r\n";
        }
    }
    ini += L"[PackerPlugins]\r\n";
    for (int i = 0; i < 3 * PluginsPerKind[2] * scale; ++i)
        ini += L"e" + std::to_wstring(i) + L"=" + std::to_wstring(279 + i % 5) + L",%COMMANDER_PATH%\\plugins\\" +
               PluginRel(2, i / 3) + L"\r\n";
    ini += L"[FileSystemPlugins]\r\n";
    for (int i = 0; i < PluginsPerKind[3] * scale; ++i)
        ini += L"Plugin " + std::to_wstring(i) + L"=%COMMANDER_PATH%\\plugins\\" + PluginRel(3, i) + L"\r\n";
    return ini;
}

void MakeLargeConfigPlugins(const std::wstring& dir, int scale, const std::array<std::string, 4>& bodies,
                            bool everyFolder) {
    for (int kind = 0; kind < 4; ++kind) {
        for (int i = 0; i < PluginsPerKind[kind] * scale; i += everyFolder ? 1 : 2) {
            std::wstring path = dir + L"\\plugins\\" + PluginRel(kind, i);
            MakeDirs(path.substr(0, path.rfind(L'\\')));
            if (i % 2 == 0) WriteFileBytes(path, bodies[kind]);
        }
    }
}

int LargeConfigPluginCount(int scale) {
    int count = 0;
    for (int perKind : PluginsPerKind) count += perKind * scale;
    return count;
}

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * (double)c.QuadPart / (double)f.QuadPart;
}
