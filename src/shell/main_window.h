// The main window procedure: its life, the detail splitter, files from a second
// copy, the outside-change check and the results of the worker threads.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <variant>

#include "install/install_host.h"
#include "probe/background_probe.h"
#include "probe/workers.h"
#include "shell/start_args.h"
#include "views/list_subclass.h"  // MsgFitPathColumn
#include "views/main_view.h"
#include "views/view_host.h"

constexpr UINT MsgRefresh = WM_APP + 3;
constexpr UINT MsgStart = WM_APP + 9;
constexpr UINT MsgIniCheck = WM_APP + 11;

// The main window: the one object that owns what the window shows and takes
// the workers' results. It lives as long as the message loop runs, and is what
// the lower layers reach up to through their interfaces.
class MainWindow : public IViewHost, public IInstallHost, public IProbeHost {
public:
    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window of class "KestrovaneMainWnd" (registered with MainWndProc).
    HWND Create(int width, int height, HMENU menu);
    HWND Hwnd() const { return view_.controls.main; }
    MainView& View() { return view_; }
    const MainView& View() const { return view_; }
    // The start's /preview, /lister and /install arguments, taken once the first fill
    // stands as files handed over by a second copy are.
    void OpenAtStart(const StartArgs& start) { start_ = start; }
    // A save writes, or the start still reads its first tab: no command and no
    // handed-over file may act on the rows and the file meanwhile.
    static bool ModelChanging();

    // The lower layers' interfaces, in main_window_hosts.cpp. Tests may derive to
    // take over the message boxes, the entry editor and the recycle-bin check.
    // More than one interface asks for these:
    HWND ResultWindow() override;
    int ShownTab() override;
    void UpdateStatusBar() override;
    UINT PopupMenu(HWND owner, POINT screen, HMENU menu) override;
    // IViewHost:
    void SearchAfterFill() override;
    void StartBackgroundProbe() override;
    void MoveSelectedEntries(int op) override;
    void CreateTabControls(int tab) override;
    // IEditingHost and IInstallHost:
    void RefillShownTab() override;
    void PendingChanged() override;
    int JumpToFinding(int finding) override;
    void RecheckLister() override;
    void ShowTextPopup(const std::wstring& title, const std::wstring& text) override;
    void ShowPluginInfo(const PlugRef& ref) override;
    std::wstring RowStateGlyph(const PlugEntry& entry) override;
    int Message(HWND owner, const std::wstring& text, UINT type) override;
    int AskToSave(HWND owner, const std::wstring& changeList, bool tcRunning) override;
    bool RunEntryEditor(HWND owner, EntryEditForm& form) override;
    bool RecycleBinAvailable(const std::wstring& path) override;
    void SaveWriting(bool writing) override;
    void SaveProgress(int done, int total) override;
    void ShowInstallStatus(const std::wstring& text) override;
    bool ModelHeld() override;
    // IProbeHost:
    bool FindingsShown() override;
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
    // The one hand-over of the workers' results; false for any other message.
    bool TakeWorkerResult(UINT msg, LPARAM lParam);
    void OnCreate();
    void OnStart();
    // What the start does once its first tab stands: the file or package it was given.
    void FinishStart();
    bool OnClose();
    void OnIniCheck();
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    void QueueForward(uint32_t tag, std::wstring path);
    void ApplyForwards();
    void OnBackgroundDone(const BackgroundDoneMsg& done);
    // The answers of the probe and details workers, in main_window_answers.cpp.
    using Answer = std::variant<std::unique_ptr<ProbeMsg>, std::unique_ptr<BackgroundDoneMsg>,
                                std::unique_ptr<DetailsMsg>>;
    // What the rows of a batch of answers still need once the batch is applied.
    struct AnswerBatch {
        bool probeAnswered = false;
        int selected = -1;  // item data of the selected row, read at the first probe answer
        bool selectedAnswered = false;
    };
    static constexpr UINT_PTR AnswersTimer = 2;
    void TakeAnswer(Answer answer);
    void TakeQueuedAnswers(std::chrono::steady_clock::time_point until);
    void ApplyAnswers();
    void ApplyAnswer(Answer& answer, AnswerBatch& batch);
    void ApplyProbeAnswer(const ProbeMsg& msg, AnswerBatch& batch);
    void EndAnswerBatch(AnswerBatch& batch);
    void DropAnswers();
    void OnRefresh();
    void TrackDetailSplitter(int y);
    void EndDetailDrag(bool keep);
    bool SetSplitterCursor();

    // A file sent by a second copy or given to the start, waiting until no dialog,
    // menu or save runs.
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
    bool layoutPending_ = true;  // sized while hidden: laid out when shown
    bool inMenuLoop_ = false;
    // Answers taken off the message queue and not applied yet, in the order they came.
    std::deque<Answer> answers_;
    // After a batch the window paints and takes input before the next; meanwhile answers only queue.
    bool answersPaused_ = false;
    // While a save writes: the window is disabled (when it was enabled before), and
    // shows its progress now and then.
    bool saveDisabled_ = false;
    HWND saveFocus_ = nullptr;
    std::chrono::steady_clock::time_point saveShown_{};
};

// The class procedure: hands each message to the MainWindow given at creation.
LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
