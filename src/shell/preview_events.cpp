#include "shell/preview_events.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>

#include "analyses/content_preview.h"
#include "foundation/list_view.h"
#include "foundation/themes.h"
#include "views/drawn_icons.h"
#include "views/main_colors.h"
#include "views/main_view.h"
#include "views/panes.h"
#include "views/preview_lists.h"
#include "views/usage_badges.h"

namespace {

void ShowPickedPlugin(MainView& view, int index) {
    bool valid = index >= 0 && static_cast<size_t>(index) < PvPlugins.size();
    SetDetailText(view, valid ? PvPluginDetailText(PvPlugins[index]) : L"", true);
}

// The menu of the list's row at the point, or of its first selected row from the keyboard.
void OpenMenu(const MainView& view, HWND list, LPARAM menuPos) {
    int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (menuPos != -1) {
        LVHITTESTINFO hit{};
        hit.pt = {GET_X_LPARAM(menuPos), GET_Y_LPARAM(menuPos)};
        ScreenToClient(list, &hit.pt);
        row = ListView_HitTest(list, &hit);
    }
    if (row < 0) return;
    POINT point = ListViewMenuPoint(list, row, menuPos);
    if (list == view.controls.pvPluginList)
        PvPluginMenu(view, point, ListViewItemData(list, row));
    else
        PvFieldMenu(view, point, ListViewItemData(list, row));
}

// Plugins that failed, were skipped or do not match the file are greyed.
bool PickRowGreyed(LPARAM index) {
    if (index < 0 || static_cast<size_t>(index) >= PvPlugins.size()) return false;
    const PvPlugin& plugin = PvPlugins[static_cast<size_t>(index)];
    return plugin.state >= PvCrashed && !plugin.builtIn;
}

LRESULT PreviewListDraw(const MainView& view, NMLVCUSTOMDRAW* draw) {
    if (GroupHeaderPrePaint(draw)) return CDRF_SKIPDEFAULT;
    HWND list = draw->nmcd.hdr.hwndFrom;
    bool fields = list == view.controls.pvFieldList;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (list == view.controls.pvPluginList && PickRowGreyed(draw->nmcd.lItemlParam))
            draw->clrText = CurrentTheme->custom ? CurrentTheme->slot[6] : GetSysColor(COLOR_GRAYTEXT);
        ThemeSelColors(view, draw);
        return CDRF_NEWFONT | (fields ? CDRF_NOTIFYPOSTPAINT : 0);
    case CDDS_ITEMPOSTPAINT:
        if (fields) PvDrawUsageBadges(view, draw->nmcd.hdc, static_cast<int>(draw->nmcd.dwItemSpec));
        return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

}  // namespace

bool OnPreviewNotify(MainView& view, const NMHDR* header, LRESULT& result) {
    HWND plugins = view.controls.pvPluginList, fields = view.controls.pvFieldList;
    if (header->hwndFrom != plugins && header->hwndFrom != fields) return false;
    if (header->code == NM_CUSTOMDRAW) {
        result = PreviewListDraw(view, reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
        return true;
    }
    // A right click reaches the menus as WM_CONTEXTMENU, like the menu key.
    if (header->code != LVN_ITEMCHANGED) return false;
    const auto& change = *reinterpret_cast<const NMLISTVIEW*>(header);
    if (header->hwndFrom == plugins) {
        PvPickListChanged(view, change);
        if (ListViewNewlySelected(change) && !view.pvPickListFilling)
            ShowPickedPlugin(view, static_cast<int>(change.lParam));
    } else if (ListViewNewlySelected(change)) {
        PvFieldDetail(view, static_cast<int>(change.lParam));
    }
    return true;
}

bool OnPreviewContextMenu(const MainView& view, HWND from, LPARAM menuPos) {
    if (!from || (from != view.controls.pvPluginList && from != view.controls.pvFieldList)) return false;
    OpenMenu(view, from, menuPos);
    return true;
}
