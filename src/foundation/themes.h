// The three colour schemes (standard, light, dark) and what any window or dialog
// of the program needs to follow them. Menus and Windows' own dialogs keep the system colours. UI thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

// Slots 1..18 (index 0 unused): 1 background, 2 text, 3/4 selection background and
// text, 5 new, 6 removed or inactive, 7 unexpected folder, 8-12 status same, new,
// differs, error, neutral (also muted text), 13-16 list header background, text,
// underline, separators, 17 greedy, 18 group header.
struct ThemeColors {
    uint8_t custom;  // the scheme's colours replace the system colours
    uint8_t dark;
    COLORREF slot[19];
};

extern const ThemeColors ThemeStandard, ThemeLight, ThemeDark;
extern const ThemeColors* CurrentTheme;
extern HBRUSH ThemeBgBrush;   // slot 1 while the scheme is custom, else null
extern HBRUSH DlgBodyBrush;   // themed dialogs: body and button strip
extern HBRUSH DlgStripBrush;

// The two system calls the schemes make; a test implements them to read their effect back.
class IThemeCalls {
public:
    virtual HRESULT SetWindowTheme(HWND window, LPCWSTR app, LPCWSTR idList) = 0;
    virtual HRESULT SetDwmAttribute(HWND window, DWORD attribute, LPCVOID value, DWORD size) = 0;

protected:
    ~IThemeCalls() = default;
};
// The system's own, loading uxtheme.dll and dwmapi.dll on first use.
IThemeCalls& SystemThemeCalls();
HRESULT ThemeSetWindowTheme(HWND window, LPCWSTR app, LPCWSTR idList);

// High contrast forces standard; else the setting, compared exactly.
const ThemeColors& ChooseTheme(bool highContrast, const std::wstring& colorsSetting);
// Makes the scheme of the setting Colors of View current (standard under high
// contrast) and renews ThemeBgBrush; the windows are re-themed by the caller.
void SelectTheme();
void ThemeListView(HWND list, IThemeCalls& calls = SystemThemeCalls());
// The button-strip colour: 90 % background, 10 % text.
COLORREF ThemeBlendBg();
// Slot 1 and 2, or the system's window colours when the scheme is not custom.
COLORREF ThemeWindowColor();
COLORREF ThemeTextColor();
void ThemeDwmDark(HWND window, bool dark, IThemeCalls& calls = SystemThemeCalls());
void ThemeMakeBrushes();
// Colours a themed dialog; true when the message was handled, with result set.
bool ThemeDialogColors(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam, const std::vector<int>& stripIds,
                       const std::vector<int>& mutedIds, INT_PTR& result);
// The default theme of a control, or "DarkMode_Explorer" in the dark scheme.
void ThemeDarkOrDefault(HWND window);
