#include "launcher.h"

#include <commctrl.h>

#include <algorithm>

#include "foundation/files.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "large_config.h"
#include "support/test_support.h"

namespace {

struct Search {
    DWORD pid;
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK NoteWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    bool wanted = search->className ? wcscmp(cls, search->className) == 0 : IsWindowVisible(window) != 0;
    if (pid != search->pid || !wanted) return TRUE;
    search->found = window;
    return FALSE;
}

bool Complete(MainWindows& w, DWORD pid) {
    w.main = TopWindowOf(pid, L"KestrovaneMainWnd");
    if (!w.main || !IsWindowVisible(w.main)) return false;
    w.status = FindWindowExW(w.main, nullptr, STATUSCLASSNAMEW, nullptr);
    HWND page = FindWindowExW(w.main, nullptr, L"KestrovanePage", nullptr);
    w.list = page ? FindWindowExW(page, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    return w.status && w.list;
}

}  // namespace

HWND TopWindowOf(DWORD pid, const wchar_t* className) {
    Search search{pid, className};
    EnumWindows(NoteWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Launch(Launched& run, const std::wstring& exe, const std::wstring& args) {
    run.job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (run.job) SetInformationJobObject(run.job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    run.startMs = NowMs();
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &si, &pi))
        return false;
    if (run.job) AssignProcessToJobObject(run.job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    run.process = pi.hProcess;
    run.pid = pi.dwProcessId;
    return true;
}

void EndLaunched(Launched& run) {
    if (run.job) TerminateJobObject(run.job, 0);
    if (run.process) {
        TerminateProcess(run.process, 0);
        WaitForSingleObject(run.process, 10000);
        CloseHandle(run.process);
    }
    if (run.job) CloseHandle(run.job);
    run = Launched{};
}

bool WaitForMainWindows(const Launched& run, MainWindows& windows, double timeoutMs) {
    for (double end = NowMs() + timeoutMs; NowMs() < end; Sleep(1)) {
        if (Complete(windows, run.pid)) return true;
        if (WaitForSingleObject(run.process, 0) == WAIT_OBJECT_0) return false;
    }
    return false;
}

std::wstring WindowText(HWND window, UINT timeoutMs) {
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, timeoutMs, &length))
        return L"";
    return std::wstring(text, std::min<size_t>(length, 511));
}

int ListCount(HWND list, UINT timeoutMs) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &count)) return -1;
    return static_cast<int>(count);
}

bool Answers(HWND window, UINT timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

double RepaintMs(HWND window, double timeoutMs) {
    double start = NowMs();
    InvalidateRect(window, nullptr, FALSE);
    for (; NowMs() - start < timeoutMs; Sleep(0))
        if (!GetUpdateRect(window, nullptr, FALSE)) return NowMs() - start;
    return -1;
}

std::wstring PrepareProgram(const std::wstring& dir) {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    std::wstring exe = dir + L"\\bin\\Kestrovane.exe";
    MakeDirs(dir + L"\\bin");
    if (!CopyFileW(BuildPath(L"bin\\Kestrovane.exe").c_str(), exe.c_str(), FALSE)) return L"";
    WriteUtf16File(dir + L"\\bin\\Kestrovane.ini", L"[General]\r\nLanguage=eng\r\n[Window]\r\nLastTab=lister\r\n");
    return exe;
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(text));
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
