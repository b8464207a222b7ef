// The main window of the test process on Xvfb and a TC folder with the fake
// plugins: what the window tests share.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "../hostcfg/corpus_counts.h"
#include "../probe/probe_test_support.h"
#include "analyses/lister_check.h"
#include "analyses/plugin_caches.h"
#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/tc_discovery.h"
#include "shell/main_window.h"
#include "views/cell_tips.h"
#include "views/detail_pane.h"
#include "views/ext_checklist.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "views/main_view.h"
#include "views/panes.h"
#include "views/page_window.h"
#include "views/tab_fill.h"
#include "foundation/ui_globals.h"

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until the shown tab's probe job has answered every entry (or a minute passed).
// Each probe's child must have started: a plugin never asked would show as broken.
inline void WaitForProbes() {
    for (int i = 0; i < 600 && ProbeDone < ProbeTotal; ++i) {
        Pump();
        Sleep(100);
    }
    Pump();
    for (const PlugEntry& e : TabEntries) CHECK_MESSAGE(!e.probeNotStarted, e.name << ": " << e.probeError);
}

// The main window as the program makes it, without the program's start; App
// may be a MainWindow that answers one of its dialogs itself.
template <typename App = MainWindow>
struct WindowOf {
    App app;
    HWND main = nullptr;
    MainView& view = app.View();
    const MainControls& c = view.controls;
    WindowOf() {
        ShownSectionKind = -1;  // no section of an earlier window to compare on activation
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = MainWndProc;
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"KestrovaneMainWnd";
            RegisterClassExW(&wc);
            wc.lpfnWndProc = PageWndProc;
            wc.lpszClassName = L"KestrovanePage";
            RegisterClassExW(&wc);
            registered = true;
        }
        main = app.Create(1100, 680, nullptr);
        ShowWindow(main, SW_SHOW);
        Pump();
    }
    ~WindowOf() {
        ShownSectionKind = -1;
        DestroyWindow(main);
        Pump();
    }
    void Show(int tab) {
        TabCtrl_SetCurSel(c.tabCtl, tab);
        FillTab(view);
        WaitForProbes();
    }
    // The check box of a row of the extension list: 0 none, 1 clear, 2 ticked.
    UINT CheckOf(int row) const { return (ListView_GetItemState(c.extList, row, LVIS_STATEIMAGEMASK) >> 12); }
    std::wstring StatusText() const {
        wchar_t text[2048] = {};
        SendMessageW(c.statusBar, SB_GETTEXTW, 0, (LPARAM)text);
        return text;
    }
};
using Window = WindowOf<>;

inline std::wstring Cells(HWND list, int row, std::initializer_list<int> columns) {
    std::wstring out;
    for (int c : columns) out += (out.empty() ? L"" : L"|") + ListViewCellText(list, row, c);
    return out;
}

inline std::wstring Rows(HWND list, std::initializer_list<int> columns) {
    std::wstring out;
    for (int r = 0; r < ListView_GetItemCount(list); ++r) out += Cells(list, r, columns) + L"\n";
    return out;
}

// How many pixels of a cell show the colour, as the list last painted itself.
inline int ShownCellPixels(HWND list, int row, int column, COLORREF colour) {
    RECT cell{};
    if (!CellRect(list, row, column, cell)) return 0;
    int w = cell.right - cell.left, h = cell.bottom - cell.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(list), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, cell.left, cell.top, SRCCOPY);
    int count = 0;
    const auto* pixel = static_cast<const DWORD*>(bits);
    DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; bits && i < w * h; ++i) count += (pixel[i] & 0xFFFFFF) == wanted;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(list, screen);
    return count;
}

// How many pixels of a cell show the colour, after the list repainted itself.
inline int CellPixels(HWND list, int row, int column, COLORREF colour) {
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return ShownCellPixels(list, row, column, colour);
}

inline void Select(HWND list, int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
}

inline std::wstring SelfExe() {
    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    return own;
}

// A TC folder whose wincmd.ini names the fake plugins of this build.
struct TcFolder {
    std::wstring dir = FreshTempDir(L"tabs");
    ScopedEnv commander{L"COMMANDER_PATH", dir.c_str()};
    explicit TcFolder(const std::wstring& ini) {
        UseTestSettings();
        // A 32-bit program asks 32-bit plugins through Kestrovane32.exe beside it,
        // which is itself; the test program plays that part too.
        if (sizeof(void*) == 4) CopyFileW(SelfExe().c_str(), (AppDir() + L"\\Kestrovane32.exe").c_str(), FALSE);
        DeleteFileW(SettingsIniPath().c_str());
        CreateDirectoryW((dir + L"\\p").c_str(), nullptr);
        for (const wchar_t* name : {L"lister", L"view", L"pair"}) CopyInto(FakePlugin(L"lister", L"wlx"), dir + L"\\p", std::wstring(name) + (sizeof(void*) == 8 ? L".wlx64" : L".wlx"));
        CopyInto(FakePlugin(L"content", L"wdx"), dir + L"\\p");
        CopyInto(FakePlugin(L"packer", L"wcx"), dir + L"\\p");
        CopyInto(FakePlugin(L"fs", L"wfx"), dir + L"\\p");
        WincmdIniPath = dir + L"\\wincmd.ini";
        WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(ini));
        PendingEdits.clear();
        ResetPluginCaches();  // another wincmd.ini, as when the user opens one
    }
    ~TcFolder() {
        WincmdIniPath.clear();
        RemoveTree(dir);
    }
};
