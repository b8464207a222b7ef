// The main window procedure: its life, the detail splitter, files from a second
// copy, the outside-change check and the results of the worker threads.
#pragma once
#include <windows.h>

#include <string>

#include "analyses/preview_view.h"
#include "install/install_host.h"
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
class MainWindow : public IInstallHost, public IProbeHost, public IPreviewView {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window of class "KestrovaneMainWnd" (registered with MainWndProc).
    HWND Create(int width, int height, HMENU menu);
    HWND Hwnd() const { return window_; }

    // The lower layers' interfaces, in main_window_hosts.cpp. Tests may derive to
    // take over the message boxes, the entry editor and the recycle-bin check.
    // More than one interface asks for these:
    HWND ResultWindow() override;
    int ShownTab() override;
    void UpdateStatusBar() override;
    // IEditingHost and IInstallHost:
    void RefillShownTab() override;
    void PendingChanged() override;
    int JumpToFinding(int finding) override;
    void RecheckLister() override;
    void ShowTextPopup(const std::wstring& title, const std::wstring& text) override;
    void ShowPluginInfo(const PlugRef& ref) override;
    std::wstring RowStateGlyph(const PlugEntry& entry) override;
    int Message(HWND owner, const std::wstring& text, UINT type) override;
    bool RunEntryEditor(HWND owner, EntryEditForm& form) override;
    bool RecycleBinAvailable(const std::wstring& path) override;
    void ShowInstallStatus(const std::wstring& text) override;
    // IProbeHost:
    bool FindingsShown() override;
    void UpdateInventory(int kind) override;
    // IPreviewView:
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
