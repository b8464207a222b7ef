// Benchmark, not a test: the time from process start until the main window is shown
// and its message loop waits for input, for Kestrovane.exe on the demo TC
// configuration against a program that only shows an empty window. Run it from the
// build folder under Wine on a display, after tools/demo.sh prepared build/x64/demo:
//   tools/wine-run build/x64/demo-wineprefix build/x64/bench/bench_startup.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

constexpr int Rounds = 10;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

struct FindWindowOf {
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK NoteVisibleWindowOf(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<FindWindowOf*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == f->pid && IsWindowVisible(w)) f->found = w;
    return f->found == nullptr;
}

HWND TopWindowOf(DWORD pid) {
    FindWindowOf find{pid};
    EnumWindows(NoteVisibleWindowOf, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// One start: until the window is there and the loop idles; then closed normally.
double TimeOneStart(const std::wstring& exe, const std::wstring& args) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start, idle;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    HWND window = nullptr;
    while (!(window = TopWindowOf(pi.dwProcessId)) && WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT) {
    }
    WaitForInputIdle(pi.hProcess, 60000);
    QueryPerformanceCounter(&idle);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return window ? Milliseconds(start, idle) : -1;
}

double Median(const std::wstring& exe, const std::wstring& args) {
    double times[Rounds];
    for (double& t : times) t = TimeOneStart(exe, args);
    std::sort(std::begin(times), std::end(times));
    return (times[Rounds / 2 - 1] + times[Rounds / 2]) / 2;
}

std::wstring Here(const wchar_t* rel) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + rel;
}

}  // namespace

int main() {
    std::wstring empty = Here(L"bench_empty_window.exe");
    std::wstring program = Here(L"..\\demo\\bin\\Kestrovane.exe");
    std::wstring ini = Here(L"..\\demo\\TC\\wincmd.ini");
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("build/x64/demo is missing: source tools/demo.sh first\n");
        return 1;
    }
    double floor = Median(empty, L"");
    double kestrovane = Median(program, L"\"" + ini + L"\"");
    std::printf("median of %d starts, process start to window shown and idle:\n", Rounds);
    std::printf("  empty Win32 window  %8.1f ms\n", floor);
    std::printf("  Kestrovane (demo)   %8.1f ms\n", kestrovane);
    std::printf("  ratio               %8.2f\n", kestrovane / floor);
    return 0;
}
