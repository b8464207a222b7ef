#include "shell/forward.h"

#include "foundation/files.h"

namespace {

constexpr int WindowWaitMs = 20000;  // a first copy still starting up
constexpr int WindowPollMs = 100;
// A first copy that pumps its messages is waited for as long as it takes; one that
// stopped pumping (a long fill, a hang) gets this long.
constexpr UINT HungWaitMs = 60000;

HWND WaitForMainWindow() {
    for (int waited = 0;; waited += WindowPollMs) {
        if (HWND window = FindWindowW(L"KestrovaneMainWnd", nullptr)) return window;
        if (waited >= WindowWaitMs) return nullptr;
        Sleep(WindowPollMs);
    }
}

void Raise(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

}  // namespace

bool UiForwardToRunning(const std::wstring& path, bool lister, bool install) {
    HWND window = WaitForMainWindow();
    if (!window) return false;
    // The running copy has its own current folder: a relative path means nothing there.
    std::wstring absolute = FullPath(path);
    COPYDATASTRUCT data{};
    data.dwData = install ? TagInstall : (lister ? TagLister : TagPreview);
    data.cbData = static_cast<DWORD>((absolute.size() + 1) * sizeof(wchar_t));
    data.lpData = absolute.data();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NOTIMEOUTIFNOTHUNG,
                             HungWaitMs, &result) ||
        result != TRUE)
        return false;
    Raise(window);
    return true;
}

void RaiseRunningWindow() {
    if (HWND window = FindWindowW(L"KestrovaneMainWnd", nullptr)) Raise(window);
}
