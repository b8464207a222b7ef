#include "foundation/themes.h"

#include <algorithm>

#include "foundation/settings.h"
#include "foundation/system_dlls.h"
#include "foundation/ui_globals.h"

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
namespace {

class SystemCalls final : public IThemeCalls {
public:
    HRESULT SetWindowTheme(HWND window, LPCWSTR app, LPCWSTR idList) override {
        const UxthemeDll* uxtheme = Uxtheme();
        return uxtheme ? uxtheme->SetWindowTheme(window, app, idList) : E_NOTIMPL;
    }
    HRESULT SetDwmAttribute(HWND window, DWORD attribute, LPCVOID value, DWORD size) override {
        const DwmapiDll* dwmapi = Dwmapi();
        return dwmapi ? dwmapi->DwmSetWindowAttribute(window, attribute, value, size) : E_NOTIMPL;
    }
};

}  // namespace

IThemeCalls& SystemThemeCalls() {
    static SystemCalls calls;
    return calls;
}

HRESULT ThemeSetWindowTheme(HWND window, LPCWSTR app, LPCWSTR idList) {
    return SystemThemeCalls().SetWindowTheme(window, app, idList);
}

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

void ThemeDwmDark(HWND window, bool dark, IThemeCalls& calls) {
    // A window is light until made dark: while none was, a light one needs no call,
    // and the start no dwmapi.dll.
    static bool anyDark = false;
    anyDark = anyDark || dark;
    if (!anyDark) return;
    BOOL value = dark ? TRUE : FALSE;
    if (FAILED(calls.SetDwmAttribute(window, 20, &value, sizeof(value))))
        calls.SetDwmAttribute(window, 19, &value, sizeof(value));
}

void ThemeListView(HWND list, IThemeCalls& calls) {
    if (!list) return;
    COLORREF bg = ThemeWindowColor();
    SendMessageW(list, LVM_SETBKCOLOR, 0, bg);
    SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, bg);
    SendMessageW(list, LVM_SETTEXTCOLOR, 0, ThemeTextColor());
    calls.SetWindowTheme(list, Dark() ? L"DarkMode_Explorer" : L"Explorer", nullptr);
    InvalidateRect(list, nullptr, TRUE);
    if (HWND header = ListView_GetHeader(list)) InvalidateRect(header, nullptr, TRUE);
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

void SelectTheme() {
    CurrentTheme = &ChooseTheme(HighContrastOn(), GetSetting(L"View", L"Colors"));
    ReplaceBrush(ThemeBgBrush, Custom() ? CreateSolidBrush(CurrentTheme->slot[1]) : nullptr);
}

void ThemeDarkOrDefault(HWND window) {
    if (!window) return;
    if (Dark()) ThemeSetWindowTheme(window, L"DarkMode_Explorer", nullptr);
    else ThemeSetWindowTheme(window, nullptr, nullptr);
}
