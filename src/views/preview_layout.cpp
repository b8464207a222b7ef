#include "views/preview_layout.h"

#include <algorithm>
#include <string>

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "foundation/texts.h"
#include "foundation/list_view.h"
#include "views/page_window.h"
#include "foundation/ui_globals.h"
#include "views/view_state.h"

int PvAreaTop = 0;

namespace {

void ShowIf(HWND window, bool show) {
    if (window) ShowWindow(window, show ? SW_SHOW : SW_HIDE);
}

void Place(HWND window, int x, int y, int w, int h) {
    if (window) SetWindowPos(window, nullptr, x, y, std::max(w, 0), std::max(h, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

int TextWidth(HWND window, HFONT font) {
    if (!window) return 0;
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font ? font : reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

std::wstring ContentIntroText() {
    if (PreviewFile.empty()) return Tr("pv_intro");
    if (!PvChoiceMade) {
        std::wstring text = FillVar(Tr("st_pvrunning"), L"i", std::to_wstring(PvAnswered));
        return FillVar(text, L"n", std::to_wstring(PvJobsPending));
    }
    return PvChecked.empty() ? Tr("pvv_novalues") : L"";
}

void ShowIntro(const MainControls& c, const std::wstring& text) {
    bool shown = TabIsPreview && !text.empty();
    if (shown) SetWindowTextW(c.pvIntro, text.c_str());
    ShowIf(c.pvIntro, shown);
}

}  // namespace

void ShowPreviewIntro(MainView& view) {
    const MainControls& c = view.controls;
    if (!c.pvIntro || !c.pvFieldList) return;
    if (PreviewMode == 1) {
        bool intro = TabIsPreview && PreviewFile.empty();
        ShowIntro(c, intro ? Tr("lv_intro") : L"");
        ShowIf(c.pvFieldList, false);
        ShowIf(c.pvPluginList, false);
        ShowIf(c.lvCheckList, TabIsPreview && !intro);
        return;
    }
    ShowIf(c.lvCheckList, false);
    std::wstring text = ContentIntroText();
    ShowIntro(c, text);
    ShowIf(c.pvFieldList, TabIsPreview && !IsWindowVisible(c.pvIntro));
    ShowIf(c.pvPluginList, TabIsPreview && !PreviewFile.empty() && PreviewSplitRatio >= 0.05);
}

void LayoutMainWindow(MainView& view, const RECT& rc, int p) {
    const MainControls& c = view.controls;
    bool content = PreviewMode == 0;
    for (HWND w : {c.pvFileLabel, c.pvPickContentBtn, c.pvPickListerBtn}) ShowIf(w, TabIsPreview);
    for (HWND w : {c.pvToggleBtn, c.pvEmptyCheck, c.pvUnitsCheck}) ShowIf(w, TabIsPreview && content);
    if (!TabIsPreview) {
        for (HWND w : {c.pvFieldList, c.pvIntro, c.pvPluginList, c.lvCheckList}) ShowIf(w, false);
        return;
    }
    const int h = UiScale(24), checkW = UiScale(170);
    int pickContent = std::max(TextWidth(c.pvPickContentBtn, UiFontSemibold) + UiScale(24), UiScale(110));
    int pickLister = std::max(TextWidth(c.pvPickListerBtn, UiFontSemibold) + UiScale(24), UiScale(110));
    int toggle = std::max(TextWidth(c.pvToggleBtn, nullptr) + UiScale(24), UiScale(130));
    Place(c.pvPickContentBtn, p, p, pickContent, h);
    int listerX = p + pickContent + UiScale(4);
    Place(c.pvPickListerBtn, listerX, p, pickLister, h);
    int labelX = listerX + pickLister + UiScale(8);
    int labelW = rc.right - labelX - p;
    if (content) labelW -= 2 * checkW + toggle + UiScale(6);
    labelW = std::max(labelW, UiScale(120));
    Place(c.pvFileLabel, labelX, p + UiScale(1), labelW, h - UiScale(2));
    if (content) {
        int emptyX = labelX + labelW + UiScale(8);
        Place(c.pvEmptyCheck, emptyX, p, checkW, h);
        int unitsX = emptyX + checkW;
        Place(c.pvUnitsCheck, unitsX, p, checkW - UiScale(8), h);
        Place(c.pvToggleBtn, unitsX + checkW - UiScale(2), p, toggle, h);
    }
    PvAreaTop = p + h + UiScale(4);
    int listH = rc.bottom - p - PvAreaTop;
    const int inset = UiScale(12);
    if (!content) {
        Place(c.lvCheckList, p, PvAreaTop, rc.right - 2 * p, listH);
        Place(c.pvIntro, p + inset, PvAreaTop + inset, std::max<int>(rc.right - 2 * p - 2 * inset, UiScale(100)),
              std::max(listH - 2 * inset, UiScale(60)));
        ShowPreviewIntro(view);
        ListViewFitLastColumn(c.lvCheckList);
        return;
    }
    int fieldX = p;
    if (!PreviewFile.empty()) {
        int w = UiDetailSplitX(rc.right);
        fieldX = p + w + UiScale(7);
        if (w > 0 && c.pvPluginList) {
            Place(c.pvPluginList, p, PvAreaTop, w, listH);
            ListView_SetColumnWidth(c.pvPluginList, 0,
                                    std::max(w - ListView_GetColumnWidth(c.pvPluginList, 1) - UiScale(22), UiScale(80)));
        }
    }
    int fieldW = rc.right - p - fieldX;
    Place(c.pvFieldList, fieldX, PvAreaTop, fieldW, listH);
    Place(c.pvIntro, fieldX + inset, PvAreaTop + inset, std::max(fieldW - 2 * inset, UiScale(100)),
          std::max(listH - 2 * inset, UiScale(60)));
    ShowPreviewIntro(view);
    ListViewFitLastColumn(c.pvFieldList);
}
