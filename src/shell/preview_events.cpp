#include "shell/preview_events.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>

#include "analyses/content_preview.h"
#include "foundation/list_view.h"
#include "foundation/themes.h"
#include "shell/main_window.h"
#include "views/drawn_icons.h"
#include "views/main_colors.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/preview_file.h"
#include "views/preview_lists.h"
#include "views/usage_badges.h"

namespace {

void ShowPickedPlugin(int index) {
    bool valid = index >= 0 && static_cast<size_t>(index) < PvPlugins.size();
    SetDetailText(valid ? PvPluginDetailText(PvPlugins[index]) : L"", true);
}

// The menu of the list's row at the point, or of its first selected row from the keyboard.
void OpenMenu(HWND window, HWND list, LPARAM menuPos) {
    int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (menuPos != -1) {
        LVHITTESTINFO hit{};
        hit.pt = {GET_X_LPARAM(menuPos), GET_Y_LPARAM(menuPos)};
        ScreenToClient(list, &hit.pt);
        row = ListView_HitTest(list, &hit);
    }
    if (row < 0) return;
    POINT point = ListViewMenuPoint(list, row, menuPos);
    if (list == PvPluginList)
        PvPluginMenu(MainWindowOf(window), window, point, ListViewItemData(list, row));
    else
        PvFieldMenu(MainWindowOf(window), window, point, ListViewItemData(list, row));
}

// Plugins that failed, were skipped or do not match the file are greyed.
bool PickRowGreyed(LPARAM index) {
    if (index < 0 || static_cast<size_t>(index) >= PvPlugins.size()) return false;
    const PvPlugin& plugin = PvPlugins[static_cast<size_t>(index)];
    return plugin.state >= PvCrashed && !plugin.builtIn;
}

LRESULT PreviewListDraw(NMLVCUSTOMDRAW* draw) {
    if (GroupHeaderPrePaint(draw)) return CDRF_SKIPDEFAULT;
    HWND list = draw->nmcd.hdr.hwndFrom;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (list == PvPluginList && PickRowGreyed(draw->nmcd.lItemlParam))
            draw->clrText = CurrentTheme->custom ? CurrentTheme->slot[6] : GetSysColor(COLOR_GRAYTEXT);
        ThemeSelColors(draw);
        return CDRF_NEWFONT | (list == PvFieldList ? CDRF_NOTIFYPOSTPAINT : 0);
    case CDDS_ITEMPOSTPAINT:
        if (list == PvFieldList) PvDrawUsageBadges(draw->nmcd.hdc, static_cast<int>(draw->nmcd.dwItemSpec));
        return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

}  // namespace

bool OnPreviewCommand(HWND window, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return false;
    switch (LOWORD(wParam)) {
    case IdPvPickContentBtn: PvPickWithMode(MainWindowOf(window), window, 0); return true;
    case IdPvPickListerBtn: PvPickWithMode(MainWindowOf(window), window, 1); return true;
    case IdPvEmptyCheck:
    case IdPvUnitsCheck: PvFillFieldList(); return true;
    case IdPvToggleBtn: PvToggleAllGroups(); return true;
    default: return false;
    }
}

bool OnPreviewNotify(const NMHDR* header, LRESULT& result) {
    if (header->hwndFrom != PvPluginList && header->hwndFrom != PvFieldList) return false;
    if (header->code == NM_CUSTOMDRAW) {
        result = PreviewListDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
        return true;
    }
    // A right click reaches the menus as WM_CONTEXTMENU, like the menu key.
    if (header->code != LVN_ITEMCHANGED) return false;
    const auto& change = *reinterpret_cast<const NMLISTVIEW*>(header);
    if (header->hwndFrom == PvPluginList) {
        PvPickListChanged(MainWindowOf(header->hwndFrom), change);
        if (ListViewNewlySelected(change) && !PvPickListFilling) ShowPickedPlugin(static_cast<int>(change.lParam));
    } else if (ListViewNewlySelected(change)) {
        PvFieldDetail(static_cast<int>(change.lParam));
    }
    return true;
}

bool OnPreviewContextMenu(HWND window, HWND from, LPARAM menuPos) {
    if (!from || (from != PvPluginList && from != PvFieldList)) return false;
    OpenMenu(window, from, menuPos);
    return true;
}
