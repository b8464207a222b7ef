// The main window procedure: its life, the detail splitter, files from a second
// copy, the outside-change check and the results of the worker threads.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>

#include "probe/background_probe.h"
#include "probe/workers.h"
#include "shell/start_args.h"
#include "views/list_subclass.h"  // MsgFitPathColumn
#include "views/main_view.h"
#include "views/view_host.h"

constexpr UINT MsgRefresh = WM_APP + 3;
constexpr UINT MsgStart = WM_APP + 9;
constexpr UINT MsgIniCheck = WM_APP + 11;
constexpr UINT MsgInstall = WM_APP + 77;

// The main window: the one object that owns what the window shows and takes
// the workers' results. It lives as long as the message loop runs.
class MainWindow : public IViewHost {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window of class "KestrovaneMainWnd" (registered with MainWndProc).
    HWND Create(int width, int height, HMENU menu);
    HWND Hwnd() const { return view_.controls.main; }
    MainView& View() { return view_; }
    const MainView& View() const { return view_; }
    // The start's /preview, /lister and /install arguments, taken once the first fill stands.
    void OpenAtStart(const StartArgs& start) { start_ = start; }

    void SearchAfterFill() override;
    void StartBackgroundProbe() override;
    void MoveSelectedEntries(int op) override;

private:
    friend LRESULT CALLBACK MainWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The one hand-over of the workers' results; false for any other message.
    bool TakeWorkerResult(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnStart();
    bool OnClose();
    void OnIniCheck();
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    void ApplyForwards();
    BackgroundProbeHost ProbeHost() const;
    void OnProbeResult(const ProbeMsg& msg);
    void OnBackgroundDone(WPARAM generation, LPARAM job);
    void OnRefresh();
    void TrackDetailSplitter(int y);
    void EndDetailDrag(bool keep);
    bool SetSplitterCursor();

    // A file sent by a second copy, waiting until no dialog, menu or save runs.
    struct ForwardRequest {
        uint32_t tag;
        std::wstring path;
    };

    MainView view_{*this};
    StartArgs start_;
    std::deque<ForwardRequest> pendingForwards_;
    bool splitterDragging_ = false;
    int32_t splitterTrackHeight_ = 0;
    bool iniCheckBusy_ = false;
    bool inMenuLoop_ = false;
};

// The class procedure: hands each message to the MainWindow given at creation.
LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
