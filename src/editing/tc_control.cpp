#include "editing/tc_control.h"

#include <winternl.h>

#include <algorithm>

#include "editing/launch.h"
#include "foundation/handles.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "hostcfg/tc_discovery.h"

std::wstring TcOwnIniPath;

namespace {

constexpr PROCESSINFOCLASS CommandLineInfoClass = (PROCESSINFOCLASS)60;
constexpr DWORD MaxCommandLineBytes = 65534;

using QueryFn = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

QueryFn QueryProcess() {
    static auto query = (QueryFn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess");
    return query;
}

// Through the information class of Windows 8.1 and later.
bool CommandLineByClass(HANDLE process, std::wstring& out) {
    std::vector<unsigned char> buf(sizeof(UNICODE_STRING) + MaxCommandLineBytes + 2);
    ULONG needed = 0;
    if (QueryProcess()(process, CommandLineInfoClass, buf.data(), (ULONG)buf.size(), &needed) < 0) return false;
    auto* s = (UNICODE_STRING*)buf.data();
    if (!s->Buffer) return false;
    out.assign(s->Buffer, s->Length / sizeof(wchar_t));
    return true;
}

template <typename T>
bool ReadRemote(HANDLE process, const void* at, T& value) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, at, &value, sizeof value, &got) && got == sizeof value;
}

// From the process's parameters block, where systems without that class keep it;
// works for a process of the program's own width.
bool CommandLineFromPeb(HANDLE process, std::wstring& out) {
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb;
    RTL_USER_PROCESS_PARAMETERS params;
    if (QueryProcess()(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) < 0 || !basic.PebBaseAddress ||
        !ReadRemote(process, basic.PebBaseAddress, peb) || !ReadRemote(process, peb.ProcessParameters, params))
        return false;
    const UNICODE_STRING& line = params.CommandLine;
    if (!line.Buffer || line.Length > MaxCommandLineBytes) return false;
    out.resize(line.Length / sizeof(wchar_t));
    SIZE_T got = 0;
    return ReadProcessMemory(process, line.Buffer, out.data(), line.Length, &got) && got == line.Length;
}

// The command line of another process; false when it cannot be read.
bool ProcessCommandLine(DWORD pid, std::wstring& out) {
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!QueryProcess() || !process) return false;
    return CommandLineByClass(process.Get(), out) || CommandLineFromPeb(process.Get(), out);
}

// What follows the program name of a command line.
std::wstring ArgumentsOf(const std::wstring& cmdline) {
    std::wstring s = StrTrim(cmdline);
    size_t end = s.empty() ? 0 : s[0] == L'"' ? s.find(L'"', 1) : s.find_first_of(L" \t");
    if (end == std::wstring::npos) return L"";
    return StrTrim(s.substr(end + 1));
}

bool SameRun(const TcRun& a, const TcRun& b) {
    return StrIEquals(a.exe, b.exe) && a.argsKnown == b.argsKnown && a.args == b.args;
}

// One record per TC process.
std::vector<TcRun> RunsOf(const std::vector<HWND>& windows) {
    std::vector<TcRun> runs;
    std::vector<DWORD> pids;
    for (HWND w : windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        auto known = std::find(pids.begin(), pids.end(), pid);
        if (known != pids.end()) {
            runs[(size_t)(known - pids.begin())].windows.push_back(w);
            continue;
        }
        TcRun run;
        run.exe = ProcessImageOfWindow(w);
        std::wstring cmdline;
        run.argsKnown = ProcessCommandLine(pid, cmdline);
        if (run.argsKnown) run.args = ArgumentsOf(cmdline);
        run.windows.push_back(w);
        runs.push_back(std::move(run));
        pids.push_back(pid);
    }
    std::erase_if(runs, [](const TcRun& r) { return r.exe.empty(); });
    if (!windows.empty() && runs.empty() && !TcExePath().empty()) runs.push_back(TcRun{TcExePath(), L"", false, windows});
    return runs;
}

// TCs that ran the same way are started again once.
std::vector<TcRun> Distinct(std::vector<TcRun> runs) {
    std::vector<TcRun> out;
    for (TcRun& run : runs) {
        auto same = std::find_if(out.begin(), out.end(), [&](const TcRun& r) { return SameRun(r, run); });
        if (same == out.end()) out.push_back(std::move(run));
        else same->windows.insert(same->windows.end(), run.windows.begin(), run.windows.end());
    }
    return out;
}

bool AllGone(const TcRun& run) {
    return std::none_of(run.windows.begin(), run.windows.end(), [](HWND w) { return IsWindow(w); });
}

bool WaitForNoTc(DWORD timeoutMs) {
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    DWORD start = GetTickCount();
    bool closed = false;
    for (;;) {
        if (GetTickCount() - start >= timeoutMs) break;
        if (!FindWindowW(TcWindowClass, nullptr)) {
            Sleep(1000);
            closed = true;
            break;
        }
        // A window that leaves its region invalid gets WM_PAINT again at once, so
        // only a bounded batch is painted per round.
        MSG m;
        for (int i = 0; i < 32 && PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) DispatchMessageW(&m);
        Sleep(100);
    }
    SetCursor(old);
    return closed;
}

}  // namespace

BOOL CALLBACK EnumTcWindowsProc(HWND window, LPARAM windows) {
    wchar_t cls[32];
    if (GetClassNameW(window, cls, 32) && std::wstring(cls) == TcWindowClass)
        ((std::vector<HWND>*)windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> TcWindows() {
    std::vector<HWND> windows;
    EnumWindows(EnumTcWindowsProc, (LPARAM)&windows);
    return windows;
}

bool CloseAllTc(std::vector<TcRun>& restart, DWORD timeoutMs) {
    std::vector<HWND> windows = TcWindows();
    std::vector<TcRun> runs = RunsOf(windows);
    for (HWND w : windows) PostMessageW(w, WM_CLOSE, 0, 0);
    DebugLog(L"closing TC: " + std::to_wstring(windows.size()) + L" window(s)");
    for (const TcRun& run : runs) DebugLog(L"  will restart " + run.exe + L" " + run.args);
    bool closed = WaitForNoTc(timeoutMs);
    DebugLog(std::wstring(L"TC closed: ") + (closed ? L"yes" : L"NO (timeout)"));
    if (!closed) std::erase_if(runs, [](const TcRun& run) { return !AllGone(run); });
    restart = Distinct(std::move(runs));
    return closed;
}

void StartTcExe(const TcRun& run) {
    if (run.exe.empty()) return;
    std::wstring dir = PathDir(run.exe), args = run.args;
    if (!run.argsKnown) {
        std::wstring ini = TcOwnIniPath.empty() ? WincmdIniPath : TcOwnIniPath;
        if (!ini.empty() && !StrIEquals(PathJoin(dir, L"wincmd.ini"), ini)) args = L"/i=" + Quote(ini);
    }
    LaunchShell(run.exe, args, dir);
}
