// Finding TC and its wincmd.ini. These cases change the environment and the test
// prefix's registry or start the stand-in TC, so each suite runs as a process of its
// own and never beside the others (see CMakeLists.txt); the plain run skips them.
#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "hostcfg_test_util.h"

namespace {

const wchar_t kTcKey[] = L"Software\\Ghisler\\Total Commander";

std::wstring Put(const std::wstring& path, const std::string& text = "[Configuration]\r\n") {
    MakeDirs(PathDir(path));
    WriteFileBytes(path, text);
    return path;
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

}  // namespace

TEST_SUITE("tc-discovery" * doctest::skip()) {
    TEST_CASE("the TC folder follows the INI up to two levels, unless TC started us") {
        CleanStart clean(L"applytc");
        std::wstring tc = PathDir(Put(PathJoin(clean.dir, L"TC\\TOTALCMD64.EXE")));
        for (auto [ini, moves] : {std::pair{L"wincmd.ini", true}, {L"a\\b\\wincmd.ini", true}, {L"a\\b\\c\\wincmd.ini", false}}) {
            CAPTURE(std::wstring(ini));
            ScopedEnv env(L"COMMANDER_PATH", L"C:\\Before");
            WincmdIniPath = PathJoin(tc, ini);
            StartedFromTc = true;
            ApplyTcFolder();
            CHECK(CommanderPath() == L"C:\\Before");
            StartedFromTc = false;
            ApplyTcFolder();
            CHECK(CommanderPath() == (moves ? tc : L"C:\\Before"));
        }
        ScopedEnv trailing(L"COMMANDER_PATH", L"C:\\TC\\\\/");
        CHECK(TcFilePath(L"unrar.dll") == L"C:\\TC\\unrar.dll");
    }

    TEST_CASE("the TC folder is remembered without trailing separators, once per folder") {
        std::wstring tc = BuildPath(L"fakes\\tc");
        for (const std::wstring& given : {tc + L"\\/", StrUpper(tc), DataFolder()}) {
            ScopedEnv env(L"COMMANDER_PATH", given.c_str());
            RememberTcDir();
            CHECK(IniGetString(SettingsIniPath(), L"Remember", L"TcDir") == tc);
        }
        CHECK(RememberedTcDir() == tc);
        WritePrivateProfileStringW(L"Remember", L"TcDir", DataFolder().c_str(), SettingsIniPath().c_str());
        CHECK(RememberedTcDir() == L"");
    }

    TEST_CASE("the file that holds each section, and the raw section text") {
        CleanStart clean(L"redirect");
        std::wstring main = PathJoin(clean.dir, L"TC\\wincmd.ini"), other = PathJoin(clean.dir, L"TC\\plugins.ini");
        ScopedEnv alt(L"KV_ALT", clean.dir.c_str());
        Put(main, "[Configuration]\r\nAlternateUserIni=%KV_ALT%\\alt.ini\r\n[A]\r\nRedirectSection= 0 \r\n"
                  "[B]\r\nRedirectSection=1\r\n[C]\r\nRedirectSection=..\\x.ini\r\n[D]\r\nRedirectSection=\\\\s\\x.ini\r\n"
                  "[ListerPlugins]\r\nRedirectSection=plugins.ini\r\n[Lister]\r\nMultiMedia=1\r\n");
        Put(other, "[ListerPlugins]\r\n0=a.wlx\r\n0_detect=\"EXT=\"\"A\"\"\"\r\n");
        CHECK((EffectiveIniPath(L"A") == L"" && PluginSectionText(0) == L""));
        WincmdIniPath = main;
        CHECK((EffectiveIniPath(L"A") == main && EffectiveIniPath(L"B") == PathJoin(clean.dir, L"alt.ini")));
        CHECK((EffectiveIniPath(L"C") == PathJoin(clean.dir, L"TC\\..\\x.ini") && EffectiveIniPath(L"D") == L"\\\\s\\x.ini"));
        CHECK(PluginSectionText(0) == L"[ListerPlugins] " + other + L"\n0=a.wlx\n0_detect=\"EXT=\"\"A\"\"\"\n[Lister] " + main +
                                          L"\nMultiMedia=1\n[ListerModes] " + main + L"\n");
        CHECK(PluginSectionText(4) == L"");
        Put(main, "[Configuration]\r\n[B]\r\nRedirectSection=1\r\n");
        CHECK(EffectiveIniPath(L"B") == main);  // empty AlternateUserIni
    }

    TEST_CASE("the wincmd.ini to use: TC's folder, the registry, then COMMANDER_PATH") {
        CleanStart clean(L"findini");
        std::wstring plain = PathJoin(clean.dir, L"plain"), tc = PathJoin(clean.dir, L"tc");
        std::wstring reg = Put(PathJoin(clean.dir, L"reg.ini"));
        ScopedEnv var(L"KV_DIR", clean.dir.c_str());
        for (const wchar_t* f : {L"plain\\wincmd.ini", L"tc\\wincmd.ini", L"tc\\TOTALCMD.EXE", L"tc\\sub\\wincmd.ini"})
            Put(PathJoin(clean.dir, f));
        CHECK(FindWincmdIni() == L"");
        {
            ScopedEnv env(L"COMMANDER_PATH", plain.c_str());  // no TC there: still its INI, but after the registry
            CHECK(FindWincmdIni() == PathJoin(plain, L"wincmd.ini"));
            SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"%KV_DIR%\\reg.ini", REG_EXPAND_SZ);
            CHECK(FindWincmdIni() == reg);
        }
        ScopedEnv env(L"COMMANDER_PATH", tc.c_str());
        CHECK(FindWincmdIni() == PathJoin(tc, L"wincmd.ini"));  // TC's folder before the registry
        DeleteFileW(PathJoin(tc, L"wincmd.ini").c_str());
        SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"sub\\wincmd.ini");
        CHECK(FindWincmdIni() == PathJoin(tc, L"sub\\wincmd.ini"));
        SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"missing.ini");
        SetTcRegistry(HKEY_LOCAL_MACHINE, L"IniFileName", reg);
        CHECK(FindWincmdIni() == reg);

        // Neither a relative registry value nor a relative WincmdIniPath may send the
        // profile functions to the Windows folder: both are read from the current folder.
        ScopedEnv none(L"COMMANDER_PATH", nullptr);
        ClearTcRegistry();
        SetTcRegistry(HKEY_CURRENT_USER, L"IniFileName", L"wincmd.ini");
        wchar_t old[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, old);
        SetCurrentDirectoryW(plain.c_str());
        CHECK(FindWincmdIni() == PathJoin(plain, L"wincmd.ini"));
        Put(PathJoin(plain, L"wincmd.ini"), "[C]\r\nRedirectSection=other.ini\r\n");
        WincmdIniPath = L"wincmd.ini";
        CHECK(EffectiveIniPath(L"C") == PathJoin(plain, L"other.ini"));
        SetCurrentDirectoryW(old);
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
        CHECK((StartedFromTc && FindWincmdIni() == ini));
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
        DiscoverTc();
        CHECK((StrIEquals(ProcessImageOfWindow(window), exe) && StrIEquals(CommanderPath(), PathDir(exe))));
        CHECK(StrIEquals(TcExePath(), exe));
        PostMessageW(window, WM_CLOSE, 0, 0);
        CHECK(WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0);
    }
}
