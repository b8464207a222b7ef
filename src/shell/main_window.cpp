#include "shell/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "analyses/content_preview.h"
#include "analyses/inventory.h"
#include "editing/kept_rows.h"
#include "editing/order_ops.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "foundation/ini.h"
#include "foundation/list_view.h"
#include "foundation/logs.h"
#include "foundation/start_times.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "install/install_command.h"
#include "probe/post_record.h"
#include "probe_record/probe_result.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/forward.h"
#include "shell/main_children.h"
#include "shell/main_layout.h"
#include "shell/menu_help.h"
#include "shell/notifications.h"
#include "shell/search.h"
#include "views/detail_pane.h"
#include "views/drawn_icons.h"
#include "views/inventory_list.h"
#include "views/key_bar.h"
#include "views/main_colors.h"
#include "views/page_window.h"
#include "views/preview_file.h"
#include "views/preview_lists.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/window_layout.h"

namespace {

constexpr UINT_PTR ForwardRetryTimer = 1;
constexpr UINT_PTR IniCheckRetryTimer = 4;
constexpr UINT HeldRetryMs = 200;

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (!self) return FALSE;
        self->view_.controls.main = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) find no object yet.
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->OnMessage(msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
}

HWND MainWindow::Create(int width, int height, HMENU menu) {
    return CreateWindowExW(0, L"KestrovaneMainWnd", Tr("app_title").c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, menu, AppInstance, this);
}

bool MainWindow::ModelChanging() { return SaveIsRunning() || SectionReadRunning(); }

// Modal dialogs and message boxes disable the main window; popup menus and the
// save run their own loops. A file applied inside them would change the model
// under their feet; while the start reads its first tab there is no model yet.
void MainWindow::ApplyForwards() {
    HWND window = view_.controls.main;
    if (!IsWindowEnabled(window) || ModelHeld()) {
        SetTimer(window, ForwardRetryTimer, HeldRetryMs, nullptr);
        return;
    }
    KillTimer(window, ForwardRetryTimer);
    while (!pendingForwards_.empty()) {
        ForwardRequest request = std::move(pendingForwards_.front());
        pendingForwards_.pop_front();
        if (request.tag == TagInstall) {
            // Each package joins the install queue: a single slot would keep only the last one.
            InstallWhenFree(*this, window, request.path);
        } else {
            PvSetFile(view_, request.path, request.tag == TagLister);
        }
    }
}

LRESULT MainWindow::OnCopyData(WPARAM wParam, LPARAM lParam) {
    HWND window = view_.controls.main;
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    bool known = data && (data->dwData == TagInstall || data->dwData == TagLister || data->dwData == TagPreview);
    if (!known || data->cbData < 2 || !data->lpData) return DefWindowProcW(window, WM_COPYDATA, wParam, lParam);
    std::wstring path(static_cast<const wchar_t*>(data->lpData), data->cbData / 2);
    while (!path.empty() && path.back() == L'\0') path.pop_back();
    // Without a path an install would open the package picker, a preview would show nothing.
    if (path.empty()) return FALSE;
    // Applied after the sender's call returned, so the sender never waits on a check or a dialog.
    QueueForward(static_cast<uint32_t>(data->dwData), std::move(path));
    return TRUE;
}

void MainWindow::QueueForward(uint32_t tag, std::wstring path) {
    pendingForwards_.push_back({tag, std::move(path)});
    PostMessageW(view_.controls.main, WM_TIMER, ForwardRetryTimer, 0);
}

void MainWindow::OnStart() {
    DebugLog(L"start: loading");
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    bool reading = StartFillOnWorker(view_);
    SetCursor(old);
    if (!reading) FinishStart();
}

void MainWindow::FinishStart() {
    DebugLog(L"start: loaded");
    NoteStartMoment(StartFilled);
    DebugLog(StartTimesText());
    // The read may end inside a message box or a menu whose caller holds rows of the
    // tab: the files wait as a second copy's do. The Lister check is applied last
    // and is the mode left in force when both were given.
    if (!start_.previewFile.empty()) QueueForward(TagPreview, std::exchange(start_.previewFile, L""));
    if (!start_.listerFile.empty()) QueueForward(TagLister, std::exchange(start_.listerFile, L""));
    if (!start_.installPath.empty()) QueueForward(TagInstall, std::exchange(start_.installPath, L""));
}

bool MainWindow::OnClose() {
    HWND window = view_.controls.main;
    if (CountPendingChanges() > 0) {
        int answer = MessageBoxW(window, Tr("ask_close").c_str(), L"Kestrovane", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return false;
        if (answer == IDYES) {
            SaveChanges(*this, window);
            if (CountPendingChanges() > 0) return false;
        }
    }
    SaveWindowLayout(view_);
    return true;
}

void MainWindow::OnIniCheck() {
    HWND window = view_.controls.main;
    if (iniCheckBusy_ || ShownSectionKind < 0 || ShownSectionText.empty()) return;
    // The question waits as a handed-over file does: a reload under an open menu,
    // dialog or save would change the rows they hold.
    if (!IsWindowEnabled(window) || ModelHeld()) {
        SetTimer(window, IniCheckRetryTimer, HeldRetryMs, nullptr);
        return;
    }
    KillTimer(window, IniCheckRetryTimer);
    std::wstring text = PluginSectionText(ShownSectionKind);
    if (text.empty() || text == ShownSectionText) return;
    ShownSectionText = text;
    iniCheckBusy_ = true;
    std::wstring message = FillVar(Tr("ini_changed"), L"s", PlugSectionName(ShownSectionKind));
    int answer = Message(window, message, MB_YESNO | MB_ICONQUESTION);
    iniCheckBusy_ = false;
    if (answer == IDYES) SendMessageW(window, WM_COMMAND, CmdReload, 0);
}

void MainWindow::OnBackgroundDone(const BackgroundDoneMsg& done) {
    if (!done.background) {
        if (done.generation != ProbeGen.load()) return;
        ProbeDone = ProbeTotal;
    } else {
        if (done.generation != BgProbeGen.load()) return;
        EndBackgroundJob(static_cast<int>(done.kind));
    }
    StartInventoryUpdate(view_, static_cast<int>(done.kind));
    StartBackgroundProbe();
    if (done.background && view_.tabIsFindings) RefillFindings(view_);
    UpdateStatusBar();
}

void MainWindow::OnRefresh() {
    HWND exts = view_.controls.extList;
    if (view_.tabIsFindings) {
        RefillFindings(view_);
    } else {
        int top = exts ? ListView_GetTopIndex(exts) : 0;
        ShowDetails(view_, view_.detailRowShown);
        if (top > 0) {
            int count = ListView_GetItemCount(exts), perPage = ListView_GetCountPerPage(exts);
            ListView_EnsureVisible(exts, top + perPage > count ? count - 1 : top + perPage - 1, FALSE);
        }
        UpdateKeptRowTexts(view_.controls.pluginList);
    }
    UpdateStatusBar();
}

// The splitter between the tab area and the detail pane.
void MainWindow::TrackDetailSplitter(int y) {
    HWND window = view_.controls.main;
    RECT client{};
    GetClientRect(window, &client);
    int avail = DetailAreaBottom(view_);
    splitterTrackHeight_ =
        std::clamp(MulDiv(avail - y - UiScale(18) - UiScale(2) - UiScale(3), 96, UiDpi), 40, 1200);
    int maxH = avail - UiScale(18) - UiScale(160);
    int h = std::min(maxH, UiScale(splitterTrackHeight_));
    int barY = avail - std::max(UiScale(40), h) - UiScale(18) - UiScale(2);
    RECT bar{UiScale(8), barY - UiScale(6), client.right - UiScale(8), barY - UiScale(1)};
    UiSplitterTrack(view_, window, bar);
}

void MainWindow::EndDetailDrag(bool keep) {
    splitterDragging_ = false;
    UiSplitterErase(view_);
    if (!keep) return;
    ReleaseCapture();
    view_.detailHeight = splitterTrackHeight_;
    LayoutMainFrame(view_);
}

bool MainWindow::SetSplitterCursor() {
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(view_.controls.main, &pt);
    if (!splitterDragging_ && !UiOnSplitter(view_, pt.y)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
    return true;
}

namespace {

LRESULT ColorDetailBox(const MainView& view, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) == view.controls.detailBox && CurrentTheme->custom && ThemeBgBrush) {
        SetTextColor(reinterpret_cast<HDC>(wParam), CurrentTheme->slot[2]);
        SetBkColor(reinterpret_cast<HDC>(wParam), CurrentTheme->slot[1]);
        return reinterpret_cast<LRESULT>(ThemeBgBrush);
    }
    return DefWindowProcW(view.controls.main, msg, wParam, lParam);
}

}  // namespace

void MainWindow::OnCreate() {
    UiDpi = UiScreenDpi();
    CreateMainChildren(view_);
    ApplyColors(view_);
    NoteStartMoment(StartControls);
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND window = view_.controls.main;
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        // The sizes a hidden window goes through (its creation, the saved placement)
        // are laid out once, at the size it shows with.
        layoutPending_ = !IsWindowVisible(window);
        if (!layoutPending_) LayoutMainFrame(view_);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = DefWindowProcW(window, msg, wParam, lParam);
        if (layoutPending_ && IsWindowVisible(window)) {
            layoutPending_ = false;
            LayoutMainFrame(view_);
        }
        return result;
    }
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {UiScale(700), UiScale(420)};
        return 0;
    }
    case WM_DPICHANGED: {
        UiDpi = HIWORD(wParam);
        UiRebuildFonts(view_);
        DrawTabIcons(view_.controls.tabCtl);
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SYSCOLORCHANGE:
        ApplyColors(view_);
        break;
    case WM_ENTERSIZEMOVE:
        view_.inSizeMove = 1;
        break;
    case WM_EXITSIZEMOVE:
        if (view_.inSizeMove) {
            view_.inSizeMove = 0;
            LayoutPagePanes(view_);
        }
        break;
    case WM_ENTERMENULOOP:
        inMenuLoop_ = true;
        break;
    case WM_EXITMENULOOP:
        inMenuLoop_ = false;
        break;
    case WM_DRAWITEM:
        if (wParam == IdKeyBar) {
            PaintKeyBar(view_, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return ColorDetailBox(view_, msg, wParam, lParam);
    case WM_CLOSE:
        if (OnClose()) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ++ProbeGen;
        ++BgProbeGen;
        DropAnswers();
        if (UiFont) DeleteObject(std::exchange(UiFont, nullptr));
        if (UiFontFixed) DeleteObject(std::exchange(UiFontFixed, nullptr));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view_.controls.main = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT && SetSplitterCursor())
            return TRUE;
        break;
    case WM_LBUTTONDOWN:
        if (UiOnSplitter(view_, static_cast<short>(HIWORD(lParam)))) {
            splitterDragging_ = true;
            splitterTrackHeight_ = view_.detailHeight;
            SetCapture(window);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (splitterDragging_) TrackDetailSplitter(static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_LBUTTONUP:
        if (splitterDragging_) EndDetailDrag(true);
        return 0;
    case WM_CAPTURECHANGED:  // Esc or another window took the mouse: the old height stays
        if (splitterDragging_) EndDetailDrag(false);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (UiOnSplitter(view_, static_cast<short>(HIWORD(lParam)))) {
            view_.detailHeight = 76;
            LayoutMainFrame(view_);
        }
        return 0;
    case WM_COPYDATA:
        return OnCopyData(wParam, lParam);
    case WM_TIMER:
        if (wParam == ForwardRetryTimer) ApplyForwards();
        if (wParam == IniCheckRetryTimer) OnIniCheck();
        if (wParam == AnswersTimer) ApplyAnswers();
        if (wParam == InventoryWaitTimer) AskWaitingInventoryReads(view_);
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam) PostMessageW(window, MsgIniCheck, 0, 0);
        break;
    case WM_COMMAND:
        return RunCommand(*this, wParam, lParam);
    case WM_NOTIFY:
        return OnMainNotify(*this, wParam, lParam);
    case WM_CONTEXTMENU:
        return OnMainContextMenu(*this, wParam, lParam);
    case MsgRefresh:
        OnRefresh();
        return 0;
    case MsgStart:
        OnStart();
        return 0;
    case MsgIniCheck:
        OnIniCheck();
        return 0;
    case MsgFitPathColumn:
        FitPathColumn(view_);
        return 0;
    }
    if (TakeWorkerResult(msg, lParam)) return 0;
    return DefWindowProcW(window, msg, wParam, lParam);
}

// A posted record belongs to the window from the moment it arrives: owned here,
// handed to its handler and freed after it, whatever the handler does.
bool MainWindow::TakeWorkerResult(UINT msg, LPARAM lParam) {
    switch (msg) {
    case MsgProbeResult:
        TakeAnswer(TakePostedRecord<ProbeMsg>(lParam));
        return true;
    case MsgBackgroundDone:
        TakeAnswer(TakePostedRecord<BackgroundDoneMsg>(lParam));
        return true;
    case MsgDetailsResult:
        TakeAnswer(TakePostedRecord<DetailsMsg>(lParam));
        return true;
    case MsgFieldValues: {
        auto record = TakePostedRecord<FieldValuesMsg>(lParam);
        PvTakeAnswer(*this, record->generation, record->index, record->result);
        return true;
    }
    case MsgFieldList:
        OnFieldsResult(view_, *TakePostedRecord<FieldListMsg>(lParam));
        return true;
    case MsgInventoryRead:
        TakeInventoryRead(view_, *TakePostedRecord<InventoryReadMsg>(lParam));
        UpdateStatusBar();
        return true;
    case MsgSectionRead:
        TakeSectionRead(view_, *TakePostedRecord<SectionReadMsg>(lParam));
        FinishStart();
        return true;
    default:
        return false;
    }
}
