#include "hostcfg/tc_discovery.h"

#include <utility>

#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/text.h"

std::wstring WincmdIniPath;
bool StartedFromTc = false;

namespace {

constexpr DWORD kImagePathChars = 520;
constexpr DWORD kRememberChars = 520;
const wchar_t kTcRegKey[] = L"Software\\Ghisler\\Total Commander";
const wchar_t* const kTcExeNames[] = {L"TOTALCMD64.EXE", L"TOTALCMD.EXE"};
const HKEY kTcHives[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

bool IsAbsolutePath(const std::wstring& path) {
    return (path.size() >= 2 && path[1] == L':') || path.rfind(L"\\\\", 0) == 0;
}

// A relative INI path would send the profile functions to the Windows folder.
std::wstring Absolute(const std::wstring& path) { return IsAbsolutePath(path) ? path : FullPath(path); }

std::wstring RunningTcImage() { return ProcessImageOfWindow(FindWindowW(TcWindowClass, nullptr)); }

void SetCommanderPath(const std::wstring& folder) { SetEnvironmentVariableW(L"COMMANDER_PATH", folder.c_str()); }

std::wstring IniBeside(const std::wstring& folder) {
    std::wstring ini = Absolute(PathJoin(folder, L"wincmd.ini"));
    return FileExists(ini) ? ini : L"";
}

std::wstring InstallDirFromRegistry() {
    for (HKEY hive : kTcHives) {
        std::wstring folder = EnvExpand(RegGetString(hive, kTcRegKey, L"InstallDir"));
        if (!folder.empty()) return folder;
    }
    return L"";
}

std::wstring IniFromRegistry() {
    for (HKEY hive : kTcHives) {
        std::wstring value = RegGetString(hive, kTcRegKey, L"IniFileName");
        if (value.empty()) continue;
        value = EnvExpand(value);
        if (!IsAbsolutePath(value)) value = PathJoin(EnvGet(L"COMMANDER_PATH"), value);
        value = Absolute(value);
        if (FileExists(value)) return value;
    }
    return L"";
}

}  // namespace

bool TcWindowOpen() { return FindWindowW(TcWindowClass, nullptr) != nullptr; }

std::wstring ProcessImageOfWindow(HWND window) {
    if (!window) return L"";
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return L"";
    wchar_t path[kImagePathChars];
    DWORD size = kImagePathChars;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size)) return L"";
    return std::wstring(path, size);
}

bool IsTcFolder(const std::wstring& folder) {
    if (folder.empty()) return false;
    for (const wchar_t* exe : kTcExeNames)
        if (FileExists(PathJoin(folder, exe))) return true;
    return false;
}

void DiscoverTc() {
    StartedFromTc = !EnvGet(L"COMMANDER_INI").empty() && !EnvGet(L"COMMANDER_PATH").empty();
    if (StartedFromTc) return;
    std::wstring folder = PathDir(RunningTcImage());
    if (folder.empty()) folder = InstallDirFromRegistry();
    if (folder.empty()) folder = RememberedTcDir();
    if (!folder.empty()) SetCommanderPath(folder);
}

std::wstring FindWincmdIni() {
    if (StartedFromTc) {
        std::wstring ini = Absolute(EnvGet(L"COMMANDER_INI"));
        if (FileExists(ini)) return ini;
    }
    std::wstring tc = EnvGet(L"COMMANDER_PATH");
    if (IsTcFolder(tc)) {
        std::wstring ini = IniBeside(tc);
        if (!ini.empty()) return ini;
    }
    std::wstring ini = IniFromRegistry();
    if (!ini.empty()) return ini;
    return tc.empty() ? L"" : IniBeside(tc);
}

void ApplyTcFolder() {
    if (StartedFromTc) return;
    std::wstring folder = PathDir(WincmdIniPath);
    for (int level = 0; level < 3 && !folder.empty(); ++level) {
        if (IsTcFolder(folder)) {
            SetCommanderPath(folder);
            return;
        }
        std::wstring parent = PathDir(folder);
        if (parent == folder) return;
        folder = parent;
    }
}

std::wstring TcExePath() {
    std::wstring running = RunningTcImage();
    if (!running.empty()) return running;
    std::wstring tc = EnvGet(L"COMMANDER_PATH");
    if (tc.empty()) return L"";
    for (const wchar_t* exe : kTcExeNames) {
        std::wstring path = PathJoin(tc, exe);
        if (FileExists(path)) return path;
    }
    return L"";
}

std::wstring TcFilePath(const std::wstring& name) {
    std::wstring folder = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    return folder.empty() ? L"" : PathJoin(folder, name);
}

std::wstring RedirectTarget(const std::wstring& ini, const std::wstring& redirect,
                           const std::function<std::wstring()>& alternateUserIni) {
    std::wstring value = StrTrim(redirect);
    if (value.empty() || value == L"0") return ini;
    if (value == L"1") value = alternateUserIni();
    value = EnvExpand(StrTrim(value));
    if (value.empty()) return ini;
    if (IsAbsolutePath(value)) return value;
    return PathJoin(PathDir(ini), value);
}

std::wstring EffectiveIniPath(const std::wstring& section) { return EffectiveIniPath(WincmdIniPath, section); }

std::wstring EffectiveIniPath(const std::wstring& wincmdIni, const std::wstring& section) {
    if (wincmdIni.empty()) return L"";
    std::wstring ini = Absolute(wincmdIni);
    return RedirectTarget(ini, IniGetString(ini, section, L"RedirectSection"),
                          [&] { return IniGetString(ini, L"Configuration", L"AlternateUserIni"); });
}

std::wstring CharSectionCannotHold(const std::wstring& section, const std::wstring& text) {
    return CharIniCannotHold(EffectiveIniPath(section), text);
}

const IniSections& TcIniFile(TcIniFiles& files, const std::wstring& path) {
    std::wstring full = FullPath(path);
    auto [it, isNew] = files.byPath.try_emplace(FoldCase(full));
    if (isNew) it->second = ReadIniFile(full);
    return it->second;
}

TcIniFiles::TcIniFiles() : ini(WincmdIniPath) {}

TcIniFiles::TcIniFiles(std::wstring wincmdIni) : ini(std::move(wincmdIni)) {}

std::wstring EffectiveIniPath(TcIniFiles& files, const std::wstring& section) {
    if (files.ini.empty()) return L"";
    std::wstring ini = Absolute(files.ini);
    const IniSections& main = TcIniFile(files, ini);
    return RedirectTarget(ini, IniFindValue(main, section, L"RedirectSection"),
                          [&] { return IniFindValue(main, L"Configuration", L"AlternateUserIni"); });
}

std::wstring RememberedTcDir() {
    wchar_t buf[kRememberChars] = L"";
    DWORD n = GetPrivateProfileStringW(L"Remember", L"TcDir", L"", buf, kRememberChars, SettingsIniPath().c_str());
    std::wstring folder(buf, n);
    return IsTcFolder(folder) ? folder : L"";
}

bool RememberTcDir() {
    std::wstring folder = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    if (!IsTcFolder(folder) || StrIEquals(folder, RememberedTcDir())) return true;
    return WriteSettingsIniValue(L"Remember", L"TcDir", folder.c_str());
}

std::optional<std::wstring> TcLanguageIni() {
    if (WincmdIniPath.empty()) return std::nullopt;
    return IniGetString(WincmdIniPath, L"Configuration", L"LanguageIni");
}
