// Finding TC and its wincmd.ini. These cases change the environment and the test
// prefix's registry or start the stand-in TC, so each suite runs as a process of its
// own and never beside the others (see CMakeLists.txt); the plain run skips them.
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

void WriteIni(const std::wstring& path, const std::string& text = "[Configuration]\r\n") {
    MakeDirs(PathDir(path));
    WriteFileBytes(path, text);
}

void ClearTcRegistry() {
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeW(hive, kTcKey);
}

void SetTcRegistry(HKEY hive, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ) {
    RegKeyHandle key;
    REQUIRE(RegCreateKeyExW(hive, kTcKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr) == 0);
    RegSetValueExW(key.Get(), name, 0, type, (const BYTE*)value.c_str(), DWORD((value.size() + 1) * 2));
}

// No TC variables, no INI in use, no TC values in the registry; the same afterwards.
struct CleanStart {
    ScopedEnv path{L"COMMANDER_PATH", nullptr}, ini{L"COMMANDER_INI", nullptr};
    std::wstring dir;
    explicit CleanStart(const wchar_t* name) : dir(FreshTempDir(name)) { Reset(); }
    ~CleanStart() {
        Reset();
        RemoveTree(dir);
    }
    void Reset() {
        StartedFromTc = false;
        WincmdIniPath.clear();
        ClearTcRegistry();
    }
};

std::wstring CommanderPath() { return EnvGet(L"COMMANDER_PATH"); }

// Both an INI without a folder and a relative registry value must not send the profile
// functions to the Windows folder: they are taken from the current folder.
struct InFolder {
    wchar_t old[MAX_PATH];
    explicit InFolder(const std::wstring& dir) {
        GetCurrentDirectoryW(MAX_PATH, old);
        SetCurrentDirectoryW(dir.c_str());
    }
    ~InFolder() { SetCurrentDirectoryW(old); }
};

}  // namespace

TEST_SUITE("tc-discovery" * doctest::skip()) {
    TEST_CASE("the TC folder follows the INI up to two levels, unless TC started us") {
        CleanStart clean(L"applytc");
        std::wstring tc = PathJoin(clean.dir, L"TC");
        WriteIni(PathJoin(tc, L"TOTALCMD64.EXE"));
        const std::pair<const wchar_t*, bool> cases[] = {
            {L"wincmd.ini", true}, {L"a\\wincmd.ini", true}, {L"a\\b\\wincmd.ini", true}, {L"a\\b\\c\\wincmd.ini", false}};
        for (auto [ini, moves] : cases) {
            CAPTURE(std::wstring(ini));
            ScopedEnv env(L"COMMANDER_PATH", L"C:\\Before");
            WincmdIniPath = PathJoin(tc, ini);
            ApplyTcFolder();
            CHECK(CommanderPath() == (moves ? tc : L"C:\\Before"));
        }
        StartedFromTc = true;
        ScopedEnv env(L"COMMANDER_PATH", L"C:\\Before");
        WincmdIniPath = PathJoin(tc, L"wincmd.ini");
        ApplyTcFolder();
        CHECK(CommanderPath() == L"C:\\Before");
        ScopedEnv trailing(L"COMMANDER_PATH", L"C:\\TC\\\\/");
        CHECK(TcFilePath(L"unrar.dll") == L"C:\\TC\\unrar.dll");
    }

    TEST_CASE("redirected sections and the raw section text") {
        CleanStart clean(L"redirect");
        std::wstring main = PathJoin(clean.dir, L"TC\\wincmd.ini"), other = PathJoin(clean.dir, L"TC\\plugins.ini");
        ScopedEnv alt(L"KV_ALT", clean.dir.c_str());
        WriteIni(main, "[Configuration]\r\nAlternateUserIni=%KV_ALT%\\alt.ini\r\n[A]\r\nRedirectSection= 0 \r\n"
                       "[B]\r\nRedirectSection=1\r\n[C]\r\nRedirectSection=..\\x.ini\r\n[D]\r\nRedirectSection=\\\\s\\x.ini\r\n"
                       "[ListerPlugins]\r\nRedirectSection=plugins.ini\r\n[Lister]\r\nMultiMedia=1\r\n");
        WriteIni(other, "[ListerPlugins]\r\n0=a.wlx\r\n0_detect=\"EXT=\"\"A\"\"\"\r\n");
        CHECK(EffectiveIniPath(L"A") == L"");
        CHECK(PluginSectionText(0) == L"");
        WincmdIniPath = main;
        CHECK(EffectiveIniPath(L"A") == main);
        CHECK(EffectiveIniPath(L"B") == PathJoin(clean.dir, L"alt.ini"));
        CHECK(EffectiveIniPath(L"C") == PathJoin(clean.dir, L"TC\\..\\x.ini"));
        CHECK(EffectiveIniPath(L"D") == L"\\\\s\\x.ini");
        CHECK(PluginSectionText(0) == L"[ListerPlugins] " + other + L"\n0=a.wlx\n0_detect=\"EXT=\"\"A\"\"\"\n[Lister] " +
                                          main + L"\nMultiMedia=1\n[ListerModes] " + main + L"\n");
        CHECK(PluginSectionText(4) == L"");

        InFolder in(PathDir(main));
        WriteIni(main, "[Configuration]\r\n[B]\r\nRedirectSection=1\r\n[C]\r\nRedirectSection=other.ini\r\n");
        WincmdIniPath = L"wincmd.ini";
        CHECK(EffectiveIniPath(L"B") == main);  // empty AlternateUserIni
        CHECK(EffectiveIniPath(L"C") == PathJoin(PathDir(main), L"other.ini"));
    }

    TEST_CASE("the wincmd.ini to use: TC's folder, the registry, then COMMANDER_PATH") {
        CleanStart clean(L"findini");
        std::wstring plain = PathJoin(clean.dir, L"plain"), tc = PathJoin(clean.dir, L"tc");
        ScopedEnv var(L"KV_DIR", clean.dir.c_str());
        WriteIni(PathJoin(plain, L"wincmd.ini"));
        WriteIni(PathJoin(tc, L"wincmd.ini"));
        WriteIni(PathJoin(tc, L"TOTALCMD.EXE"));
        WriteIni(PathJoin(tc, L"sub\\wincmd.ini"));
        WriteIni(PathJoin(clean.dir, L"reg.ini"));
        CHECK(FindWincmdIni() == L"");
        {
            ScopedEnv env(L"COMMANDER_PATH", plain.c_str());  // no TC there: still its INI, but after the registry
            CHECK(FindWincmdIni() == PathJoin(plain, L"wincmd.ini"));
            SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"%KV_DIR%\\reg.ini", REG_EXPAND_SZ);
            CHECK(FindWincmdIni() == PathJoin(clean.dir, L"reg.ini"));
        }
        ScopedEnv env(L"COMMANDER_PATH", tc.c_str());
        CHECK(FindWincmdIni() == PathJoin(tc, L"wincmd.ini"));  // TC's folder before the registry
        DeleteFileW(PathJoin(tc, L"wincmd.ini").c_str());
        SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"sub\\wincmd.ini");
        CHECK(FindWincmdIni() == PathJoin(tc, L"sub\\wincmd.ini"));
        SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"missing.ini");
        SetTcRegistry(HKEY_LOCAL_MACHINE, L"IniFileName", PathJoin(clean.dir, L"reg.ini"));
        CHECK(FindWincmdIni() == PathJoin(clean.dir, L"reg.ini"));

        ScopedEnv none(L"COMMANDER_PATH", nullptr);
        ClearTcRegistry();
        SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"wincmd.ini");
        InFolder in(plain);
        CHECK(FindWincmdIni() == PathJoin(plain, L"wincmd.ini"));
    }

    TEST_CASE("InstallDir of the registry becomes COMMANDER_PATH, user before machine") {
        CleanStart clean(L"installdir");
        ScopedEnv var(L"KV_TCROOT", L"C:\\Tools");
        SetTcRegistry(HKEY_LOCAL_MACHINE, L"InstallDir", L"C:\\Machine\\TC");
        DiscoverTc();
        CHECK((!StartedFromTc && CommanderPath() == L"C:\\Machine\\TC"));
        SetTcRegistry(HKEY_CURRENT_USER, L"InstallDir", L"%KV_TCROOT%\\TC", REG_EXPAND_SZ);
        DiscoverTc();
        CHECK(CommanderPath() == L"C:\\Tools\\TC");
        ClearTcRegistry();
        DiscoverTc();
        CHECK(CommanderPath() == L"C:\\Tools\\TC");  // nothing found: left as it was
    }
}

// Run with COMMANDER_INI and COMMANDER_PATH set, as TC starts its tools.
TEST_SUITE("tc-started" * doctest::skip()) {
    TEST_CASE("started from TC: TC's INI and folder stand") {
        std::wstring path = CommanderPath(), ini = EnvGet(L"COMMANDER_INI");
        REQUIRE(FileExists(ini));
        DiscoverTc();
        CHECK(StartedFromTc);
        CHECK(FindWincmdIni() == ini);
        WincmdIniPath = ini;
        ApplyTcFolder();
        CHECK(CommanderPath() == path);
    }
}

// Starts the stand-in TC; needs a display.
TEST_SUITE("tc-running" * doctest::skip()) {
    TEST_CASE("a running TC gives its folder and executable") {
        CleanStart clean(L"running");
        std::wstring exe = PathJoin(BuildPath(L"fakes\\tc"), sizeof(void*) == 8 ? L"TOTALCMD64.exe" : L"TOTALCMD.exe");
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring cmd = Quote(exe);
        REQUIRE(CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        KernelHandle process(pi.hProcess), thread(pi.hThread);
        HWND window = nullptr;
        for (int i = 0; i < 200 && !(window = FindWindowW(L"TTOTAL_CMD", nullptr)); ++i) Sleep(50);
        REQUIRE(window);
        CHECK(StrIEquals(ProcessImageOfWindow(window), exe));
        DiscoverTc();
        CHECK(StrIEquals(CommanderPath(), PathDir(exe)));
        CHECK(StrIEquals(TcExePath(), exe));
        PostMessageW(window, WM_CLOSE, 0, 0);
        CHECK(WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0);
    }
}
