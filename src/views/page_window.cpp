#include "views/page_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "analyses/content_preview.h"
#include "analyses/inventory.h"
#include "analyses/preview_state.h"
#include "views/cell_hilite.h"
#include "views/inventory_list.h"
#include "analyses/detect_notes.h"
#include "foundation/data_folder.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "foundation/list_view.h"
#include "foundation/virtual_list.h"
#include "views/list_rows.h"
#include "views/preview_layout.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"

namespace {

constexpr int SplitterWidth = 7;
constexpr int StripHeight = 20;

bool PluginTab(const MainView& view) { return !view.tabIsPreview && !view.tabIsFindings && !view.tabIsInventory; }

int ClientWidth(HWND window) {
    RECT rc{};
    GetClientRect(window, &rc);
    return rc.right;
}

int InnerWidth(int clientWidth) { return clientWidth - 2 * UiScale3() - UiScale(SplitterWidth); }

int SplitXForRatio(int clientWidth, double ratio, bool preview) {
    int inner = InnerWidth(clientWidth);
    if (preview) {
        if (ratio < 0.05) return 0;
        int x = std::min(static_cast<int>(inner * ratio), inner - UiScale(300));
        return std::max(x, UiScale(140));
    }
    int x = std::min(static_cast<int>(inner * ratio), inner - UiScale(150));
    return std::max(x, UiScale(150));
}

double& ShownRatio(MainView& view) { return view.tabIsPreview ? view.previewSplitRatio : view.splitRatio; }

void Place(HWND window, int x, int y, int w, int h) {
    if (window) SetWindowPos(window, nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowIf(HWND window, bool show) {
    if (window) ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

HBRUSH HalftoneBrush() {
    static HBRUSH brush = [] {
        WORD rows[8];
        for (int i = 0; i < 8; ++i) rows[i] = (i % 2) ? 0xAA : 0x55;
        HBITMAP bits = CreateBitmap(8, 8, 1, 1, rows);
        HBRUSH made = CreatePatternBrush(bits);
        DeleteObject(bits);
        return made;
    }();
    return brush;
}

// The preview tab's split is kept in per mille while the preview tab is shown.
void SavePreviewSplit(const MainView& view) {
    if (!view.tabIsPreview) return;
    std::wstring perMille = std::to_wstring(static_cast<int>(view.previewSplitRatio * 1000.0));
    WriteSettingsIniValue(L"Window", L"PreviewSplit", perMille.c_str());
}

void ApplyRatio(MainView& view, double ratio) {
    ShownRatio(view) = ratio;
    SavePreviewSplit(view);
    LayoutPagePanes(view);
}

void TrackDrag(MainView& view, HWND page, int mouseX) {
    int width = ClientWidth(page);
    int inner = InnerWidth(width);
    if (inner < 1) return;
    int x = mouseX - UiScale3() - UiScale(SplitterWidth) / 2;
    if (view.tabIsPreview) view.pageDrag.ratio = x < UiScale(70) ? 0 : std::min(static_cast<double>(x) / inner, 0.6);
    else view.pageDrag.ratio = std::clamp(static_cast<double>(x) / inner, 0.15, 0.85);
    RECT client{};
    GetClientRect(page, &client);
    int barX = UiScale3() + SplitXForRatio(width, view.pageDrag.ratio, view.tabIsPreview);
    RECT rect{barX, view.tabIsPreview ? view.pvAreaTop : client.top + UiScale3(), barX + UiScale(SplitterWidth),
              client.bottom - UiScale3()};
    UiSplitterTrack(view, page, rect);
}

void PaintMarksStrip(const MainView& view, const DRAWITEMSTRUCT* draw) {
    HDC dc = draw->hDC;
    RECT rc = draw->rcItem;
    bool custom = CurrentTheme->custom && ThemeBgBrush;
    FillRect(dc, &rc, custom ? ThemeBgBrush : GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, UiFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ThemeTextColor());
    struct Mark {
        int bit;
        const char* key;
        int slot;
    };
    const Mark marks[] = {{1, "lgm_new", 5}, {2, "lgm_removed", 6}, {4, "lgm_folder", 7}, {8, "lgm_greedy", 17}};
    int x = rc.left + UiScale(2);
    for (const Mark& mark : marks) {
        if (!(view.marksShown & mark.bit)) continue;
        int box = UiScale(10);
        RECT square{x, rc.top + (rc.bottom - rc.top - box) / 2, x + box, 0};
        square.bottom = square.top + box;
        HBRUSH fill = CreateSolidBrush(CurrentTheme->slot[mark.slot]);
        FillRect(dc, &square, fill);
        DeleteObject(fill);
        if (mark.bit == 1) FrameRect(dc, &square, GetSysColorBrush(COLOR_GRAYTEXT));
        std::wstring text = Tr(mark.key);
        RECT textRect{x + box + UiScale(5), rc.top, rc.right, rc.bottom};
        DrawTextW(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        x = textRect.left + size.cx + UiScale(14);
    }
    if (view.marksShown) {
        SetTextColor(dc, CurrentTheme->custom ? CurrentTheme->slot[12] : GetSysColor(COLOR_GRAYTEXT));
        RECT hint{x, rc.top, rc.right - UiScale(2), rc.bottom};
        std::wstring text = Tr("mk_more");
        DrawTextW(dc, text.c_str(), -1, &hint, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldFont);
}

LRESULT ColorControl(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (CurrentTheme->custom && ThemeBgBrush) {
        SetTextColor(dc, CurrentTheme->slot[2]);
        SetBkColor(dc, CurrentTheme->slot[1]);
        return reinterpret_cast<LRESULT>(ThemeBgBrush);
    }
    if (msg == WM_CTLCOLOREDIT) return DefWindowProcW(page, msg, wParam, lParam);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

bool SetPageCursor(const MainView& view, HWND page, WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) == page) {
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(page, &pt);
        if (view.pageDrag.active || UiOnDetailSplitter(view, pt.x, pt.y)) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return true;
        }
    }
    bool querying = view.tabIsPreview && view.previewMode == 0 && !PreviewFile.empty() && !PvChoiceMade;
    if (querying && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return true;
    }
    return false;
}

}  // namespace

int UiScale3() { return UiScale(3); }

int UiDetailSplitX(const MainView& view, int clientWidth) {
    return SplitXForRatio(clientWidth, view.tabIsPreview ? view.previewSplitRatio : view.splitRatio, view.tabIsPreview);
}

bool UiOnDetailSplitter(const MainView& view, int x, int y) {
    if (view.tabIsInventory || view.tabIsFindings || !view.controls.pageWnd) return false;
    if (view.tabIsPreview && (view.previewMode == 1 || PreviewFile.empty() || (y >= 0 && y < view.pvAreaTop)))
        return false;
    int left = UiScale3() + UiDetailSplitX(view, ClientWidth(view.controls.pageWnd));
    return left <= x && x < left + UiScale(SplitterWidth);
}

void UiSplitterBar(HWND window, const RECT& rect) {
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, HalftoneBrush());
    PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATINVERT);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

void UiSplitterTrack(MainView& view, HWND window, const RECT& rect) {
    FeedbackBar& bar = view.splitterBar;
    if (bar.drawn && bar.window == window && EqualRect(&bar.rect, &rect)) return;
    UiSplitterErase(view);
    UiSplitterBar(window, rect);
    bar = {window, rect, true};
}

void UiSplitterErase(MainView& view) {
    FeedbackBar& bar = view.splitterBar;
    if (bar.drawn) UiSplitterBar(bar.window, bar.rect);
    bar.drawn = false;
}

void UpdateMarksStrip(MainView& view) {
    if (!view.controls.marksStrip) return;
    int32_t marks = TabMarks(view);
    if (marks == view.marksShown) return;
    view.marksShown = marks;
    InvalidateRect(view.controls.marksStrip, nullptr, TRUE);
}

int32_t TabMarks(const MainView& view) {
    int32_t marks = 0;
    if (view.tabIsInventory) {
        for (int32_t mark : view.invRowMarks)
            if (mark == InvMarkNew || mark == InvMarkRemoved) marks |= mark;
        return marks;
    }
    if (!PluginTab(view)) return 0;
    for (const PlugEntry& entry : TabEntries) {
        if (EntryMarkedDelete(entry)) continue;
        if (EntryIsNew(static_cast<int>(entry.kind), entry)) marks |= 1;
        if (InWrongFolder(entry)) marks |= 4;
        if (entry.kind == KindLister) {
            EntryReach reach = DetectReachOfEntry(entry);
            if (reach.valid && reach.reach >= 2) marks |= 8;
        }
    }
    return marks;
}

void FitPathColumn(MainView& view) {
    ListViewFitPaths(view.controls.pluginList, UiScale(12));
}

void UiGridCell(RECT& cell, const RECT& rect, int i, int n) {
    int gap = UiScale(4);
    int width = (rect.right - rect.left - (n - 1) * gap) / std::max(n, 1);
    cell = rect;
    cell.left = rect.left + i * (width + gap);
    cell.right = i == n - 1 ? rect.right : cell.left + width;
}

void LayoutPagePanes(MainView& view) {
    const MainControls& c = view.controls;
    if (!c.pageWnd) return;
    RECT rc{};
    GetClientRect(c.pageWnd, &rc);
    int m = UiScale3(), s = UiScale(SplitterWidth), strip = UiScale(StripHeight);
    int width = rc.right, height = rc.bottom - 2 * m;
    if (width < UiScale(320) || height < UiScale(40)) return;
    bool plugins = PluginTab(view);
    // A list shown is placed first: sized while visible, it costs far more.
    const std::pair<HWND, bool> lists[] = {{c.inventoryList, view.tabIsInventory},
                                           {c.findingsList, view.tabIsFindings},
                                           {c.pluginList, plugins},
                                           {c.extList, plugins}};
    for (const auto& [list, shown] : lists)
        if (!shown) ShowIf(list, false);
    LayoutMainWindow(view, rc, m);
    if (view.tabIsPreview) return;
    if (view.tabIsFindings) {
        ShowIf(c.marksStrip, false);
        Place(c.findingsList, m, m, width - 2 * m, height);
        ListViewFitLastColumn(c.findingsList);
    } else if (view.tabIsInventory) {
        ShowIf(c.marksStrip, true);
        Place(c.marksStrip, m, m + height - strip, width - 2 * m, strip);
        Place(c.inventoryList, m, m, width - 2 * m, height - strip);
        ListViewFitLastColumn(c.inventoryList);
    } else {
        int x = UiDetailSplitX(view, width);
        ShowIf(c.marksStrip, true);
        Place(c.pluginList, m, m, x, height - strip);
        Place(c.marksStrip, m, m + height - strip, x, strip);
        Place(c.extList, x + m + s, m, width - 2 * m - x - s, height);
        ListViewFitLastColumn(c.pluginList);
        ListViewFitLastColumn(c.extList);
    }
    for (const auto& [list, shown] : lists)
        if (shown) ShowIf(list, true);
    UpdateMarksStrip(view);
    if (!plugins) return;
    if (view.inSizeMove) {
        RedrawWindow(c.pluginList, nullptr, nullptr, RDW_INVALIDATE);
        RedrawWindow(c.extList, nullptr, nullptr, RDW_INVALIDATE);
        return;
    }
    FitPathColumn(view);
    RedrawWindow(c.pluginList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    RedrawWindow(c.extList, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

namespace {

// The main window draws the rows; the search hits go over what it drew.
LRESULT ForwardNotify(const MainView& view, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (LRESULT answer = 0; ListViewAnswerRows(header, answer)) return answer;
    HWND main = view.controls.main;
    LRESULT result = main ? SendMessageW(main, WM_NOTIFY, wParam, lParam) : 0;
    if (view.searchPaint.text.empty() || header->code != NM_CUSTOMDRAW || header->hwndFrom != UiCurrentList(view))
        return result;
    const auto* draw = reinterpret_cast<const NMLVCUSTOMDRAW*>(lParam);
    if (draw->dwItemType == LVCDI_GROUP) return result;
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && !(result & CDRF_SKIPDEFAULT)) result |= CDRF_NOTIFYPOSTPAINT;
    else if (draw->nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT) DrawCellHilite(view, draw);
    return result;
}

}  // namespace

LRESULT CALLBACK PageWndProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(page, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* found = reinterpret_cast<MainView*>(GetWindowLongPtrW(page, GWLP_USERDATA));
    if (!found) return DefWindowProcW(page, msg, wParam, lParam);
    MainView& view = *found;
    switch (msg) {
    case WM_SIZE:
        LayoutPagePanes(view);
        return 0;
    case WM_ERASEBKGND:
        if (CurrentTheme->custom && ThemeBgBrush) {
            RECT rc{};
            GetClientRect(page, &rc);
            FillRect(reinterpret_cast<HDC>(wParam), &rc, ThemeBgBrush);
            return 1;
        }
        break;
    case WM_SETCURSOR:
        if (SetPageCursor(view, page, wParam, lParam)) return TRUE;
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return ColorControl(page, msg, wParam, lParam);
    case WM_NOTIFY:
        return ForwardNotify(view, wParam, lParam);
    case WM_COMMAND:
    case WM_CONTEXTMENU:
        return view.controls.main ? SendMessageW(view.controls.main, msg, wParam, lParam) : 0;
    case WM_DRAWITEM:
        if (wParam == IdMarksStrip) {
            PaintMarksStrip(view, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        if (UiOnDetailSplitter(view, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
            view.pageDrag = {true, ShownRatio(view)};
            SetCapture(page);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (view.pageDrag.active) TrackDrag(view, page, static_cast<short>(LOWORD(lParam)));
        return 0;
    case WM_LBUTTONUP:
        if (view.pageDrag.active) {
            view.pageDrag.active = false;
            UiSplitterErase(view);
            ReleaseCapture();
            ApplyRatio(view, view.pageDrag.ratio);
        }
        return 0;
    case WM_CAPTURECHANGED:  // a lost capture cancels the drag
        if (view.pageDrag.active) {
            view.pageDrag.active = false;
            UiSplitterErase(view);
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        if (UiOnDetailSplitter(view, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
            ApplyRatio(view, view.tabIsPreview ? 0.25 : 0.45);
        }
        return 0;
    }
    return DefWindowProcW(page, msg, wParam, lParam);
}
