// Finding TC and its wincmd.ini. These cases change the process environment, the
// registry of the test prefix or start the stand-in TC, so each suite runs as a
// process of its own (skipped in the plain run, see CMakeLists.txt).
#include <doctest/doctest.h>
#include <windows.h>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "hostcfg/tc_discovery.h"
#include "support/test_support.h"

namespace {

const wchar_t kTcKey[] = L"Software\\Ghisler\\Total Commander";

void MakeTcFolder(const std::wstring& folder) {
    MakeDirs(folder);
    WriteFileBytes(PathJoin(folder, L"TOTALCMD64.EXE"), "MZ");
}

void WriteIni(const std::wstring& path, const std::string& text = "[Configuration]\r\n") {
    MakeDirs(PathDir(path));
    WriteFileBytes(path, text);
}

// The TC values of both hives, removed before and after each case.
struct TcRegistry {
    TcRegistry() { Clear(); }
    ~TcRegistry() { Clear(); }
    static void Clear() {
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeW(hive, kTcKey);
    }
    static void Set(HKEY hive, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
        RegKeyHandle key;
        REQUIRE(RegCreateKeyExW(hive, kTcKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr) == 0);
        RegSetValueExW(key.Get(), name, 0, type, (const BYTE*)value.c_str(), DWORD((value.size() + 1) * 2));
    }
};

// A clean start: no TC variables, no INI in use.
struct CleanDiscovery {
    ScopedEnv path{L"COMMANDER_PATH", nullptr};
    ScopedEnv ini{L"COMMANDER_INI", nullptr};
    CleanDiscovery() {
        StartedFromTc = false;
        WincmdIniPath.clear();
    }
    ~CleanDiscovery() {
        StartedFromTc = false;
        WincmdIniPath.clear();
    }
};

std::wstring CommanderPath() { return EnvGet(L"COMMANDER_PATH"); }

}  // namespace

TEST_SUITE("tc-discovery" * doctest::skip()) {
    TEST_CASE("the TC folder follows the INI up to two levels") {
        CleanDiscovery clean;
        std::wstring dir = FreshTempDir(L"applytc");
        std::wstring tc = PathJoin(dir, L"TC");
        MakeTcFolder(tc);
        struct Case {
            const wchar_t* ini;
            bool moves;
        };
        for (const Case& c : {Case{L"wincmd.ini", true}, Case{L"a\\wincmd.ini", true}, Case{L"a\\b\\wincmd.ini", true},
                              Case{L"a\\b\\c\\wincmd.ini", false}}) {
            CAPTURE(std::wstring(c.ini));
            ScopedEnv env(L"COMMANDER_PATH", L"C:\\Before");
            WincmdIniPath = PathJoin(tc, c.ini);
            ApplyTcFolder();
            CHECK(CommanderPath() == (c.moves ? tc : L"C:\\Before"));
        }
        StartedFromTc = true;
        ScopedEnv env(L"COMMANDER_PATH", L"C:\\Before");
        WincmdIniPath = PathJoin(tc, L"wincmd.ini");
        ApplyTcFolder();
        CHECK(CommanderPath() == L"C:\\Before");
        RemoveTree(dir);
    }

    TEST_CASE("files in TC's folder") {
        CleanDiscovery clean;
        CHECK(TcFilePath(L"unrar.dll") == L"");
        ScopedEnv env(L"COMMANDER_PATH", L"C:\\TC\\\\/");
        CHECK(TcFilePath(L"unrar.dll") == L"C:\\TC\\unrar.dll");
        CHECK(TcExePath() == L"");
        CHECK_FALSE(IsTcFolder(L""));
    }

    TEST_CASE("redirected sections") {
        CleanDiscovery clean;
        std::wstring dir = FreshTempDir(L"redirect");
        std::wstring main = PathJoin(dir, L"TC\\wincmd.ini");
        ScopedEnv alt(L"KV_ALT", dir.c_str());
        WriteIni(main,
                 "[Configuration]\r\nAlternateUserIni=%KV_ALT%\\alt.ini\r\n"
                 "[A]\r\nRedirectSection= 0 \r\n[B]\r\nRedirectSection=1\r\n[C]\r\nRedirectSection=..\\other.ini\r\n"
                 "[D]\r\nRedirectSection=\\\\server\\share\\x.ini\r\n[E]\r\nRedirectSection=D:\\x.ini\r\n");
        CHECK(EffectiveIniPath(L"A") == L"");
        WincmdIniPath = main;
        CHECK(EffectiveIniPath(L"A") == main);
        CHECK(EffectiveIniPath(L"Missing") == main);
        CHECK(EffectiveIniPath(L"B") == PathJoin(dir, L"alt.ini"));
        CHECK(EffectiveIniPath(L"C") == PathJoin(dir, L"TC\\..\\other.ini"));
        CHECK(EffectiveIniPath(L"D") == L"\\\\server\\share\\x.ini");
        CHECK(EffectiveIniPath(L"E") == L"D:\\x.ini");
        WriteIni(main, "[B]\r\nRedirectSection=1\r\n");
        CHECK(EffectiveIniPath(L"B") == main);

        // An INI named without a folder: the redirect target must not land in the Windows folder.
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        SetCurrentDirectoryW(PathDir(main).c_str());
        WriteIni(main, "[C]\r\nRedirectSection=other.ini\r\n");
        WincmdIniPath = L"wincmd.ini";
        CHECK(EffectiveIniPath(L"C") == PathJoin(PathDir(main), L"other.ini"));
        SetCurrentDirectoryW(cwd);
        RemoveTree(dir);
    }

    TEST_CASE("plugin sections as raw text, taken from the file that holds them") {
        CleanDiscovery clean;
        CHECK(PluginSectionText(0) == L"");
        std::wstring dir = FreshTempDir(L"sectiontext");
        std::wstring main = PathJoin(dir, L"wincmd.ini"), other = PathJoin(dir, L"plugins.ini");
        WriteIni(main, "[ListerPlugins]\r\nRedirectSection=plugins.ini\r\n[Lister]\r\nMultiMedia=1\r\n"
                       "[PackerPlugins]\r\nzip=31,%COMMANDER_PATH%\\z.wcx\r\n");
        WriteIni(other, "[ListerPlugins]\r\n0=a.wlx\r\n0_detect=\"EXT=\"\"A\"\"\"\r\n");
        WincmdIniPath = main;
        CHECK(PluginSectionText(0) == L"[ListerPlugins] " + other + L"\n0=a.wlx\n0_detect=\"EXT=\"\"A\"\"\"\n" +
                                          L"[Lister] " + main + L"\nMultiMedia=1\n[ListerModes] " + main + L"\n");
        CHECK(PluginSectionText(2) == L"[PackerPlugins] " + main + L"\nzip=31,%COMMANDER_PATH%\\z.wcx\n");
        CHECK(PluginSectionText(4) == L"");
        CHECK(PluginSectionText(-1) == L"");
        RemoveTree(dir);
    }

    TEST_CASE("the INI beside COMMANDER_PATH, with and without TC in that folder") {
        CleanDiscovery clean;
        TcRegistry reg;
        std::wstring dir = FreshTempDir(L"findini");
        std::wstring plain = PathJoin(dir, L"plain");
        WriteIni(PathJoin(plain, L"wincmd.ini"));
        {
            ScopedEnv env(L"COMMANDER_PATH", plain.c_str());
            CHECK(FindWincmdIni() == PathJoin(plain, L"wincmd.ini"));
        }
        // With TC in the folder its INI wins over the registry's.
        std::wstring tc = PathJoin(dir, L"tc");
        MakeTcFolder(tc);
        WriteIni(PathJoin(tc, L"wincmd.ini"));
        WriteIni(PathJoin(dir, L"reg.ini"));
        reg.Set(HKEY_CURRENT_USER, L"IniFileName", PathJoin(dir, L"reg.ini"));
        {
            ScopedEnv env(L"COMMANDER_PATH", tc.c_str());
            CHECK(FindWincmdIni() == PathJoin(tc, L"wincmd.ini"));
        }
        {
            ScopedEnv env(L"COMMANDER_PATH", plain.c_str());
            CHECK(FindWincmdIni() == PathJoin(dir, L"reg.ini"));
        }
        CHECK(FindWincmdIni() == PathJoin(dir, L"reg.ini"));
        RemoveTree(dir);
    }

    TEST_CASE("IniFileName of the registry: expanded, relative to TC, falling through to the machine") {
        CleanDiscovery clean;
        TcRegistry reg;
        std::wstring dir = FreshTempDir(L"regini");
        ScopedEnv var(L"KV_GHISLER", dir.c_str());
        WriteIni(PathJoin(dir, L"GHISLER\\wincmd.ini"));
        reg.Set(HKEY_CURRENT_USER, L"IniFileName", L"%KV_GHISLER%\\GHISLER\\wincmd.ini", REG_EXPAND_SZ);
        CHECK(FindWincmdIni() == PathJoin(dir, L"GHISLER\\wincmd.ini"));

        std::wstring tc = PathJoin(dir, L"tc");
        WriteIni(PathJoin(tc, L"sub\\wincmd.ini"));
        reg.Set(HKEY_CURRENT_USER, L"IniFileName", L"sub\\wincmd.ini");
        {
            ScopedEnv env(L"COMMANDER_PATH", tc.c_str());
            CHECK(FindWincmdIni() == PathJoin(tc, L"sub\\wincmd.ini"));
        }

        reg.Set(HKEY_CURRENT_USER, L"IniFileName", PathJoin(dir, L"missing.ini"));
        reg.Set(HKEY_LOCAL_MACHINE, L"IniFileName", L"%KV_GHISLER%\\GHISLER\\wincmd.ini", REG_EXPAND_SZ);
        CHECK(FindWincmdIni() == PathJoin(dir, L"GHISLER\\wincmd.ini"));

        // A relative name without COMMANDER_PATH is taken from the current folder, as an absolute path.
        TcRegistry::Clear();
        reg.Set(HKEY_CURRENT_USER, L"IniFileName", L"wincmd.ini");
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        SetCurrentDirectoryW(PathJoin(dir, L"GHISLER").c_str());
        CHECK(FindWincmdIni() == PathJoin(dir, L"GHISLER\\wincmd.ini"));
        SetCurrentDirectoryW(cwd);
        TcRegistry::Clear();
        CHECK(FindWincmdIni() == L"");
        RemoveTree(dir);
    }

    TEST_CASE("InstallDir of the registry becomes COMMANDER_PATH") {
        CleanDiscovery clean;
        TcRegistry reg;
        ScopedEnv var(L"KV_TCROOT", L"C:\\Tools");
        reg.Set(HKEY_LOCAL_MACHINE, L"InstallDir", L"C:\\Machine\\TC");
        DiscoverTc();
        CHECK_FALSE(StartedFromTc);
        CHECK(CommanderPath() == L"C:\\Machine\\TC");
        reg.Set(HKEY_CURRENT_USER, L"InstallDir", L"%KV_TCROOT%\\TC", REG_EXPAND_SZ);
        DiscoverTc();
        CHECK(CommanderPath() == L"C:\\Tools\\TC");
        TcRegistry::Clear();
        ScopedEnv keep(L"COMMANDER_PATH", L"C:\\Kept");
        DiscoverTc();
        CHECK(CommanderPath() == L"C:\\Kept");
    }
}

// Run with COMMANDER_INI and COMMANDER_PATH set, as TC starts its tools.
TEST_SUITE("tc-started" * doctest::skip()) {
    TEST_CASE("started from TC: TC's INI and folder stand") {
        std::wstring path = EnvGet(L"COMMANDER_PATH"), ini = EnvGet(L"COMMANDER_INI");
        REQUIRE_FALSE(path.empty());
        REQUIRE(FileExists(ini));
        DiscoverTc();
        CHECK(StartedFromTc);
        CHECK(CommanderPath() == path);
        CHECK(FindWincmdIni() == ini);
        WincmdIniPath = ini;
        ApplyTcFolder();
        CHECK(CommanderPath() == path);
    }
}

// Starts the stand-in TC; needs a display.
TEST_SUITE("tc-running" * doctest::skip()) {
    TEST_CASE("a running TC gives its folder and executable") {
        CleanDiscovery clean;
        TcRegistry reg;
        std::wstring exe = PathJoin(BuildPath(L"fakes\\tc"), sizeof(void*) == 8 ? L"TOTALCMD64.exe" : L"TOTALCMD.exe");
        REQUIRE(FileExists(exe));
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring cmd = L"\"" + exe + L"\"";
        REQUIRE(CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        KernelHandle process(pi.hProcess), thread(pi.hThread);
        HWND window = nullptr;
        for (int i = 0; i < 200 && !window; ++i) {
            window = FindWindowW(L"TTOTAL_CMD", nullptr);
            if (!window) Sleep(50);
        }
        REQUIRE(window);
        CHECK(StrIEquals(ProcessImageOfWindow(window), exe));
        CHECK(ProcessImageOfWindow(nullptr) == L"");
        DiscoverTc();
        CHECK(StrIEquals(CommanderPath(), PathDir(exe)));
        CHECK(StrIEquals(TcExePath(), exe));
        PostMessageW(window, WM_CLOSE, 0, 0);
        CHECK(WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0);
    }
}
