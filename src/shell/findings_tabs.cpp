#include "shell/findings_tabs.h"

#include <commctrl.h>

#include "analyses/findings.h"
#include "analyses/inventory.h"
#include "editing/finding_actions.h"
#include "editing/launch.h"
#include "editing/lister_actions.h"
#include "foundation/list_view.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "hostcfg/plug_entry.h"
#include "shell/commands.h"
#include "shell/notifications.h"
#include "shell/search.h"
#include "views/detail_pane.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/list_rows.h"
#include "views/main_colors.h"
#include "views/main_view.h"
#include "views/row_status.h"
#include "views/panes.h"
#include "views/status_text.h"
#include "views/tab_fill.h"

namespace {

// A finding that a view mode fills the gap of is fixed at once; any other shows its entry.
void ActivateFinding(MainWindow& app, int index) {
    if (index >= 0 && (size_t)index < Findings.size() && Findings[(size_t)index].fix == FixModeGap)
        ModeGapFix(app, app.Hwnd());
    else
        JumpToFinding(app.View(), index);
}

// Checked findings are drawn grey; new plugins stand out, removed ones are grey.
LRESULT DrawRow(const MainView& view, NMLVCUSTOMDRAW* draw, bool grey, bool highlight) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    if (highlight) draw->clrTextBk = CurrentTheme->slot[5];
    if (grey) draw->clrText = CurrentTheme->slot[6];
    ThemeSelColors(view, draw);
    return CDRF_NEWFONT;
}

bool FindingsNotify(MainWindow& app, const NMHDR* header, LRESULT& result) {
    MainView& view = app.View();
    HWND window = app.Hwnd();
    switch (header->code) {
    case NM_CUSTOMDRAW: {
        auto* draw = (NMLVCUSTOMDRAW*)header;
        int index = ListViewDrawnItem(draw);
        bool acked = draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && index >= 0 &&
                     (size_t)index < Findings.size() && Findings[(size_t)index].acked;
        result = draw->nmcd.dwDrawStage == (CDDS_SUBITEM | CDDS_ITEMPREPAINT) ? StatusCellPrePaint(view, draw)
                                                                              : DrawRow(view, draw, acked, false);
        // The kind column takes its colour where the scheme has its own.
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && CurrentTheme->custom && !acked && !ListViewRowSelected(draw))
            result |= CDRF_NOTIFYSUBITEMDRAW;
        return true;
    }
    case LVN_ITEMCHANGED: {
        const auto* change = (const NMLISTVIEW*)header;
        if (ListViewNewlySelected(*change)) SetDetailText(view, FindingDetailText(ListViewItemData(header->hwndFrom, change->iItem)), true);
        return true;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        ActivateFinding(app, FindingsListSelection(view));
        return true;
    case LVN_KEYDOWN:
        switch (((const NMLVKEYDOWN*)header)->wVKey) {
        case VK_INSERT: ToggleAcknowledged(view, FindingsListSelection(view)); return true;
        case VK_DELETE: FindingEntryAction(app, window, FindingsListSelection(view), FcDelete); return true;
        case VK_F4: FindingEntryAction(app, window, FindingsListSelection(view), FcEdit); return true;
        }
        return false;
    }
    return false;
}

bool InventoryNotify(MainView& view, const NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case NM_CUSTOMDRAW: {
        auto* draw = (NMLVCUSTOMDRAW*)header;
        size_t row = (size_t)ListViewDrawnItem(draw);
        bool marked = draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && row < view.invRowMarks.size();
        int mark = marked ? view.invRowMarks[row] : 0;
        result = DrawRow(view, draw, mark == InvMarkRemoved, mark == InvMarkNew);
        return true;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        OpenInTc(SelectedPluginRef(view, -1), L"");
        return true;
    }
    return false;
}

// The rows of the packer extension list that show the extension.
void SelectExtensionRows(HWND list, const std::wstring& ext) {
    if (!list) return;
    for (int row = 0, count = ListView_GetItemCount(list); row < count; ++row) {
        if (!StrIEquals(ListViewCellText(list, row, 0), ext)) continue;
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, row, FALSE);
    }
}

}  // namespace

int JumpToFinding(MainView& view, int index) {
    HWND tabs = view.controls.tabCtl;
    if (index < 0 || (size_t)index >= Findings.size() || Findings[(size_t)index].iniLine) return -1;
    const Finding f = Findings[(size_t)index];
    if (!f.diskFile.empty()) {
        OpenInTc(MakePluginRef(f.name, f.diskFile), L"");
        return -1;
    }
    if (!tabs) return -1;
    TabCtrl_SetCurSel(tabs, f.tab);
    FillTab(view);
    HWND list = view.controls.pluginList;  // made by the fill when the plugin tabs were not shown before
    int entry = FindingEntryIndex(f, TabEntries);
    if (entry < 0 || !list) return -1;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int row = 0, count = ListView_GetItemCount(list); row < count; ++row) {
        if (ListViewItemData(list, row) != entry) continue;
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, row, FALSE);
    }
    if (f.tab == KindPacker && !f.display.empty()) SelectExtensionRows(view.controls.extList, f.display);
    SetFocus(list);
    view.cameFromFinding = 1;
    view.statusNote = Tr("st_back");
    UpdateStatusBar(view);
    return entry;
}

void ToggleAcknowledged(MainView& view, int index) {
    if (index < 0 || (size_t)index >= Findings.size()) return;
    SetAcknowledged(Findings[(size_t)index].ackKey, !Findings[(size_t)index].acked);
    RefillFindings(view);
    UpdateStatusBar(view);
}

void RefillFindings(MainView& view) {
    FillFindingsList(view);
    SearchAfterFill(view);
}

bool OnFindingsOrInventoryNotify(MainWindow& app, const NMHDR* header, LRESULT& result) {
    const MainControls& c = app.View().controls;
    if (c.findingsList && header->hwndFrom == c.findingsList && FindingsNotify(app, header, result)) return true;
    return c.inventoryList && header->hwndFrom == c.inventoryList && InventoryNotify(app.View(), header, result);
}
