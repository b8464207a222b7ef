#include "views/main_colors.h"

#include <richedit.h>

#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/main_controls.h"

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
    if (CurrentTheme->custom) {
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

BOOL CALLBACK ThemeTopWindowProc(HWND window, LPARAM) {
    wchar_t cls[65] = {};
    GetClassNameW(window, cls, 65);
    if (wcscmp(cls, L"KestrovaneText") == 0) {
        HWND text = GetDlgItem(window, 1);
        ThemeDarkOrDefault(text);
        if (text) InvalidateRect(text, nullptr, TRUE);
    } else if (wcscmp(cls, L"KestrovaneLegend") == 0) {
        ThemeListView(GetDlgItem(window, 1));
    }
    if (!IsWindowVisible(window)) return TRUE;
    ThemeDwmDark(window, CurrentTheme->dark != 0);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

void ApplyColors() {
    SelectTheme();
    if (!MainWnd) return;
    for (HWND list : {PluginList, ExtList, InventoryList, FindingsList, PvFieldList, PvPluginList, LvCheckList})
        ThemeListView(list);
    for (HWND check : {PvEmptyCheck, PvUnitsCheck}) {
        if (!check) continue;
        // Visual styles off, so the check box text can take the scheme's colour.
        if (CurrentTheme->dark) ThemeSetWindowTheme(check, L"", L"");
        else ThemeSetWindowTheme(check, nullptr, nullptr);
    }
    for (HWND button : {PvPickContentBtn, PvPickListerBtn, PvToggleBtn}) ThemeDarkOrDefault(button);
    if (PageWnd) RedrawWindow(PageWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (DetailBox) {
        ThemeDarkOrDefault(DetailBox);
        ThemeRichEdit();
        InvalidateRect(DetailBox, nullptr, TRUE);
    }
    ThemeDwmDark(MainWnd, CurrentTheme->dark != 0);
    EnumThreadWindows(GetCurrentThreadId(), ThemeTopWindowProc, 0);
}
