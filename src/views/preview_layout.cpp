#include "views/preview_layout.h"

#include <algorithm>
#include <string>

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "analyses/preview_texts.h"
#include "foundation/handles.h"
#include "foundation/texts.h"
#include "foundation/list_view.h"
#include "views/page_window.h"
#include "foundation/ui_globals.h"

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
    WindowDc dc(window);
    SelectedObject selected(dc.Get(), font ? font : reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text, static_cast<int>(wcslen(text)), &size);
    return size.cx;
}

std::wstring ContentIntroText() {
    if (PreviewFile.empty()) return Tr("pv_intro");
    if (!PvChoiceMade) {
        return PvRunningText();
    }
    return PvChecked.empty() ? Tr("pvv_novalues") : L"";
}

void ShowIntro(const MainView& view, const std::wstring& text) {
    bool shown = view.tabIsPreview && !text.empty();
    if (shown) SetWindowTextW(view.controls.pvIntro, text.c_str());
    ShowIf(view.controls.pvIntro, shown);
}

}  // namespace

void ShowPreviewIntro(MainView& view) {
    const MainControls& c = view.controls;
    if (!c.pvIntro || !c.pvFieldList) return;
    if (view.previewMode == 1) {
        bool intro = view.tabIsPreview && PreviewFile.empty();
        ShowIntro(view, intro ? Tr("lv_intro") : L"");
        ShowIf(c.pvFieldList, false);
        ShowIf(c.pvPluginList, false);
        ShowIf(c.lvCheckList, view.tabIsPreview && !intro);
        return;
    }
    ShowIf(c.lvCheckList, false);
    std::wstring text = ContentIntroText();
    ShowIntro(view, text);
    ShowIf(c.pvFieldList, view.tabIsPreview && !IsWindowVisible(c.pvIntro));
    ShowIf(c.pvPluginList, view.tabIsPreview && !PreviewFile.empty() && view.previewSplitRatio >= 0.05);
}

void LayoutMainWindow(MainView& view, const RECT& rc, int p) {
    const MainControls& c = view.controls;
    bool content = view.previewMode == 0;
    for (HWND w : {c.pvFileLabel, c.pvPickContentBtn, c.pvPickListerBtn}) ShowIf(w, view.tabIsPreview);
    for (HWND w : {c.pvToggleBtn, c.pvEmptyCheck, c.pvUnitsCheck}) ShowIf(w, view.tabIsPreview && content);
    if (!view.tabIsPreview) {
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
    view.pvAreaTop = p + h + UiScale(4);
    int listH = rc.bottom - p - view.pvAreaTop;
    const int inset = UiScale(12);
    if (!content) {
        Place(c.lvCheckList, p, view.pvAreaTop, rc.right - 2 * p, listH);
        Place(c.pvIntro, p + inset, view.pvAreaTop + inset, std::max<int>(rc.right - 2 * p - 2 * inset, UiScale(100)),
              std::max(listH - 2 * inset, UiScale(60)));
        ShowPreviewIntro(view);
        ListViewFitLastColumn(c.lvCheckList);
        return;
    }
    int fieldX = p;
    if (!PreviewFile.empty()) {
        int w = UiDetailSplitX(view, rc.right);
        fieldX = p + w + UiScale(7);
        if (w > 0 && c.pvPluginList) {
            Place(c.pvPluginList, p, view.pvAreaTop, w, listH);
            int resultWidth = ListView_GetColumnWidth(c.pvPluginList, 1);
            ListView_SetColumnWidth(c.pvPluginList, 0, std::max(w - resultWidth - UiScale(22), UiScale(80)));
        }
    }
    int fieldW = rc.right - p - fieldX;
    Place(c.pvFieldList, fieldX, view.pvAreaTop, fieldW, listH);
    Place(c.pvIntro, fieldX + inset, view.pvAreaTop + inset, std::max(fieldW - 2 * inset, UiScale(100)),
          std::max(listH - 2 * inset, UiScale(60)));
    ShowPreviewIntro(view);
    ListViewFitLastColumn(c.pvFieldList);
}
