#include "shell/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <memory>

#include "analyses/content_preview.h"
#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "install/install_command.h"
#include "probe/background_probe.h"
#include "probe/post_record.h"
#include "probe_record/probe_result.h"
#include "shell/commands.h"
#include "shell/feature_wiring.h"
#include "shell/forward.h"
#include "shell/main_children.h"
#include "shell/main_layout.h"
#include "shell/menu_help.h"
#include "shell/notifications.h"
#include "shell/window_hooks.h"
#include "views/detail_pane.h"
#include "views/drawn_icons.h"
#include "views/key_bar.h"
#include "views/list_sort.h"
#include "foundation/list_view.h"
#include "views/lister_check_list.h"
#include "views/page_window.h"
#include "views/panes.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "foundation/themes.h"
#include "views/main_colors.h"
#include "views/findings_list.h"
#include "views/preview_file.h"
#include "views/preview_lists.h"
#include "foundation/ui_globals.h"
#include "views/view_state.h"
#include "views/window_layout.h"

std::wstring StartPreviewFile;
std::wstring StartListerFile;
std::wstring StartInstallPath;
MainWindowHooks WindowHooks;

namespace {

constexpr UINT_PTR ForwardRetryTimer = 1;
constexpr UINT ForwardRetryMs = 200;

uint8_t SplitterDragging = 0;
int32_t SplitterTrackHeight = 0;
uint8_t IniCheckBusy = 0;
uint8_t InMenuLoop = 0;

// A file sent by a second copy, waiting until no dialog, menu or save runs.
struct ForwardRequest {
    uint32_t tag;
    std::wstring path;
};
std::deque<ForwardRequest> PendingForwards;

// Modal dialogs and message boxes disable the main window; popup menus and the
// save run their own loops. A file applied inside them would change the model
// under their feet.
bool UiBusy(HWND window) { return !IsWindowEnabled(window) || InMenuLoop || SaveIsRunning(); }

void ApplyForwards(HWND window) {
    if (UiBusy(window)) {
        SetTimer(window, ForwardRetryTimer, ForwardRetryMs, nullptr);
        return;
    }
    KillTimer(window, ForwardRetryTimer);
    while (!PendingForwards.empty()) {
        ForwardRequest request = std::move(PendingForwards.front());
        PendingForwards.pop_front();
        if (request.tag == TagInstall) {
            // Each package joins the install queue: a single slot would keep only the last one.
            InstallWhenFree(MainWindowOf(window), window, request.path);
        } else {
            PvSetFile(MainWindowOf(window), request.path, request.tag == TagLister);
        }
    }
}

LRESULT OnCopyData(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    bool known = data && (data->dwData == TagInstall || data->dwData == TagLister || data->dwData == TagPreview);
    if (!known || data->cbData < 2 || !data->lpData) return DefWindowProcW(window, WM_COPYDATA, wParam, lParam);
    std::wstring path(static_cast<const wchar_t*>(data->lpData), data->cbData / 2);
    while (!path.empty() && path.back() == L'\0') path.pop_back();
    PendingForwards.push_back({static_cast<uint32_t>(data->dwData), std::move(path)});
    // Applied after the sender's call returned, so the sender never waits on a check or a dialog.
    PostMessageW(window, WM_TIMER, ForwardRetryTimer, 0);
    return TRUE;
}

void OnStart(HWND window) {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    DebugLog(L"start: loading");
    MainWindow& app = MainWindowOf(window);
    FillTab(app);
    DebugLog(L"start: loaded");
    SetCursor(old);
    if (!StartPreviewFile.empty()) PvSetFile(app, std::exchange(StartPreviewFile, L""), false);
    if (!StartListerFile.empty()) PvSetFile(app, std::exchange(StartListerFile, L""), true);
    if (!StartInstallPath.empty()) PostMessageW(window, MsgInstall, 0, 0);
}

void OnInstall(HWND window) {
    std::wstring path = std::exchange(StartInstallPath, L"");
    if (!path.empty()) InstallWhenFree(MainWindowOf(window), window, path);
}

bool OnClose(HWND window) {
    if (CountPendingChanges() > 0) {
        int answer = MessageBoxW(window, Tr("ask_close").c_str(), L"Kestrovane", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return false;
        if (answer == IDYES) {
            SaveChanges(MainWindowOf(window), window);
            if (CountPendingChanges() > 0) return false;
        }
    }
    SaveWindowLayout(window);
    return true;
}

void OnIniCheck(HWND window) {
    if (IniCheckBusy || SaveIsRunning() || ShownSectionKind < 0 || ShownSectionText.empty()) return;
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_DISABLED) return;
    std::wstring text = PluginSectionText(ShownSectionKind);
    if (text.empty() || text == ShownSectionText) return;
    ShownSectionText = text;
    IniCheckBusy = 1;
    std::wstring message = FillVar(Tr("ini_changed"), L"s", PlugSectionName(ShownSectionKind));
    int answer = MessageBoxW(window, message.c_str(), L"Kestrovane", MB_YESNO | MB_ICONQUESTION);
    IniCheckBusy = 0;
    if (answer == IDYES) SendMessageW(window, WM_COMMAND, CmdReload, 0);
}

void OnProbeResult(std::unique_ptr<ProbeMsg> msg) {
    if (ProbeResultMayEnterCache(*msg)) ProbeCache[KindKey(static_cast<int>(msg->kind), msg->path)] = msg->result;
    if (msg->row < 0 || msg->generation != ProbeGen.load() || static_cast<size_t>(msg->row) >= TabEntries.size())
        return;
    PlugEntry& entry = TabEntries[msg->row];
    if (entry.expandedPath != msg->path) return;
    ApplyProbeResult(entry, msg->result);
    ++ProbeDone;
    UpdateRowStatusCells(msg->row);
    if (msg->row == PluginListSelection()) ShowDetails(msg->row);
    if (UpdateStatusBar) UpdateStatusBar();
    if (ProbeDone >= ProbeTotal) ListViewSortApply(PluginList);
}

void OnBackgroundDone(MainWindow& app, std::unique_ptr<BackgroundDoneMsg> done) {
    if (!done->background) {
        if (done->generation != ProbeGen.load()) return;
        ProbeDone = ProbeTotal;
        if (TabCtl) app.UpdateInventory(TabCtrl_GetCurSel(TabCtl));
    } else {
        if (done->generation != BgProbeGen.load()) return;
        BgProbeRunning = 0;
        app.UpdateInventory(static_cast<int>(done->kind));
    }
    StartBackgroundProbe(app);
    if (done->background && TabIsFindings) FillFindingsList(FindingsList);
    if (UpdateStatusBar) UpdateStatusBar();
}

void OnRefresh() {
    if (TabIsFindings) {
        FillFindingsList(FindingsList);
    } else {
        int top = ExtList ? ListView_GetTopIndex(ExtList) : 0;
        ShowDetails(DetailRowShown);
        if (top > 0) {
            int count = ListView_GetItemCount(ExtList), perPage = ListView_GetCountPerPage(ExtList);
            ListView_EnsureVisible(ExtList, top + perPage > count ? count - 1 : top + perPage - 1, FALSE);
        }
        if (WindowHooks.updateKeptRowTexts) WindowHooks.updateKeptRowTexts();
    }
    if (UpdateStatusBar) UpdateStatusBar();
}

// Records a lower layer could not hand on are freed here, exactly once.
template <typename Record>
void HandOver(LPARAM lParam, const std::function<void(Record*)>& hook) {
    auto* record = reinterpret_cast<Record*>(lParam);
    if (hook) hook(record);
    else delete record;
}

void OnFieldValues(MainWindow& app, LPARAM lParam) {
    std::unique_ptr<FieldValuesMsg> record(reinterpret_cast<FieldValuesMsg*>(lParam));
    PvTakeAnswer(app, record->generation, record->index, record->result);
}

// The splitter between the tab area and the detail pane.
void TrackDetailSplitter(HWND window, int y) {
    RECT client{};
    GetClientRect(window, &client);
    int avail = DetailAreaBottom(window);
    SplitterTrackHeight =
        std::clamp(MulDiv(avail - y - UiScale(18) - UiScale(2) - UiScale(3), 96, UiDpi), 40, 1200);
    int maxH = avail - UiScale(18) - UiScale(160);
    int h = std::min(maxH, UiScale(SplitterTrackHeight));
    int barY = avail - std::max(UiScale(40), h) - UiScale(18) - UiScale(2);
    RECT bar{UiScale(8), barY - UiScale(6), client.right - UiScale(8), barY - UiScale(1)};
    UiSplitterTrack(window, bar);
}

void EndDetailDrag(HWND window, bool keep) {
    SplitterDragging = 0;
    UiSplitterErase();
    if (!keep) return;
    ReleaseCapture();
    DetailHeight = SplitterTrackHeight;
    LayoutMainFrame(window);
}

bool SetSplitterCursor(HWND window) {
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(window, &pt);
    if (!SplitterDragging && !UiOnSplitter(window, pt.y)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
    return true;
}

LRESULT ColorDetailBox(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) == DetailBox && CurrentTheme->custom && ThemeBgBrush) {
        SetTextColor(reinterpret_cast<HDC>(wParam), CurrentTheme->slot[2]);
        SetBkColor(reinterpret_cast<HDC>(wParam), CurrentTheme->slot[1]);
        return reinterpret_cast<LRESULT>(ThemeBgBrush);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

// What the tab fill and the status bar need of the window and its hooks.
void ConnectTabFill(MainWindow& app) {
    UpdateStatusBar = [] { ShowStatusText(ProbeDone, ProbeTotal); };
    FillHooks.setDetailMargins = UiSetDetailMargins;
    FillHooks.startBackgroundProbe = [&app] { StartBackgroundProbe(app); };
    FillHooks.updateInventory = [&app](int kind) { app.UpdateInventory(kind); };
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (!self) return FALSE;
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) find no object yet.
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->OnMessage(msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
}

MainWindow& MainWindowOf(HWND window) {
    return *reinterpret_cast<MainWindow*>(GetWindowLongPtrW(GetAncestor(window, GA_ROOT), GWLP_USERDATA));
}

HWND MainWindow::Create(int width, int height, HMENU menu) {
    return CreateWindowExW(0, L"KestrovaneMainWnd", Tr("app_title").c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, menu, AppInstance, this);
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND window = window_;
    switch (msg) {
    case WM_CREATE:
        MainWnd = window;
        UiDpi = UiScreenDpi();
        LayoutPanes = LayoutPagePanes;
        ConnectTabFill(*this);
        WireFeatures(window);
        CreateMainChildren(window);
        ApplyColors();
        return 0;
    case WM_SIZE:
        LayoutMainFrame(window);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {UiScale(700), UiScale(420)};
        return 0;
    }
    case WM_DPICHANGED: {
        UiDpi = HIWORD(wParam);
        UiRebuildFonts();
        DrawTabIcons();
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SYSCOLORCHANGE:
        ApplyColors();
        break;
    case WM_ENTERSIZEMOVE:
        InSizeMove = 1;
        break;
    case WM_EXITSIZEMOVE:
        if (InSizeMove) {
            InSizeMove = 0;
            LayoutPagePanes();
        }
        break;
    case WM_ENTERMENULOOP:
        InMenuLoop = 1;
        break;
    case WM_EXITMENULOOP:
        InMenuLoop = 0;
        break;
    case WM_DRAWITEM:
        if (wParam == IdKeyBar) {
            PaintKeyBar(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return ColorDetailBox(window, msg, wParam, lParam);
    case WM_CLOSE:
        if (OnClose(window)) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ++ProbeGen;
        ++BgProbeGen;
        if (UiFont) DeleteObject(std::exchange(UiFont, nullptr));
        if (UiFontFixed) DeleteObject(std::exchange(UiFontFixed, nullptr));
        MainWnd = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        window_ = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT && SetSplitterCursor(window))
            return TRUE;
        break;
    case WM_LBUTTONDOWN:
        if (UiOnSplitter(window, static_cast<short>(HIWORD(lParam)))) {
            SplitterDragging = 1;
            SplitterTrackHeight = DetailHeight;
            SetCapture(window);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (SplitterDragging) TrackDetailSplitter(window, static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_LBUTTONUP:
        if (SplitterDragging) EndDetailDrag(window, true);
        return 0;
    case WM_CAPTURECHANGED:  // Esc or another window took the mouse: the old height stays
        if (SplitterDragging) EndDetailDrag(window, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (UiOnSplitter(window, static_cast<short>(HIWORD(lParam)))) {
            DetailHeight = 76;
            LayoutMainFrame(window);
        }
        return 0;
    case WM_COPYDATA:
        return OnCopyData(window, wParam, lParam);
    case WM_TIMER:
        if (wParam == ForwardRetryTimer) ApplyForwards(window);
        return 0;
    case WM_ACTIVATEAPP:
        if (wParam) PostMessageW(window, MsgIniCheck, 0, 0);
        break;
    case WM_COMMAND:
        return OnMainCommand(window, wParam, lParam);
    case WM_NOTIFY:
        return OnMainNotify(window, wParam, lParam);
    case WM_CONTEXTMENU:
        return OnMainContextMenu(window, wParam, lParam);
    case MsgProbeResult:
        OnProbeResult(std::unique_ptr<ProbeMsg>(reinterpret_cast<ProbeMsg*>(lParam)));
        return 0;
    case MsgBackgroundDone:
        OnBackgroundDone(*this, TakePostedRecord<BackgroundDoneMsg>(lParam));
        return 0;
    case MsgRefresh:
        OnRefresh();
        return 0;
    case MsgStart:
        OnStart(window);
        return 0;
    case MsgDetailsResult:
        HandOver(lParam, WindowHooks.applyExtraColValues);
        return 0;
    case MsgIniCheck:
        OnIniCheck(window);
        return 0;
    case MsgFieldValues:
        OnFieldValues(*this, lParam);
        return 0;
    case MsgFitPathColumn:
        FitPathColumn();
        return 0;
    case MsgFieldList:
        HandOver(lParam, WindowHooks.onFieldsResult);
        return 0;
    case MsgInstall:
        OnInstall(window);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
