// The real program under Wine, started by a test and driven through its windows:
// starting and ending it, waiting for its windows and dialogs, and reading its list
// views through memory lent in its process.
#pragma once
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>

#include "foundation/handles.h"
#include "foundation/texts.h"
#include "support/test_support.h"

constexpr int WaitMs = 30000;

inline bool WaitFor(const std::function<bool()>& done) {
    for (int waited = 0; waited < WaitMs; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

struct Program {
    KernelHandle process;
    DWORD pid = 0;
    HWND main = nullptr;
    Program() = default;
    Program(Program&&) = default;
    // A failed check must not leave the copy running: the next start would hand over to it.
    ~Program() {
        if (process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.Get(), 99);
            WaitForSingleObject(process.Get(), WaitMs);
        }
    }
};

inline KernelHandle Launch(const std::wstring& exe, const std::wstring& dir, const std::wstring& args,
                           DWORD* pid = nullptr) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    REQUIRE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi));
    CloseHandle(pi.hThread);
    if (pid) *pid = pi.dwProcessId;
    return KernelHandle(pi.hProcess);
}

inline HWND MainWindowOf(DWORD pid) {
    for (HWND w = FindWindowW(L"KestrovaneMainWnd", nullptr); w;
         w = FindWindowExW(nullptr, w, L"KestrovaneMainWnd", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

inline DWORD WaitExit(const KernelHandle& process) {
    REQUIRE(WaitForSingleObject(process.Get(), WaitMs) == WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

inline void Close(Program& p) {
    PostMessageW(p.main, WM_CLOSE, 0, 0);
    CHECK(WaitExit(p.process) == 0);
}

inline HWND Page(HWND main) { return FindWindowExW(main, nullptr, L"KestrovanePage", nullptr); }
inline HWND PageChild(HWND main, int id) { return GetDlgItem(Page(main), id); }
inline HWND TabCtl(HWND main) { return GetDlgItem(main, 100); }

// Returns once the window's thread has finished the handler it is in. What a test
// sees of another process's windows is not held back until then: a handler that makes
// a tab's controls shows the first of them while the others do not exist yet.
inline void WaitHandlerDone(HWND main) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, WaitMs, &ignored);
}

// How many times a maximize was repeated until it held (maximizeHeld says whether one
// try held); -1 when none of five tries held.
inline int MaximizeRepeats(const std::function<bool()>& maximizeHeld) {
    for (int attempt = 0; attempt < 5; ++attempt)
        if (maximizeHeld()) return attempt;
    return -1;
}

// Why a maximize that needed that many repeats fails the test; nullptr when it does
// not. The display's late notice of an earlier move undoes one maximize at most; a
// maximize undone again means the window's thread was held too long.
inline const char* MaximizeFault(int repeats) {
    if (repeats < 0) return "the window does not stay maximized";
    if (repeats > 1) return "the maximize held only after more than one repeat: the window's thread was held too long";
    return nullptr;
}

// Without a window manager, Wine takes the display's late notice of an earlier move
// or resize for the user restoring the window, and restores a window maximized in
// between. The window reads such notices only when it waits for messages, and a busy
// one may not wait for a while: a maximize counts once it outlasted a few waits.
inline void Maximize(const Program& p) {
    int repeats = MaximizeRepeats([&] {
        ShowWindow(p.main, SW_MAXIMIZE);
        bool held = true;
        for (int settle = 0; settle < 3 && held; ++settle) {
            WaitForInputIdle(p.process.Get(), WaitMs);
            Sleep(200);
            WaitHandlerDone(p.main);
            held = IsZoomed(p.main) != 0;
        }
        return held;
    });
    if (const char* fault = MaximizeFault(repeats)) FAIL(fault);
}

// Selects a tab as the keyboard does, and waits until the window took it in.
inline void ShowTabOf(HWND main, int tab) {
    HWND tabs = TabCtl(main);
    while (TabCtrl_GetCurSel(tabs) != tab) {
        int from = TabCtrl_GetCurSel(tabs);
        PostMessageW(tabs, WM_KEYDOWN, from < tab ? VK_RIGHT : VK_LEFT, 0);
        REQUIRE(WaitFor([&] { return TabCtrl_GetCurSel(tabs) != from; }));
    }
    WaitHandlerDone(main);
}

inline std::wstring Text(HWND window) {
    wchar_t buf[1024] = {};
    GetWindowTextW(window, buf, 1024);
    return buf;
}

struct OwnedWindow {
    HWND owner;
    const wchar_t* cls;
    HWND found;
};

inline BOOL CALLBACK NoteOwnedWindow(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<OwnedWindow*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (wcscmp(cls, f->cls) == 0 && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == f->owner) f->found = w;
    return TRUE;
}

// The shown window of the class that the main window owns, of the main window's thread.
inline HWND OwnedWindowOf(HWND main, const wchar_t* cls) {
    OwnedWindow find{main, cls, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), NoteOwnedWindow, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

inline HWND OpenDialogOf(HWND main) { return OwnedWindowOf(main, L"#32770"); }

// Memory lent in the window's process, for the messages that carry a pointer.
struct Lent {
    KernelHandle process;
    char* remote = nullptr;
    explicit Lent(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process = KernelHandle(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        remote = static_cast<char*>(VirtualAllocEx(process.Get(), nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
    }
    ~Lent() { VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE); }
    void Put(const void* data, size_t size, size_t at = 0) {
        WriteProcessMemory(process.Get(), remote + at, data, size, nullptr);
    }
    std::wstring TextAt(size_t at) {
        wchar_t text[1024] = {};
        ReadProcessMemory(process.Get(), remote + at, text, sizeof(text) - sizeof(wchar_t), nullptr);
        return text;
    }
};

// Sends a message whose item record names a text buffer, and reads the text back.
template <typename Item>
std::wstring RemoteItemText(HWND window, UINT msg, WPARAM wParam, Item item) {
    Lent lent(window);
    item.pszText = reinterpret_cast<wchar_t*>(lent.remote + 1024);
    item.cchTextMax = 1024;
    lent.Put(&item, sizeof(item));
    SendMessageW(window, msg, wParam, reinterpret_cast<LPARAM>(lent.remote));
    return lent.TextAt(1024);
}

inline std::wstring HeaderTitle(HWND list, int column) {
    HDITEMW item{};
    item.mask = HDI_TEXT;
    return RemoteItemText(ListView_GetHeader(list), HDM_GETITEMW, column, item);
}

inline std::wstring RemoteCellText(HWND list, int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    return RemoteItemText(list, LVM_GETITEMTEXTW, row, item);
}

// Part 0 of a status bar, where the program writes its text.
inline std::wstring RemoteStatusText(HWND bar) {
    Lent lent(bar);
    SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(lent.remote));
    return lent.TextAt(0);
}

// The window fills its first tab from a message it posts to itself before its loop
// runs, and under Wine WaitForInputIdle may return before that: the status bar says
// it is still reading until the fill is done.
inline bool StartFillDone(HWND main) {
    std::wstring text = RemoteStatusText(GetDlgItem(main, 105));
    for (const TextRow& row : TextTable())
        if (std::string_view(row.key) == "st_loading") return !text.empty() && text != row.english && text != row.german;
    return false;
}

// Starts the program and waits until its main window is shown, filled and idle.
inline Program StartProgram(const std::wstring& exe, const std::wstring& dir, const std::wstring& args) {
    Program p;
    p.process = Launch(exe, dir, args, &p.pid);
    REQUIRE(WaitFor([&] { return (p.main = MainWindowOf(p.pid)) != nullptr; }));
    WaitForInputIdle(p.process.Get(), WaitMs);
    REQUIRE(WaitFor([&] { return StartFillDone(p.main); }));
    return p;
}

// Selects and focuses the one row, as a click would.
inline void RemoteSelectRow(HWND list, int row) {
    Lent lent(list);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    lent.Put(&item, sizeof(item));
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(lent.remote));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    lent.Put(&item, sizeof(item));
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(lent.remote));
}
