#include "views/text_popup.h"

#include "foundation/themes.h"
#include "foundation/ui_globals.h"

LRESULT CALLBACK TextWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: {
        auto* text = static_cast<const wchar_t*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        HWND edit = CreateWindowExW(0, L"EDIT", text ? text : L"",
                                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                        ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                    0, 0, 0, 0, window, reinterpret_cast<HMENU>(1), AppInstance, nullptr);
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(UiFontFixed ? UiFontFixed : UiFont), FALSE);
        if (CurrentTheme->dark) ThemeSetWindowTheme(edit, L"DarkMode_Explorer", nullptr);
        ThemeDwmDark(window, CurrentTheme->dark != 0);
        return 0;
    }
    case WM_SIZE:
        MoveWindow(GetDlgItem(window, 1), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        if (CurrentTheme->custom && ThemeBgBrush) {
            SetTextColor(reinterpret_cast<HDC>(wParam), CurrentTheme->slot[2]);
            SetBkColor(reinterpret_cast<HDC>(wParam), CurrentTheme->slot[1]);
            return reinterpret_cast<LRESULT>(ThemeBgBrush);
        }
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void UiShowTextPopup(HWND owner, const std::wstring& title, const std::wstring& text) {
    RECT place{};
    if (owner) GetWindowRect(owner, &place);
    CreateWindowExW(0, L"KestrovaneText", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, place.left + 80,
                    place.top + 60, UiScale(720), UiScale(520), owner, nullptr, AppInstance,
                    const_cast<wchar_t*>(text.c_str()));
}
