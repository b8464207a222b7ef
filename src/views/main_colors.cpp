#include "views/main_colors.h"

#include <richedit.h>

#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/list_subclass.h"

void ThemeRichEdit(MainView& view) {
    HWND box = view.controls.detailBox;
    if (!box || !view.controls.detailIsRich) return;
    SendMessageW(box, EM_SETBKGNDCOLOR, 0, ThemeWindowColor());
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR | CFM_BACKCOLOR;
    format.dwEffects = CFE_AUTOBACKCOLOR;
    format.crTextColor = ThemeTextColor();
    SendMessageW(box, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(box, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void ThemeSelColors(const MainView& view, NMLVCUSTOMDRAW* draw) {
    HWND list = draw->nmcd.hdr.hwndFrom;
    auto item = static_cast<int>(draw->nmcd.dwItemSpec);
    bool selected = (SendMessageW(list, LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (!selected) return;
    HWND search = view.controls.searchEdit;
    if (CurrentTheme->custom) {
        draw->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        draw->clrText = CurrentTheme->slot[4];
        draw->clrTextBk = CurrentTheme->slot[3];
    } else if (search && GetFocus() == search) {
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

void ThemeChildControls(MainView& view) {
    const MainControls& c = view.controls;
    for (HWND list : {c.pluginList, c.extList, c.inventoryList, c.findingsList, c.pvFieldList, c.pvPluginList,
                      c.lvCheckList}) {
        ThemeListView(list);
        SubclassList(view, list);
    }
    for (HWND check : {c.pvEmptyCheck, c.pvUnitsCheck}) {
        if (!check) continue;
        // Visual styles off, so the check box text can take the scheme's colour.
        if (CurrentTheme->dark) ThemeSetWindowTheme(check, L"", L"");
        else ThemeSetWindowTheme(check, nullptr, nullptr);
    }
    for (HWND button : {c.pvPickContentBtn, c.pvPickListerBtn, c.pvToggleBtn}) ThemeDarkOrDefault(button);
}

void ApplyColors(MainView& view) {
    SelectTheme();
    const MainControls& c = view.controls;
    if (!c.main) return;
    ThemeChildControls(view);
    if (c.pageWnd) RedrawWindow(c.pageWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (c.detailBox) {
        ThemeDarkOrDefault(c.detailBox);
        ThemeRichEdit(view);
        InvalidateRect(c.detailBox, nullptr, TRUE);
    }
    ThemeDwmDark(c.main, CurrentTheme->dark != 0);
    EnumThreadWindows(GetCurrentThreadId(), ThemeTopWindowProc, 0);
}
