#include "views/panes.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "foundation/handles.h"
#include "foundation/themes.h"
#include "views/cell_hilite.h"
#include "views/main_colors.h"
#include "foundation/ui_globals.h"

namespace {

const wchar_t kHidden = L'\u200b';

// The rich edit would make "&x" or "|x" a link or break oddly; a zero-width space
// after the operator keeps a detect string as it is written.
std::wstring WithBreakHints(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        bool op = text[i] == L'&' || text[i] == L'|';
        if (op && i + 1 < text.size() && text[i + 1] != L' ' && text[i + 1] != L'\r' && text[i + 1] != L'\n')
            out += kHidden;
    }
    return out;
}

// The widest text before the first TAB of any line, in pixels of the pane's font.
int LabelWidth(HWND box, const std::wstring& text) {
    WindowDc screen(nullptr);
    HDC dc = screen.Get();
    SelectedObject font(dc, (HFONT)SendMessageW(box, WM_GETFONT, 0, 0));
    int widest = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        size_t tab = text.find(L'\t', start);
        if (tab != std::wstring::npos && tab < end) {
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str() + start, (int)(tab - start), &size);
            widest = std::max(widest, (int)size.cx);
        }
        start = end + 1;
    }
    return widest;
}

int Twips(int pixels) {
    return MulDiv(pixels, 1440, UiScreenDpi());
}

void Redraw(HWND box, bool on) { SendMessageW(box, WM_SETREDRAW, on, 0); }

void ApplyIndents(HWND box, int labelWidth, bool alignLabels) {
    PARAFORMAT2 para{};
    para.cbSize = sizeof(para);
    para.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET;
    para.dxStartIndent = para.dxRightIndent = Twips(UiScale(6));
    if (alignLabels && labelWidth > 0) {
        para.dxOffset = Twips(labelWidth + UiScale(10));
        para.dwMask |= PFM_TABSTOPS;
        para.cTabCount = 1;
        para.rgxTabs[0] = para.dxStartIndent + para.dxOffset;
    }
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, EM_SETPARAFORMAT, 0, (LPARAM)&para);
}

}  // namespace

void SetDetailText(MainView& view, const std::wstring& text, bool alignLabels) {
    HWND box = view.controls.detailBox;
    if (!box) return;
    if (!view.controls.detailIsRich) {
        SetWindowTextW(box, text.c_str());
        return;
    }
    bool redrawOff = GetFocus() != box;
    if (redrawOff) Redraw(box, false);
    SetWindowTextW(box, WithBreakHints(text).c_str());
    ApplyIndents(box, LabelWidth(box, text), alignLabels);
    SendMessageW(box, EM_SETSEL, 0, 0);
    ThemeRichEdit(view);
    if (redrawOff) Redraw(box, true);
    InvalidateRect(box, nullptr, TRUE);
    if (!view.searchPaint.text.empty()) HighlightDetailMatches(view);
}

void HighlightDetailMatches(MainView& view) {
    HWND box = view.controls.detailBox;
    if (!box || !view.controls.detailIsRich) return;
    GETTEXTLENGTHEX length{GTL_NUMCHARS, 1200};
    int n = (int)SendMessageW(box, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0);
    if (n <= 0) return;
    std::wstring text((size_t)n + 1, L'\0');
    GETTEXTEX get{};
    get.cb = (DWORD)(text.size() * sizeof(wchar_t));
    get.codepage = 1200;
    text.resize((size_t)SendMessageW(box, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)text.data()));
    // Matching skips the hidden break hints: positions map back into the pane's text.
    std::wstring plain;
    std::vector<LONG> at;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kHidden) continue;
        plain += (wchar_t)towlower(text[i]);
        at.push_back((LONG)i);
    }
    bool redrawOff = GetFocus() != box;
    if (redrawOff) Redraw(box, false);
    CHARRANGE kept{};
    SendMessageW(box, EM_EXGETSEL, 0, (LPARAM)&kept);
    CHARFORMAT2W plainFormat{};
    plainFormat.cbSize = sizeof(plainFormat);
    plainFormat.dwMask = CFM_COLOR | CFM_BACKCOLOR;
    plainFormat.dwEffects = CFE_AUTOBACKCOLOR;
    plainFormat.crTextColor = ThemeTextColor();
    SendMessageW(box, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plainFormat);
    std::wstring search = view.searchPaint.text;
    std::transform(search.begin(), search.end(), search.begin(), towlower);
    LONG first = -1;
    for (size_t pos = search.empty() ? std::wstring::npos : plain.find(search); pos != std::wstring::npos;
         pos = plain.find(search, pos + search.size())) {
        CHARRANGE hit{at[pos], at[pos + search.size() - 1] + 1};
        if (first < 0) first = hit.cpMin;
        SendMessageW(box, EM_EXSETSEL, 0, (LPARAM)&hit);
        CHARFORMAT2W mark{};
        mark.cbSize = sizeof(mark);
        mark.dwMask = CFM_COLOR | CFM_BACKCOLOR;
        mark.crTextColor = RGB(0, 0, 0);
        mark.crBackColor = 0x30C8FF;
        SendMessageW(box, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&mark);
    }
    if (first >= 0) {
        SendMessageW(box, EM_SETSEL, (WPARAM)first, (LPARAM)first);
        SendMessageW(box, EM_SCROLLCARET, 0, 0);
    } else {
        SendMessageW(box, EM_EXSETSEL, 0, (LPARAM)&kept);
    }
    if (redrawOff) Redraw(box, true);
    InvalidateRect(box, nullptr, TRUE);
}

void SetDetailMargins(MainView& view) {
    if (!view.controls.detailBox || view.controls.detailIsRich) return;
    int margin = UiScale(6);
    SendMessageW(view.controls.detailBox, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}
