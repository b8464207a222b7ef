#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"
#include "probe/child_modes.h"
#include "shell/start_args.h"

namespace {

std::vector<std::wstring> CommandLineArgs() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return {};
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args;
}

void ChooseWincmdIni(const std::wstring& iniArg) {
    if (!iniArg.empty()) {
        // A bare file name would otherwise be looked up by the profile functions in the Windows folder.
        std::wstring ini = FullPath(EnvExpand(iniArg));
        if (FileExists(ini)) {
            WincmdIniPath = ini;
            ApplyTcFolder();
            return;
        }
    }
    WincmdIniPath = FindWincmdIni();
    if (EnvGet(L"COMMANDER_PATH").empty() && !WincmdIniPath.empty()) ApplyTcFolder();
}

void WriteStartBanner() {
    DebugLog(L"=== Kestrovane 2.0 start ===");
    DebugLog(L"exe dir " + AppDir() + L", data dir " + DataFolder());
    DebugLog(L"COMMANDER_PATH " + EnvGet(L"COMMANDER_PATH") + (StartedFromTc ? L" (started from TC)" : L""));
    DebugLog(L"wincmd.ini " + (WincmdIniPath.empty() ? std::wstring(L"NOT FOUND") : WincmdIniPath) +
             L", language " + LangCode());
}

// Until the main window exists, the start says plainly what it found.
void ShowStartSummary() {
    auto orNone = [](const std::wstring& s) { return s.empty() ? std::wstring(L"(not found)") : s; };
    std::wstring text = L"The main window of Kestrovane is not built yet.\n\nWhat the start found:\n"
                        L"TC folder: " + orNone(EnvGet(L"COMMANDER_PATH")) +
                        L"\nwincmd.ini: " + orNone(WincmdIniPath) +
                        L"\nData folder: " + DataFolder();
    MessageBoxW(nullptr, text.c_str(), L"Kestrovane", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (int childExit = 0; RunChildMode(childExit)) return childExit;
    DataFolder();  // fixed before any thread can ask for it
    StartArgs start = ParseStartArgs(CommandLineArgs());
    DebugArg = start.debug;
    DiscoverTc();
    ChooseWincmdIni(start.iniArg);
    RememberTcDir();
    LoadSettings(SettingsIniPath());
    ApplyDiagSettings();
    InitLanguage(TcLanguageIni());
    WriteStartBanner();
    ShowStartSummary();
    return 0;
}
