#include "shell/notifications.h"

#include <commctrl.h>

#include <algorithm>

#include "analyses/detect_compare.h"
#include "analyses/detect_notes.h"
#include "analyses/lister_check.h"
#include "editing/pending_ops.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plugin_files.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/search.h"
#include "views/detail_pane.h"
#include "views/drawn_icons.h"
#include "views/ext_checklist.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "foundation/list_view.h"
#include "views/lister_check_list.h"
#include "views/main_colors.h"
#include "shell/preview_events.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/usage_badges.h"
#include "foundation/themes.h"
#include "views/view_state.h"

ListActionHooks ListActions;
uint8_t CameFromFinding = 0;

namespace {

// Scratch of the plugin list's drawing, from a row's pre-paint to its cells'.
struct RowDraw {
    COLORREF text = 0, back = 0;
    bool greedy = false, selected = false, wrongFolder = false;
    int mark = 0;  // 1 new, 2 inactive
} Row;

COLORREF Slot(int slot) { return CurrentTheme->slot[slot]; }

const PlugEntry* EntryOf(int id) {
    return id >= 0 && (size_t)id < TabEntries.size() ? &TabEntries[(size_t)id] : nullptr;
}

void StatusBarNow() {
    if (UpdateStatusBar) UpdateStatusBar();
}

LRESULT PluginRowPrePaint(NMLVCUSTOMDRAW* draw) {
    int id = (int)draw->nmcd.lItemlParam;
    Row = {};
    const PlugEntry* e = EntryOf(id);
    if (!e || EntryMarkedDelete(*e)) {
        Row.mark = 2;
    } else {
        if (ListActions.entryIsNew && ListActions.entryIsNew((int)e->kind, *e)) Row.mark = 1;
        Row.wrongFolder = InWrongFolder(*e);
        Row.greedy = IsGreedyLister(*e);
    }
    if (Row.mark == 1) draw->clrTextBk = Slot(5);
    if (Row.mark == 2) draw->clrText = Slot(6);
    Row.selected = ListViewRowSelected(draw);
    ThemeSelColors(draw);
    Row.text = draw->clrText;
    Row.back = draw->clrTextBk;
    bool cells = Row.wrongFolder || Row.greedy || (CurrentTheme->custom && !Row.selected && Row.mark != 2);
    return CDRF_NOTIFYPOSTPAINT | (cells ? CDRF_NOTIFYSUBITEMDRAW : 0);
}

LRESULT PluginCellPrePaint(NMLVCUSTOMDRAW* draw) {
    draw->clrTextBk = Row.back;
    int column = draw->iSubItem;
    bool special = false;
    if (column == PathColumn && Row.wrongFolder) {
        draw->clrText = Slot(7);
        special = true;
    } else if (column == 1 && Row.greedy && !Row.selected) {
        draw->clrText = Slot(17);
        special = true;
    } else {
        draw->clrText = Row.text;
    }
    if (Row.selected || Row.mark == 2 || special) return CDRF_NEWFONT;
    if (column == 1 && Row.greedy) return CDRF_NEWFONT;
    COLORREF colour = StatusCellColor(draw->nmcd.hdr.hwndFrom, (int)draw->nmcd.dwItemSpec, column);
    if (colour != (COLORREF)-1) draw->clrText = colour;
    return CDRF_NEWFONT;
}

// A cell holding one blank stands for "known, but empty": a centred dot says so.
void PluginRowPostPaint(NMLVCUSTOMDRAW* draw) {
    PaintUsedBadges(draw);
    HWND list = draw->nmcd.hdr.hwndFrom;
    int row = (int)draw->nmcd.dwItemSpec;
    HDC dc = draw->nmcd.hdc;
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, CurrentTheme->custom ? Slot(12) : RGB(0x90, 0x90, 0x90));
    HGDIOBJ oldFont = SelectObject(dc, (HFONT)SendMessageW(list, WM_GETFONT, 0, 0));
    for (int column = 2; column < PathColumn; ++column) {
        if (column == 3 || ListViewCellText(list, row, column) != L" ") continue;
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        if (!SendMessageW(list, LVM_GETSUBITEMRECT, (WPARAM)row, (LPARAM)&cell)) continue;
        DrawTextW(dc, L"\u00b7", 1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

LRESULT PluginListDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return PluginRowPrePaint(draw);
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT: return PluginCellPrePaint(draw);
    case CDDS_ITEMPOSTPAINT: PluginRowPostPaint(draw); return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

// The extension list colours its state cells; everything else keeps the scheme.
LRESULT StatusListDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        ThemeSelColors(draw);
        return CurrentTheme->custom && !ListViewRowSelected(draw) ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT: return StatusCellPrePaint(draw);
    }
    return CDRF_DODEFAULT;
}

LRESULT ListerCheckDraw(NMLVCUSTOMDRAW* draw) {
    if (GroupHeaderPrePaint(draw)) return CDRF_SKIPDEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    size_t index = (size_t)draw->nmcd.lItemlParam;
    bool noMatch = index < LvRows.size() && LvRows[index].state == LvNoMatch;
    if (noMatch) draw->clrText = CurrentTheme->custom ? Slot(6) : GetSysColor(COLOR_GRAYTEXT);
    else if (CurrentTheme->custom) draw->clrText = Slot(2);
    ThemeSelColors(draw);
    return CDRF_NEWFONT;
}

std::wstring InfoTip(const PlugEntry& e) {
    const StatusGlyph& g = RowStateGlyph(e);
    std::wstring tip = e.name + (e.probeVersion.empty() ? L"" : L" " + e.probeVersion);
    tip += L"\n" + Tr("col_check") + L": " + g.glyph + L"  " + Tr(g.shortKey);
    tip += L"\n" + Tr(g.legendKey) + L"\n" + e.expandedPath;
    for (const auto& note : DetectNotes(e, &TabEntries, nullptr)) tip += L"\n" + note;
    if (InWrongFolder(e)) {
        std::wstring word;
        PluginKindOfPathParts(e.path, word);
        int mask = e.kindMask > 0 ? e.kindMask : PluginKindOfExtPart(e.path);
        tip += L"\n" + FillVar(FillVar(Tr("tip_folder"), L"f", word), L"k", PluginKindText(mask));
    }
    return tip;
}

void FillInfoTip(NMLVGETINFOTIPW* tip) {
    const PlugEntry* e = EntryOf(ListViewItemData(PluginList, tip->iItem));
    if (!e || !tip->pszText || tip->cchTextMax < 1) return;
    std::wstring text = InfoTip(*e);
    size_t n = std::min(text.size(), (size_t)tip->cchTextMax - 1);
    std::copy_n(text.begin(), n, tip->pszText);
    tip->pszText[n] = 0;
}

void OpenRowFolder(int row) {
    if (ListActions.openInTc) ListActions.openInTc(SelectedPluginRef(row));
}

void PluginListActivate(HWND window, UINT code, int row) {
    if (code == NM_DBLCLK && row < 0) return;
    if (code == NM_DBLCLK && GetSetting(L"General", L"DoubleClick") == L"edit" && EntryOf(PluginListSelection())) {
        if (ListActions.editEntry) ListActions.editEntry(window, PluginListSelection(), L"");
        return;
    }
    OpenRowFolder(code == NM_DBLCLK ? row : -1);
}

void BackToFindings(HWND window) {
    if (!CameFromFinding || !TabCtl) return;
    StatusNote.clear();
    CameFromFinding = 0;
    TabCtrl_SetCurSel(TabCtl, 5);
    FillTab(MainWindowOf(window));
    if (FindingsList) SetFocus(FindingsList);
}

const PlugEntry* ShownEntry() { return EntryOf(DetailRowShown); }

void ExtListKey(HWND window, WORD key) {
    const PlugEntry* e = ShownEntry();
    if (!e) return;
    int row = ListViewItemData(ExtList, ListView_GetNextItem(ExtList, -1, LVNI_SELECTED));
    bool validRow = row >= 0 && (size_t)row < ExtRows.size();
    if (e->kind == KindPacker && validRow) {
        auto& action = key == VK_DELETE ? ListActions.askMarkDelete : ListActions.editEntry;
        if ((key == VK_DELETE || key == VK_F4) && action) action(window, DetailRowShown, ExtRows[(size_t)row].key);
        return;
    }
    if (key == VK_F4) {
        if (ListActions.editEntry) ListActions.editEntry(window, DetailRowShown, L"");
    } else if (key == VK_DELETE && validRow && ExtRowModes[(size_t)row] == ExtModeRemove) {
        int item = ListViewFindItemData(ExtList, row);
        ListView_SetItemState(ExtList, item, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    } else if (key == VK_DELETE && e->kind == KindFileSystem && ListActions.askMarkDelete) {
        ListActions.askMarkDelete(window, DetailRowShown, L"");
    }
}

void RefuseLast(const PlugEntry& e) {
    MessageBeep(MB_ICONEXCLAMATION);
    StatusNote = Tr(e.iniDetect.negatedListForm ? "st_last_ex" : "st_last_ext");
    StatusBarNow();
}

UINT StateImage(UINT state) { return (state & LVIS_STATEIMAGEMASK) >> 12; }

bool ImageChanges(const NMLISTVIEW* change) {
    return (change->uChanged & LVIF_STATE) &&
           ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) != 0;
}

// Before a check box changes: refused for locked rows, and for an untick that
// would leave the detect string without its last term.
LRESULT ExtItemChanging(const NMLISTVIEW* change) {
    if (ExtListFilling || !ImageChanges(change)) return FALSE;
    int row = (int)change->lParam;
    const PlugEntry* e = ShownEntry();
    if (row < 0 || (size_t)row >= ExtRowModes.size() || !e) return TRUE;
    unsigned mode = (unsigned)ExtRowModes[(size_t)row];
    if (mode > 1) {
        MessageBeep(0);
        return TRUE;
    }
    if (StateImage(change->uNewState) == 2) return FALSE;
    const PendingEdit* existing = FindEntryEdit((int)e->kind, e->number);
    PendingEdit trial;
    if (existing) {
        trial = *existing;
    } else {
        trial.origDetect = e->detectText;
        trial.hasDetect = e->hasDetect;
    }
    const std::wstring& ext = ExtRows[(size_t)row].key;
    if (mode == ExtModeAdd) std::erase(trial.addedExts, ext);
    else trial.removedExts.insert(ext);
    if (!DetectLostLast(trial)) return FALSE;
    RefuseLast(*e);
    return TRUE;
}

void ExtItemChanged(const NMLISTVIEW* change) {
    if (ExtListFilling || !ImageChanges(change) || StateImage(change->uOldState) == 0) return;
    int row = (int)change->lParam;
    const PlugEntry* e = ShownEntry();
    if (row < 0 || (size_t)row >= ExtRowModes.size() || !e || ExtRowModes[(size_t)row] > 1) return;
    int mode = ExtRowModes[(size_t)row];
    const std::wstring ext = ExtRows[(size_t)row].key;
    const PlugEntry entry = *e;
    bool ticked = StateImage(change->uNewState) == 2;
    PendingEdit& edit = PendingEditFor(entry);
    bool parks = !(entry.probeStatus == ProbeOk && !entry.iniDetect.negatedListForm &&
                   ExtListContains(entry.pluginDetect.items, DetectItem{ext, DetItemExt})) &&
                 !edit.explicitDetect;
    if (mode == ExtModeAdd) {
        if (ticked && std::find(edit.addedExts.begin(), edit.addedExts.end(), ext) == edit.addedExts.end())
            edit.addedExts.push_back(ext);
        if (!ticked) std::erase(edit.addedExts, ext);
    } else {
        if (ticked) edit.removedExts.erase(ext);
        else edit.removedExts.insert(ext);
        if (parks) SaveParked(entry, ext, !ticked);
    }
    if (!ticked && DetectLostLast(edit)) {
        // The guard before the change could not see every path here; undo it.
        if (mode == ExtModeAdd) {
            edit.addedExts.push_back(ext);
        } else {
            edit.removedExts.erase(ext);
            if (parks) SaveParked(entry, ext, false);
        }
        RefuseLast(entry);
    } else {
        DebugLog(L"toggle " + entry.name + L" " + (ext.empty() ? L"(no ext)" : ext) + (ticked ? L" on" : L" off"));
    }
    DropPendingIfUnchanged((int)entry.kind, entry.number);
    UiPostRefresh();
}

LRESULT PluginListNotify(HWND window, const NMHDR* header) {
    switch (header->code) {
    case NM_CUSTOMDRAW: return PluginListDraw((NMLVCUSTOMDRAW*)header);
    case LVN_GETINFOTIPW: FillInfoTip((NMLVGETINFOTIPW*)header); return 0;
    case NM_DBLCLK:
    case NM_RETURN: PluginListActivate(window, header->code, ((const NMITEMACTIVATE*)header)->iItem); return 0;
    case NM_RCLICK: {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row < 0) return TRUE;
        POINT pt;
        GetCursorPos(&pt);
        if (ListActions.keptRowMenu && ListActions.keptRowMenu(window, pt, row)) return TRUE;
        if (ListActions.pluginMenu) ListActions.pluginMenu(window, pt, SelectedPluginRef(row));
        return TRUE;
    }
    case LVN_KEYDOWN: {
        WORD key = ((const NMLVKEYDOWN*)header)->wVKey;
        if (key == VK_BACK) BackToFindings(window);
        else if (key == VK_DELETE) SendMessageW(window, WM_COMMAND, CmdDelete, 0);
        else if (key == VK_F4) SendMessageW(window, WM_COMMAND, CmdEdit, 0);
        return 0;
    }
    case LVN_COLUMNCLICK:
        ListViewSortByColumn(PluginList, ((const NMLISTVIEW*)header)->iSubItem);
        UpdateSearchStatus();
        return 0;
    case LVN_ITEMCHANGED: {
        const auto* change = (const NMLISTVIEW*)header;
        if (!ListViewNewlySelected(*change)) return 0;
        bool noted = !StatusNote.empty();
        ShowDetails((int)change->lParam);
        if (noted) StatusBarNow();
        return 0;
    }
    }
    return 0;
}

LRESULT ExtListNotify(HWND window, const NMHDR* header) {
    switch (header->code) {
    case NM_CUSTOMDRAW: return StatusListDraw((NMLVCUSTOMDRAW*)header);
    case NM_RCLICK: {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row < 0) return TRUE;
        POINT pt;
        GetCursorPos(&pt);
        if (ListActions.extRowMenu) ListActions.extRowMenu(window, pt, row);
        return TRUE;
    }
    case LVN_KEYDOWN: {
        WORD key = ((const NMLVKEYDOWN*)header)->wVKey;
        if (key == VK_BACK) BackToFindings(window);
        else ExtListKey(window, key);
        return 0;
    }
    case LVN_COLUMNCLICK: ListViewSortByColumn(ExtList, ((const NMLISTVIEW*)header)->iSubItem); return 0;
    case LVN_ITEMCHANGING: return ExtItemChanging((const NMLISTVIEW*)header);
    case LVN_ITEMCHANGED: ExtItemChanged((const NMLISTVIEW*)header); return 0;
    }
    return 0;
}

LRESULT ListerCheckNotify(HWND window, const NMHDR* header) {
    switch (header->code) {
    case NM_CUSTOMDRAW: return ListerCheckDraw((NMLVCUSTOMDRAW*)header);
    case LVN_ITEMCHANGED: {
        const auto* change = (const NMLISTVIEW*)header;
        if (ListViewNewlySelected(*change)) LvCheckDetailText((int)change->lParam);
        return 0;
    }
    case NM_RCLICK: {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row < 0) return TRUE;
        POINT pt;
        GetCursorPos(&pt);
        if (ListActions.listerCheckMenu) ListActions.listerCheckMenu(window, pt, ListViewItemData(LvCheckList, row));
        return TRUE;
    }
    }
    return 0;
}

}  // namespace

LRESULT OnMainNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (LRESULT preview = 0; OnPreviewNotify(header, preview)) return preview;
    HWND from = header->hwndFrom;
    if (from == TabCtl && header->code == TCN_SELCHANGE) {
        StatusNote.clear();
        CameFromFinding = 0;
        FillTab(MainWindowOf(window));
        return 0;
    }
    if (from && from == PluginList) return PluginListNotify(window, header);
    if (from && from == ExtList) return ExtListNotify(window, header);
    if (from && from == LvCheckList) return ListerCheckNotify(window, header);
    LRESULT result = 0;
    if (ListActions.otherListNotify && ListActions.otherListNotify(window, header, result)) return result;
    if ((from == FindingsList || from == InventoryList) && from && header->code == LVN_COLUMNCLICK) {
        ListViewSortByColumn(from, ((const NMLISTVIEW*)header)->iSubItem);
        UpdateSearchStatus();
        return 0;
    }
    return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
}

LRESULT OnMainContextMenu(HWND window, WPARAM wParam, LPARAM lParam) {
    if (OnPreviewContextMenu(window, reinterpret_cast<HWND>(wParam), lParam)) return 0;
    HWND list = reinterpret_cast<HWND>(wParam);
    if (list && (list == PluginList || list == ExtList || list == InventoryList)) {
        int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        if (row < 0) return 0;
        POINT pt = ListViewMenuPoint(list, row, lParam);
        if (list == ExtList) {
            if (ListActions.extRowMenu) ListActions.extRowMenu(window, pt, row);
        } else if (list == InventoryList) {
            if (ListActions.pluginMenu) ListActions.pluginMenu(window, pt, SelectedPluginRef(row));
        } else if (!(ListActions.keptRowMenu && ListActions.keptRowMenu(window, pt, row)) && ListActions.pluginMenu) {
            ListActions.pluginMenu(window, pt, SelectedPluginRef(row));
        }
        return 0;
    }
    if (ListActions.otherListMenu && ListActions.otherListMenu(window, list, lParam)) return 0;
    return DefWindowProcW(window, WM_CONTEXTMENU, wParam, lParam);
}
