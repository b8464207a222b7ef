#include "shell/main_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "foundation/settings.h"
#include "views/main_view.h"
#include "foundation/ui_globals.h"
#include "views/window_layout.h"

namespace {

struct Placement {
    HWND window;
    int x, y, w, h;
    UINT flags;
};

constexpr int Margin = 8;
constexpr int LabelHeight = 18;
constexpr int KeyBarHeight = 28;

bool KeyBarShown(const MainControls& c) { return c.keyBar && GetSetting(L"View", L"KeyBar") != L"0"; }

int StatusBarHeight(const MainControls& c) {
    RECT rc{};
    if (c.statusBar) GetWindowRect(c.statusBar, &rc);
    return rc.bottom - rc.top;
}

void ApplyPlacements(const std::vector<Placement>& list) {
    HDWP batch = BeginDeferWindowPos(static_cast<int>(list.size()));
    for (const Placement& p : list) {
        if (!batch) break;
        batch = DeferWindowPos(batch, p.window, nullptr, p.x, p.y, std::max(p.w, 0), std::max(p.h, 0), p.flags);
    }
    if (batch && EndDeferWindowPos(batch)) return;
    for (const Placement& p : list)
        SetWindowPos(p.window, nullptr, p.x, p.y, std::max(p.w, 0), std::max(p.h, 0), p.flags);
}

void PlaceSearchRow(const MainControls& c, std::vector<Placement>& list, int width) {
    const int m = UiScale(Margin), row = UiScale(22);
    RECT header{};
    if (int tabs = TabCtrl_GetItemCount(c.tabCtl); tabs > 0) TabCtrl_GetItemRect(c.tabCtl, tabs - 1, &header);
    int y = m + header.top + (header.bottom - header.top - row) / 2;
    int right = width - m - UiScale(2);
    int start = header.right + m + UiScale(12);
    const int buttons = UiScale(68), labelW = UiScale(54), minEdit = UiScale(90);
    int withLabel = right - start - buttons - UiScale(4) - labelW - UiScale(4);
    bool labelShown = withLabel >= minEdit;
    int free = labelShown ? withLabel : right - start - buttons - UiScale(4);
    int edit = std::max(std::min(free, UiScale(160)), minEdit);
    int leftover = std::max(free - edit, 0);
    int status = std::min(leftover, UiScale(176));
    edit = std::min(edit + std::min(leftover - status, UiScale(60)), UiScale(220));
    int buttonsX = right - status - buttons;
    int editX = buttonsX - UiScale(2) - edit;
    constexpr UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
    list.push_back({c.searchLabel, editX - UiScale(4) - labelW, y, labelW, row,
                    flags | (labelShown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW)});
    list.push_back({c.searchEdit, editX, y, edit, row, flags});
    HWND searchButtons[3] = {c.searchPrevBtn, c.searchNextBtn, c.searchClearBtn};
    for (int i = 0; i < 3; ++i)
        if (searchButtons[i]) list.push_back({searchButtons[i], buttonsX + i * UiScale(23), y, row, row, flags});
    int statusW = std::max(status - UiScale(6), 0);
    list.push_back({c.searchStatus, right - status + UiScale(6), y, statusW, row,
                    flags | (statusW >= UiScale(60) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW)});
}

void RedrawSearchStrip(const MainControls& c, int width) {
    HWND main = c.main;
    const int m = UiScale(Margin);
    RECT header{};
    if (int tabs = TabCtrl_GetItemCount(c.tabCtl); tabs > 0) TabCtrl_GetItemRect(c.tabCtl, tabs - 1, &header);
    int rowY = m + header.top + (header.bottom - header.top - UiScale(22)) / 2;
    RECT strip{header.right + m, m, width, std::max<int>(rowY - m + UiScale(22), header.bottom) + m + UiScale(2)};
    if (!IsRectEmpty(&strip)) RedrawWindow(main, &strip, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

int DetailAreaBottom(const MainView& view) {
    const MainControls& c = view.controls;
    RECT client{};
    GetClientRect(c.main, &client);
    int bottom = client.bottom - StatusBarHeight(c);
    if (KeyBarShown(c)) bottom -= UiScale(KeyBarHeight);
    return bottom - UiScale(Margin);
}

void LayoutMainFrame(const MainView& view) {
    const MainControls& c = view.controls;
    RECT client{};
    GetClientRect(c.main, &client);
    const int width = client.right, height = client.bottom, m = UiScale(Margin);
    if (c.statusBar) SendMessageW(c.statusBar, WM_SIZE, 0, 0);
    int sb = StatusBarHeight(c);
    if (KeyBarShown(c)) {
        int kb = UiScale(KeyBarHeight);
        SetWindowPos(c.keyBar, nullptr, m, height - sb - kb + UiScale(2), width - 2 * m, kb - UiScale(5),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(c.keyBar, nullptr, FALSE);
    } else if (c.keyBar) {
        ShowWindow(c.keyBar, SW_HIDE);
    }
    const int bottom = DetailAreaBottom(view);
    const int label = UiScale(LabelHeight);
    int dh = std::max(UiScale(40), std::min(bottom - label - UiScale(160), UiScale(view.detailHeight)));
    int labelTop = bottom - dh - label - UiScale(2);
    int tabH = labelTop - UiScale(6) - m;
    // Too small to hold the tabs: everything but the bars stays where it was.
    if (tabH < 50 || width < 100) return;
    std::vector<Placement> list;
    constexpr UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (c.tabCtl) list.push_back({c.tabCtl, m, m, width - 2 * m, tabH, flags});
    RECT display{0, 0, width - 2 * m, tabH};
    if (c.tabCtl) TabCtrl_AdjustRect(c.tabCtl, FALSE, &display);
    if (c.pageWnd)
        list.push_back({c.pageWnd, display.left + m + 1, display.top + m + 1, display.right - display.left - 2,
                        display.bottom - display.top - 2, flags});
    if (c.detailLabel) list.push_back({c.detailLabel, m, labelTop, width - 2 * m, label, flags});
    if (c.detailBox) list.push_back({c.detailBox, m, bottom - dh, width - 2 * m, dh, flags});
    ApplyPlacements(list);
    if (c.searchEdit && c.tabCtl) {
        // Measured only once the tab control has its new size: a tab control that was
        // narrower (at creation it has none) may still hold its headers squeezed.
        std::vector<Placement> row;
        PlaceSearchRow(c, row, width);
        ApplyPlacements(row);
        RedrawSearchStrip(c, width);
    }
}

bool UiOnSplitter(const MainView& view, int y) {
    const MainControls& c = view.controls;
    HWND main = c.main;
    if (!c.tabCtl || !c.detailLabel) return false;
    RECT tab{}, label{};
    GetWindowRect(c.tabCtl, &tab);
    GetWindowRect(c.detailLabel, &label);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&tab), 2);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&label), 2);
    return tab.bottom - UiScale(2) <= y && y < label.top + UiScale(2);
}
