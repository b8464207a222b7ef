// Benchmark, run by hand: the program's start until the Lister tab of a wincmd.ini
// with 2,400 entries (1,000 Lister, 1,000 Content, 300 Packer lines, 100 File
// system) is filled and the window waits for input, against its start on an empty
// wincmd.ini, in one run.
//   bench_start_fill   (KV_TEST_BINARY as for the tests; needs bin/Kestrovane.exe)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/texts.h"
#include "support/test_support.h"

namespace {

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * (double)c.QuadPart / (double)f.QuadPart;
}

const wchar_t* const Words[] = {L"wlx", L"wdx", L"wcx", L"wfx"};

std::wstring PluginRel(int kind, int i) {
    std::wstring name = L"p" + std::to_wstring(i);
    return std::wstring(L"plugins\\") + Words[kind] + L"\\" + name + L"\\" + name + L"." + Words[kind];
}

// Half of the plugin files exist, as on a machine where some were removed; they
// are no DLLs, so no probe child is started for them.
std::wstring BuildTc(const std::wstring& dir) {
    const int counts[] = {1000, 1000, 100, 100};
    for (int kind = 0; kind < 4; ++kind)
        for (int i = 0; i < counts[kind]; i += 2) {
            std::wstring path = dir + L"\\" + PluginRel(kind, i);
            MakeDirs(path.substr(0, path.rfind(L'\\')));
            WriteFileBytes(path, "x");
        }
    std::wstring ini = L"[Lister]\r\nMultimedia=1\r\n";
    for (int kind = 0; kind < 2; ++kind) {
        ini += kind ? L"[ContentPlugins]\r\n" : L"[ListerPlugins]\r\n";
        for (int i = 0; i < 1000; ++i) {
            std::wstring n = std::to_wstring(i);
            ini += n + L"=%COMMANDER_PATH%\\" + PluginRel(kind, i) + L"\r\n" + n + L"_detect=\"EXT=\"T" + n +
                   L"\" | EXT=\"LOG\"\"\r\n";
        }
    }
    ini += L"[PackerPlugins]\r\n";
    for (int i = 0; i < 300; ++i)
        ini += L"e" + std::to_wstring(i) + L"=" + std::to_wstring(279 + i % 5) + L",%COMMANDER_PATH%\\" +
               PluginRel(2, i / 3) + L"\r\n";
    ini += L"[FileSystemPlugins]\r\n";
    for (int i = 0; i < 100; ++i) ini += L"Fs " + std::to_wstring(i) + L"=%COMMANDER_PATH%\\" + PluginRel(3, i) + L"\r\n";
    return ini;
}

void WriteUtf16(const std::wstring& path, const std::wstring& text) { WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(text)); }

struct FoundWindow {
    DWORD process;
    HWND window;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
    auto* found = (FoundWindow*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (pid != found->process || wcscmp(cls, L"KestrovaneMainWnd") != 0) return TRUE;
    found->window = window;
    return FALSE;
}

// The status bar leaves its loading text once the first tab is filled; a message
// sent then returns when the window is free again.
void WaitUntilFilled(DWORD process, int rows) {
    FoundWindow found{process, nullptr};
    HWND status = nullptr;
    for (int i = 0; i < 20000 && !status; ++i) {
        EnumWindows(FindMain, (LPARAM)&found);
        if (found.window) status = FindWindowExW(found.window, nullptr, STATUSCLASSNAMEW, nullptr);
        if (!status) Sleep(1);
    }
    if (!status) return;
    HWND page = FindWindowExW(found.window, nullptr, L"KestrovanePage", nullptr);
    HWND list = page ? FindWindowExW(page, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    const size_t loading = Tr("st_loading").size();
    for (int i = 0; i < 60000; ++i) {
        DWORD_PTR length = 0, count = 0;
        SendMessageTimeoutW(status, SB_GETTEXTLENGTHW, 0, 0, SMTO_NORMAL, 5000, &length);
        if (list) SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count);
        if (LOWORD(length) != 0 && LOWORD(length) != loading && (int)count >= rows) break;
        Sleep(1);
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(found.window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
}

// Milliseconds from CreateProcess until the program's first tab is filled.
double StartUntilIdle(const std::wstring& exe, const std::wstring& ini, int rows) {
    std::wstring command = L"\"" + exe + L"\" \"" + ini + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    double t0 = NowMs();
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitUntilFilled(pi.dwProcessId, rows);
    double ms = NowMs() - t0;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    std::wstring dir = FreshTempDir(L"bench_start");
    SetEnvironmentVariableW(L"COMMANDER_PATH", dir.c_str());
    std::wstring exe = dir + L"\\bin\\Kestrovane.exe";
    MakeDirs(dir + L"\\bin");
    if (!CopyFileW(BuildPath(L"bin\\Kestrovane.exe").c_str(), exe.c_str(), FALSE)) {
        std::fwprintf(stderr, L"no bin\\Kestrovane.exe: is KV_TEST_BINARY set and the program built?\n");
        return 1;
    }
    // The program's own INI beside it: start on the Lister tab.
    WriteUtf16(dir + L"\\bin\\Kestrovane.ini", L"[Window]\r\nLastTab=lister\r\n");
    std::wstring full = dir + L"\\wincmd.ini", empty = dir + L"\\empty.ini";
    WriteUtf16(full, BuildTc(dir));
    WriteUtf16(empty, L"[Configuration]\r\n");
    if (GetEnvironmentVariableW(L"KV_BENCH_KEEP", nullptr, 0)) {
        std::wprintf(L"%ls\n", dir.c_str());
        return 0;
    }
    std::vector<double> filled, bare;
    for (int round = 0; round < 5; ++round) {
        bare.push_back(StartUntilIdle(exe, empty, 0));
        filled.push_back(StartUntilIdle(exe, full, 1000));
    }
    double f = Median(filled), b = Median(bare);
    std::printf("start to the empty main window:            %8.1f ms (median of 5)\n", b);
    std::printf("start to the Lister tab of 2,400 entries:  %8.1f ms (median of 5), %.2f times\n", f, f / b);
    RemoveTree(dir);
    return 0;
}
