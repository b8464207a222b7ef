#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "analyses/acknowledged.h"
#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/start_times.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "foundation/worker_threads.h"
#include "hostcfg/tc_discovery.h"
#include "install/unpack.h"
#include "probe/child_modes.h"
#include "probe/workers.h"
#include "shell/commands.h"
#include "shell/forward.h"
#include "shell/main_children.h"
#include "shell/main_window.h"
#include "foundation/themes.h"
#include "shell/menu_help.h"
#include "shell/saving_hooks.h"
#include "shell/start_args.h"
#include "views/legend.h"
#include "views/page_window.h"
#include "views/text_popup.h"
#include "views/window_layout.h"

namespace {

constexpr const wchar_t* InstanceMutexName = L"Local\\Kestrovane.Halvorin38";
// What the workers may take to end once told: a file read of their current item.
constexpr DWORD WorkersEndMs = 5000;

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
    DebugLog(std::wstring(L"=== Kestrovane ") + VersionText + L" start ===");
    DebugLog(L"exe dir " + AppDir() + L", data dir " + DataFolder());
    DebugLog(L"COMMANDER_PATH " + EnvGet(L"COMMANDER_PATH") + (StartedFromTc ? L" (started from TC)" : L""));
    DebugLog(L"wincmd.ini " + (WincmdIniPath.empty() ? std::wstring(L"NOT FOUND") : WincmdIniPath) +
             L", language " + LangCode());
}

// The message of a second copy, in the language the running copy speaks.
void TellNotHandedOver(const StartArgs& start, const std::wstring& path) {
    DiscoverTc();
    ChooseWincmdIni(start.iniArg);
    LoadSettings(SettingsIniPath());
    InitLanguage(TcLanguageIni());
    MessageBoxW(nullptr, FillVar(Tr("err_handover"), L"f", FullPath(path)).c_str(), L"Kestrovane", MB_OK | MB_ICONWARNING);
}

// A second start hands its file to the running copy and ends; false when the file
// was not taken, which the user is told.
bool ForwardToRunningCopy(const StartArgs& start) {
    struct Candidate {
        const std::wstring& path;
        bool lister, install;
    };
    const Candidate candidates[] = {
        {start.previewFile, false, false}, {start.listerFile, true, false}, {start.installPath, false, true}};
    for (const Candidate& c : candidates) {
        if (c.path.empty()) continue;
        if (UiForwardToRunning(c.path, c.lister, c.install)) return true;
        TellNotHandedOver(start, c.path);
        return false;
    }
    RaiseRunningWindow();
    return true;
}

bool RegisterClass(const wchar_t* name, WNDPROC proc, UINT style, bool smallIcon, int background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = AppInstance;
    wc.hIcon = static_cast<HICON>(LoadImageW(AppInstance, MAKEINTRESOURCEW(101), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    if (smallIcon)
        wc.hIconSm = static_cast<HICON>(LoadImageW(AppInstance, MAKEINTRESOURCEW(101), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

bool RegisterWindowClasses() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    bool ok = RegisterClass(L"KestrovaneMainWnd", MainWndProc, CS_DBLCLKS, true, COLOR_BTNFACE) &&
              RegisterClass(L"KestrovanePage", PageWndProc, CS_DBLCLKS, false, COLOR_WINDOW);
    RegisterClass(L"KestrovaneLegend", LegendWndProc, 0, false, COLOR_WINDOW);
    RegisterClass(L"KestrovaneText", TextWndProc, 0, false, COLOR_WINDOW);
    return ok;
}

// The saved placement when it lies on a monitor; the show command it asks for.
int ApplySavedPlacement(HWND window, int showCmd) {
    auto saved = ParsePlacement(IniGetString(SettingsIniPath(), L"Window", L"Pos"));
    if (!saved || !MonitorFromRect(&saved->rect, MONITOR_DEFAULTTONULL)) return showCmd;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    placement.flags = 0;
    placement.showCmd = SW_HIDE;  // shown once, after the start tab is chosen
    placement.rcNormalPosition = saved->rect;
    SetWindowPlacement(window, &placement);
    return saved->maximized ? SW_SHOWMAXIMIZED : showCmd;
}

HWND CreateMainWindow(MainWindow& app, int showCmd) {
    int dpi = UiScreenDpi();
    NoteStartMoment(StartWindowCall);
    HWND window = app.Create(MulDiv(1100, dpi, 96), MulDiv(680, dpi, 96), BuildMainMenu());
    if (!window) return nullptr;
    const MainControls& controls = app.View().controls;
    showCmd = ApplySavedPlacement(window, showCmd);
    TabCtrl_SetCurSel(controls.tabCtl, StartTabIndex());
    ShowWindow(window, showCmd);
    SendMessageW(controls.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Tr("st_loading").c_str()));
    NoteStartMoment(StartShown);
    UpdateWindow(window);
    NoteStartMoment(StartPainted);
    PostMessageW(window, MsgStart, 0, 0);
    return window;
}

// Esc closes a text popup or the legend wherever the focus is inside it.
bool CloseOnEscape(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    wchar_t cls[65] = {};
    if (root) GetClassNameW(root, cls, 65);
    if (wcscmp(cls, L"KestrovaneText") != 0 && wcscmp(cls, L"KestrovaneLegend") != 0) return false;
    DestroyWindow(root);
    return true;
}

int RunMessageLoop(HWND window) {
    HACCEL accelerators = CreateCommandAccelerators();
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (CloseOnEscape(msg)) continue;
        if (TranslateAcceleratorW(window, accelerators, &msg)) continue;
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyAcceleratorTable(accelerators);
    return static_cast<int>(msg.wParam);
}

// The workers use the program's static objects (texts, logs, caches), which go once
// wWinMain returns: they are stopped, their children ended, and waited for. One
// that does not end in time (a read on a drive that does not answer) ends with
// the process, before any static object goes.
int EndAfterWorkers(int exitCode) {
    StopWorkers();
    if (WaitForWorkerThreads(WorkersEndMs)) return exitCode;
    DebugLog(L"exit: a worker still runs, the program ends without cleaning up");
    std::_Exit(exitCode);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCmd) {
    NoteStartMoment(StartMain);
    AppInstance = instance;
    if (int childExit = 0; RunChildMode(childExit, UnpackChildMain)) return childExit;
    PreloadWindowDlls();
    DataFolder();  // fixed before any thread can ask for it
    StartArgs start = ParseStartArgs(ProgramArgs());
    HANDLE instanceMutex = CreateMutexW(nullptr, TRUE, InstanceMutexName);  // held for the life of the process
    if (instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        bool handedOver = ForwardToRunningCopy(start);
        CloseHandle(instanceMutex);
        return handedOver ? 0 : 1;
    }
    DebugArg = start.debug;
    DiscoverTc();
    ChooseWincmdIni(start.iniArg);
    ConnectSaving();
    RememberTcDir();
    MainWindow app;
    LoadFrameLayout(app.View());
    LoadSettings(SettingsIniPath());
    ApplyDiagSettings();
    SelectTheme();
    LoadAckSet();
    InitLanguage(TcLanguageIni());
    WriteStartBanner();
    app.OpenAtStart(start);
    if (!RegisterWindowClasses()) return 1;
    HWND window = CreateMainWindow(app, showCmd);
    if (!window) return EndAfterWorkers(1);
    return EndAfterWorkers(RunMessageLoop(window));
}
