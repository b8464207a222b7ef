// Benchmark, not a test: the time from process start until the main window is shown,
// its first tab filled and its message loop waiting for input, for Kestrovane.exe on
// the demo TC configuration against a program that only shows an empty window; then
// where the program's start spends that time, from the moments it writes to its debug log.
// Run it from the build folder under Wine on a display, after tools/demo.sh
// prepared build/x64/demo:
//   tools/wine-run build/x64/demo-wineprefix build/x64/bench/bench_startup.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/texts.h"
#include "launcher.h"

namespace {

constexpr int Rounds = 10;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// The program reads its first tab on a worker and takes input meanwhile: it is
// ready once its status bar no longer says it is reading. The empty window has none.
bool StillReading(HWND window) {
    HWND status = GetDlgItem(window, 105);
    if (!status) return false;
    std::wstring text = WindowText(status);
    for (const TextRow& row : TextTable())
        if (std::string_view(row.key) == "st_loading") return text.empty() || text == row.english || text == row.german;
    return false;
}

// One start: until the window is there, filled, and the loop idles; then closed normally.
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
    while (window && StillReading(window) && WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
    }
    WaitForInputIdle(pi.hProcess, 60000);
    QueryPerformanceCounter(&idle);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return window ? Milliseconds(start, idle) : -1;
}

// A start that showed no window (it handed over to a copy still closing) is left out.
double MedianStart(const std::wstring& exe, const std::wstring& args) {
    std::vector<double> times;
    for (int i = 0; i < Rounds; ++i)
        if (double ms = TimeOneStart(exe, args); ms >= 0) times.push_back(ms);
    return Median(times);
}

std::wstring Here(const wchar_t* rel) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + rel;
}

// The moments the program wrote with its "start times" line, in the order of
// Moments; -1 for one it did not write.
const char* const Moments[] = {"main", "window", "controls", "shown", "painted", "filled"};
constexpr size_t MomentCount = std::size(Moments);

std::vector<double> StartMoments(const std::wstring& debugLog) {
    std::ifstream in(debugLog.c_str());
    std::string line, last;
    while (std::getline(in, line))
        if (line.find("start times in ms") != std::string::npos) last = line;
    std::vector<double> moments(MomentCount, -1);
    std::istringstream words(last.substr(last.find(':') == std::string::npos ? last.size() : last.rfind(':') + 1));
    std::string name;
    double ms = 0;
    while (words >> name >> ms)
        for (size_t i = 0; i < MomentCount; ++i)
            if (name == Moments[i]) moments[i] = ms;
    return moments;
}

// Starts with the debug log on; each round's moments and its whole time.
void PrintBreakdown(const std::wstring& program, const std::wstring& args, const std::wstring& debugLog) {
    std::vector<std::vector<double>> steps(MomentCount + 1);
    for (int round = 0; round < Rounds; ++round) {
        DeleteFileW(debugLog.c_str());
        double total = TimeOneStart(program, L"/debug " + args);
        std::vector<double> moments = StartMoments(debugLog);
        if (total < 0 || std::count(moments.begin(), moments.end(), -1.0)) continue;
        for (size_t i = 0; i < MomentCount; ++i) steps[i].push_back(moments[i] - (i ? moments[i - 1] : 0));
        steps[MomentCount].push_back(total - moments.back());
    }
    DeleteFileW(debugLog.c_str());
    if (steps[0].empty()) {
        std::printf("the program wrote no start times to %ls\n", debugLog.c_str());
        return;
    }
    const char* const labels[] = {"imports and runtime start", "settings, TC and texts", "window and controls",
                                  "first layout", "first paint", "first fill", "after the fill until idle"};
    std::printf("where the start goes, median of %zu starts with the debug log on:\n", steps[0].size());
    for (size_t i = 0; i < std::size(labels); ++i) std::printf("  %-27s %8.1f ms\n", labels[i], Median(steps[i]));
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
    std::wstring args = L"\"" + ini + L"\"";
    double floor = MedianStart(empty, L"");
    double kestrovane = MedianStart(program, args);
    std::printf("median of %d starts, process start to window shown and idle:\n", Rounds);
    std::printf("  empty Win32 window  %8.1f ms\n", floor);
    std::printf("  Kestrovane (demo)   %8.1f ms\n", kestrovane);
    std::printf("  ratio               %8.2f\n", kestrovane / floor);
    PrintBreakdown(program, args, Here(L"..\\demo\\bin\\Kestrovane.debug.log"));
    return 0;
}
