// A stand-in for TC's main program: it registers TC's main window class, shows a
// window, appends its command line to "cmdline.txt" beside itself and closes on
// WM_CLOSE, unless "/stay" is on its command line: then it stays open as TC does
// while one of its dialogs is open. With "/modes=<ini>" it writes a view-mode rule
// into that file as it exits, as TC writes its configuration when it closes. Tests start it, find its window and read
// what it was started with.
#include <windows.h>
#include <cwchar>
#include <string>

namespace {

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    size_t cut = s.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : s.substr(0, cut);
}

void RecordCommandLine() {
    std::wstring line = GetCommandLineW();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), (int)line.size(), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), (int)line.size(), utf8.data(), bytes, nullptr, nullptr);
    utf8 += "\n";
    std::wstring file = ExeFolder() + L"\\cmdline.txt";
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, utf8.data(), (DWORD)utf8.size(), &written, nullptr);
    CloseHandle(h);
}

bool Stays() { return wcsstr(GetCommandLineW(), L"/stay") != nullptr; }

void WriteModesOnExit() {
    const wchar_t* at = wcsstr(GetCommandLineW(), L"/modes=");
    if (!at) return;
    std::wstring ini = at + 7;
    ini = ini.substr(0, ini.find(L' '));
    WritePrivateProfileStringW(L"ListerModes", L"0fields", L"written-by-tc.wlx", ini.c_str());
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE && Stays()) return 0;
    if (msg == WM_DESTROY) {
        WriteModesOnExit();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
    RecordCommandLine();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"TTOTAL_CMD";
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    if (!RegisterClassW(&wc)) return 1;
    HWND hwnd = CreateWindowW(L"TTOTAL_CMD", L"Stand-in TC", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 640, 400, nullptr, nullptr, inst, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
