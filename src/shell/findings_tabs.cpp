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
#include "shell/main_window.h"
#include "shell/notifications.h"
#include "views/detail_pane.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/list_rows.h"
#include "views/main_colors.h"
#include "views/main_controls.h"
#include "views/row_status.h"
#include "views/panes.h"
#include "views/tab_fill.h"
#include "views/view_state.h"

namespace {

void RefillFindings() {
    FillFindingsList(FindingsList);
    if (UpdateStatusBar) UpdateStatusBar();
}

void ToggleAcknowledged(int index) {
    if (index < 0 || (size_t)index >= Findings.size()) return;
    SetAcknowledged(Findings[(size_t)index].ackKey, !Findings[(size_t)index].acked);
    RefillFindings();
}

// A finding that a view mode fills the gap of is fixed at once; any other shows its entry.
void ActivateFinding(HWND list, int index) {
    HWND window = GetAncestor(list, GA_ROOT);
    if (index >= 0 && (size_t)index < Findings.size() && Findings[(size_t)index].fix == FixModeGap)
        ModeGapFix(MainWindowOf(window), window);
    else
        JumpToFinding(index);
}

// Checked findings are drawn grey; new plugins stand out, removed ones are grey.
LRESULT DrawRow(NMLVCUSTOMDRAW* draw, bool grey, bool highlight) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    if (highlight) draw->clrTextBk = CurrentTheme->slot[5];
    if (grey) draw->clrText = CurrentTheme->slot[6];
    ThemeSelColors(draw);
    return CDRF_NEWFONT;
}

bool FindingsNotify(const NMHDR* header, LRESULT& result) {
    HWND window = GetAncestor(header->hwndFrom, GA_ROOT);
    switch (header->code) {
    case NM_CUSTOMDRAW: {
        auto* draw = (NMLVCUSTOMDRAW*)header;
        int index = (int)draw->nmcd.lItemlParam;
        bool acked = draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && index >= 0 &&
                     (size_t)index < Findings.size() && Findings[(size_t)index].acked;
        result = draw->nmcd.dwDrawStage == (CDDS_SUBITEM | CDDS_ITEMPREPAINT) ? StatusCellPrePaint(draw)
                                                                              : DrawRow(draw, acked, false);
        // The kind column takes its colour where the scheme has its own.
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && CurrentTheme->custom && !acked && !ListViewRowSelected(draw))
            result |= CDRF_NOTIFYSUBITEMDRAW;
        return true;
    }
    case LVN_ITEMCHANGED: {
        const auto* change = (const NMLISTVIEW*)header;
        if (ListViewNewlySelected(*change)) SetDetailText(FindingDetailText((int)change->lParam), true);
        return true;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        ActivateFinding(header->hwndFrom, FindingsListSelection());
        return true;
    case LVN_KEYDOWN:
        switch (((const NMLVKEYDOWN*)header)->wVKey) {
        case VK_INSERT: ToggleAcknowledged(FindingsListSelection()); return true;
        case VK_DELETE: FindingEntryAction(MainWindowOf(window), window, FindingsListSelection(), FcDelete); return true;
        case VK_F4: FindingEntryAction(MainWindowOf(window), window, FindingsListSelection(), FcEdit); return true;
        }
        return false;
    }
    return false;
}

bool InventoryNotify(const NMHDR* header, LRESULT& result) {
    switch (header->code) {
    case NM_CUSTOMDRAW: {
        auto* draw = (NMLVCUSTOMDRAW*)header;
        size_t row = (size_t)draw->nmcd.lItemlParam;
        int mark = draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && row < InvRowMarks.size() ? InvRowMarks[row] : 0;
        result = DrawRow(draw, mark == InvMarkRemoved, mark == InvMarkNew);
        return true;
    }
    case NM_DBLCLK:
    case NM_RETURN:
        if (ListActions.openInTc) ListActions.openInTc(SelectedPluginRef(-1));
        return true;
    }
    return false;
}

// The rows of the packer extension list that show the extension.
void SelectExtensionRows(const std::wstring& ext) {
    if (!ExtList) return;
    for (int row = 0, count = ListView_GetItemCount(ExtList); row < count; ++row) {
        if (!StrIEquals(ListViewCellText(ExtList, row, 0), ext)) continue;
        ListView_SetItemState(ExtList, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(ExtList, row, FALSE);
    }
}

}  // namespace

int JumpToFinding(int index) {
    if (index < 0 || (size_t)index >= Findings.size() || Findings[(size_t)index].iniLine) return -1;
    const Finding f = Findings[(size_t)index];
    if (!f.diskFile.empty()) {
        OpenInTc(MakePluginRef(f.name, f.diskFile), L"");
        return -1;
    }
    if (!TabCtl || !PluginList) return -1;
    TabCtrl_SetCurSel(TabCtl, f.tab);
    FillTab(MainWindowOf(TabCtl));
    int entry = FindingEntryIndex(f, TabEntries);
    if (entry < 0) return -1;
    ListView_SetItemState(PluginList, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int row = 0, count = ListView_GetItemCount(PluginList); row < count; ++row) {
        if (ListViewItemData(PluginList, row) != entry) continue;
        ListView_SetItemState(PluginList, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(PluginList, row, FALSE);
    }
    if (f.tab == KindPacker && !f.display.empty()) SelectExtensionRows(f.display);
    SetFocus(PluginList);
    CameFromFinding = 1;
    StatusNote = Tr("st_back");
    if (UpdateStatusBar) UpdateStatusBar();
    return entry;
}

void WireFindingsAndInventory() {
    ListActions.entryIsNew = EntryIsNew;
    FeatureCommands[CmdJump] = [](HWND) { JumpToFinding(FindingsListSelection()); };
    FeatureCommands[CmdAcknowledge] = [](HWND) { ToggleAcknowledged(FindingsListSelection()); };
    auto previous = ListActions.otherListNotify;
    ListActions.otherListNotify = [previous](HWND window, const NMHDR* header, LRESULT& result) {
        if (FindingsList && header->hwndFrom == FindingsList && FindingsNotify(header, result)) return true;
        if (InventoryList && header->hwndFrom == InventoryList && InventoryNotify(header, result)) return true;
        return previous && previous(window, header, result);
    };
}
