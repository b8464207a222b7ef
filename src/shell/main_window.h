// The main window procedure: its life, the detail splitter, files from a second
// copy, the outside-change check and the results of the worker threads.
#pragma once
#include <windows.h>

#include <string>

#include "analyses/preview_view.h"
#include "probe/background_probe.h"
#include "probe/workers.h"
#include "views/list_subclass.h"  // MsgFitPathColumn

constexpr UINT MsgRefresh = WM_APP + 3;
constexpr UINT MsgStart = WM_APP + 9;
constexpr UINT MsgIniCheck = WM_APP + 11;
constexpr UINT MsgInstall = WM_APP + 77;

// The start's /preview, /lister and /install arguments, taken by MsgStart and MsgInstall.
extern std::wstring StartPreviewFile;
extern std::wstring StartListerFile;
extern std::wstring StartInstallPath;

// The main window: the one object that owns what the window shows and takes
// the workers' results. It lives as long as the message loop runs, and is what
// the lower layers reach up to through their interfaces.
class MainWindow : public IProbeHost, public IPreviewView {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window of class "KestrovaneMainWnd" (registered with MainWndProc).
    HWND Create(int width, int height, HMENU menu);
    HWND Hwnd() const { return window_; }

    // The lower layers' interfaces, in main_window_hosts.cpp.
    HWND ResultWindow() override;
    void UpdateStatusBar() override;
    int ShownTab() override;
    bool FindingsShown() override;
    void UpdateInventory(int kind) override;
    bool PanesShown() override;
    void Clear() override;
    void FillPluginList() override;
    void FillFieldList() override;
    void RefreshGroup(int index) override;
    void SaveGroupStates() override;
    void ShowIntro() override;

private:
    friend LRESULT CALLBACK MainWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

// The class procedure: hands each message to the MainWindow given at creation.
LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// The object of the main window that the handle (or one of its children) belongs to.
MainWindow& MainWindowOf(HWND window);
