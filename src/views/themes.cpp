#include "views/themes.h"

#include <dwmapi.h>
#include <richedit.h>
#include <uxtheme.h>

#include <algorithm>

#include "foundation/settings.h"
#include "views/main_controls.h"
#include "views/ui_globals.h"

namespace {

constexpr COLORREF Hex(uint32_t rrggbb) { return RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF); }

}  // namespace

const ThemeColors ThemeStandard{0, 0, {0, 0, 0, 0, 0, Hex(0xDDF0DD), Hex(0x808080), Hex(0xBE5A00), 0, 0, 0, 0, 0,
                                       0, 0, 0, 0, Hex(0x005AB4), Hex(0x408080)}};
const ThemeColors ThemeLight{1, 0, {0, Hex(0xFFFFFF), Hex(0x262626), Hex(0x6FD3FC), Hex(0x041730), Hex(0xE3F0E9),
                                    Hex(0x8C8C8C), Hex(0xD0601A), Hex(0x328A5D), Hex(0x135CD0), Hex(0xD0601A),
                                    Hex(0xF8282A), Hex(0x555753), Hex(0xEEEEEC), Hex(0x2F6464), Hex(0x408080),
                                    Hex(0xB3B3B3), Hex(0x135CD0), Hex(0x408080)}};
const ThemeColors ThemeDark{1, 1, {0, Hex(0x000000), Hex(0xF0EAD6), Hex(0x1E3A5F), Hex(0xF0EAD6), Hex(0x1F332E),
                                   Hex(0x7A7A7A), Hex(0xFF8080), Hex(0x99FFE4), Hex(0x60A5FA), Hex(0x93C5FD),
                                   Hex(0xFF8080), Hex(0xA0A0A0), Hex(0x000000), Hex(0xFFFF57), Hex(0xFFFF57),
                                   Hex(0x505050), Hex(0x60A5FA), Hex(0xFFFF57)}};
const ThemeColors* CurrentTheme = &ThemeStandard;
HBRUSH ThemeBgBrush = nullptr;
HBRUSH DlgBodyBrush = nullptr;
HBRUSH DlgStripBrush = nullptr;
SUBCLASSPROC ListSubclassProc = nullptr;
HRESULT(WINAPI* ThemeSetWindowTheme)(HWND, LPCWSTR, LPCWSTR) = SetWindowTheme;
HRESULT(WINAPI* ThemeSetDwmAttribute)(HWND, DWORD, LPCVOID, DWORD) = DwmSetWindowAttribute;

namespace {

bool Custom() { return CurrentTheme->custom != 0; }
bool Dark() { return CurrentTheme->dark != 0; }

void ReplaceBrush(HBRUSH& brush, HBRUSH fresh) {
    if (brush) DeleteObject(brush);
    brush = fresh;
}

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// The default theme of a control: both names none.
void DefaultTheme(HWND window) {
    if (window) ThemeSetWindowTheme(window, nullptr, nullptr);
}

void DarkOrDefaultTheme(HWND window) {
    if (!window) return;
    if (Dark()) ThemeSetWindowTheme(window, L"DarkMode_Explorer", nullptr);
    else DefaultTheme(window);
}

}  // namespace

const ThemeColors& ChooseTheme(bool highContrast, const std::wstring& colorsSetting) {
    if (highContrast) return ThemeStandard;
    if (colorsSetting == L"light") return ThemeLight;
    if (colorsSetting == L"dark") return ThemeDark;
    return ThemeStandard;
}

COLORREF ThemeWindowColor() { return Custom() ? CurrentTheme->slot[1] : GetSysColor(COLOR_WINDOW); }
COLORREF ThemeTextColor() { return Custom() ? CurrentTheme->slot[2] : GetSysColor(COLOR_WINDOWTEXT); }

COLORREF ThemeBlendBg() {
    if (!Custom()) return GetSysColor(COLOR_BTNFACE);
    COLORREF bg = CurrentTheme->slot[1], fg = CurrentTheme->slot[2];
    auto mix = [](int b, int f) { return (90 * b + 10 * f) / 100; };
    return RGB(mix(GetRValue(bg), GetRValue(fg)), mix(GetGValue(bg), GetGValue(fg)),
               mix(GetBValue(bg), GetBValue(fg)));
}

void ThemeDwmDark(HWND window, bool dark) {
    BOOL value = dark ? TRUE : FALSE;
    if (FAILED(ThemeSetDwmAttribute(window, 20, &value, sizeof(value))))
        ThemeSetDwmAttribute(window, 19, &value, sizeof(value));
}

void ThemeListView(HWND list) {
    if (!list) return;
    COLORREF bg = ThemeWindowColor();
    SendMessageW(list, LVM_SETBKCOLOR, 0, bg);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, bg);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, ThemeTextColor());
    ThemeSetWindowTheme(list, Dark() ? L"DarkMode_Explorer" : L"Explorer", nullptr);
    if (ListSubclassProc) SetWindowSubclass(list, ListSubclassProc, 1, 0);
    if (HWND tips = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETTOOLTIPS, 0, 0)))
        SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, UiScale(460));
    InvalidateRect(list, nullptr, TRUE);
    if (HWND header = ListView_GetHeader(list)) InvalidateRect(header, nullptr, TRUE);
}

void ThemeRichEdit() {
    if (!DetailBox || !DetailIsRich) return;
    SendMessageW(DetailBox, EM_SETBKGNDCOLOR, 0, ThemeWindowColor());
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR | CFM_BACKCOLOR;
    format.dwEffects = CFE_AUTOBACKCOLOR;
    format.crTextColor = ThemeTextColor();
    SendMessageW(DetailBox, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(DetailBox, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void ThemeSelColors(NMLVCUSTOMDRAW* draw) {
    HWND list = draw->nmcd.hdr.hwndFrom;
    auto item = static_cast<int>(draw->nmcd.dwItemSpec);
    bool selected = (SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (!selected) return;
    if (Custom()) {
        draw->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        draw->clrText = CurrentTheme->slot[4];
        draw->clrTextBk = CurrentTheme->slot[3];
    } else if (SearchEdit && GetFocus() == SearchEdit) {
        // While the user types a search the list has no focus; keep its selection visible.
        draw->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    }
}

void ThemeMakeBrushes() {
    ReplaceBrush(DlgBodyBrush, CreateSolidBrush(ThemeWindowColor()));
    ReplaceBrush(DlgStripBrush, CreateSolidBrush(ThemeBlendBg()));
}

bool ThemeDialogColors(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, const std::vector<int>& stripIds,
                       const std::vector<int>& mutedIds, INT_PTR& result) {
    auto contains = [](const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
    switch (msg) {
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client{};
        GetClientRect(dialog, &client);
        int y = client.bottom - UiScale(54);
        RECT body{client.left, client.top, client.right, y}, strip{client.left, y, client.right, client.bottom};
        FillRect(dc, &body, DlgBodyBrush ? DlgBodyBrush : GetSysColorBrush(COLOR_WINDOW));
        FillRect(dc, &strip, DlgStripBrush ? DlgStripBrush : GetSysColorBrush(COLOR_BTNFACE));
        RECT line{client.left, y, client.right, y + 1};
        FillRect(dc, &line, GetSysColorBrush(Dark() ? COLOR_3DDKSHADOW : COLOR_3DLIGHT));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
        result = TRUE;
        return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        bool muted = contains(mutedIds, id);
        SetTextColor(dc, muted ? (Custom() ? CurrentTheme->slot[12] : GetSysColor(COLOR_GRAYTEXT)) : ThemeTextColor());
        if (contains(stripIds, id)) {
            SetBkColor(dc, ThemeBlendBg());
            result = reinterpret_cast<INT_PTR>(DlgStripBrush);
        } else {
            SetBkColor(dc, ThemeWindowColor());
            result = reinterpret_cast<INT_PTR>(DlgBodyBrush);
        }
        return true;
    }
    case WM_DESTROY:
        ReplaceBrush(DlgBodyBrush, nullptr);
        ReplaceBrush(DlgStripBrush, nullptr);
        return false;
    default:
        return false;
    }
}

BOOL CALLBACK ThemeTopWindowProc(HWND window, LPARAM) {
    wchar_t cls[65] = {};
    GetClassNameW(window, cls, 65);
    if (wcscmp(cls, L"KestrovaneText") == 0) {
        HWND text = GetDlgItem(window, 1);
        DarkOrDefaultTheme(text);
        if (text) InvalidateRect(text, nullptr, TRUE);
    } else if (wcscmp(cls, L"KestrovaneLegend") == 0) {
        ThemeListView(GetDlgItem(window, 1));
    }
    if (!IsWindowVisible(window)) return TRUE;
    ThemeDwmDark(window, Dark());
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

void ApplyColors() {
    CurrentTheme = &ChooseTheme(HighContrastOn(), GetSetting(L"View", L"Colors"));
    ReplaceBrush(ThemeBgBrush, Custom() ? CreateSolidBrush(CurrentTheme->slot[1]) : nullptr);
    if (!MainWnd) return;
    for (HWND list : {PluginList, ExtList, InventoryList, FindingsList, PvFieldList, PvPluginList, LvCheckList})
        ThemeListView(list);
    for (HWND check : {PvEmptyCheck, PvUnitsCheck}) {
        if (!check) continue;
        // Visual styles off, so the check box text can take the scheme's colour.
        if (Dark()) ThemeSetWindowTheme(check, L"", L"");
        else DefaultTheme(check);
    }
    for (HWND button : {PvPickContentBtn, PvPickListerBtn, PvToggleBtn}) DarkOrDefaultTheme(button);
    if (PageWnd) RedrawWindow(PageWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (DetailBox) {
        DarkOrDefaultTheme(DetailBox);
        ThemeRichEdit();
        InvalidateRect(DetailBox, nullptr, TRUE);
    }
    ThemeDwmDark(MainWnd, Dark());
    EnumThreadWindows(GetCurrentThreadId(), ThemeTopWindowProc, 0);
}
