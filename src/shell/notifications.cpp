#include "shell/notifications.h"

#include <commctrl.h>

#include <algorithm>

#include "analyses/detect_compare.h"
#include "analyses/detect_notes.h"
#include "analyses/inventory.h"
#include "analyses/lister_check.h"
#include "editing/entry_edit.h"
#include "editing/finding_actions.h"
#include "editing/kept_rows.h"
#include "editing/launch.h"
#include "editing/lister_actions.h"
#include "editing/pending_ops.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plugin_files.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/menu_help.h"
#include "shell/plugin_menu.h"
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
#include "views/main_view.h"
#include "views/panes.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/usage_badges.h"
#include "foundation/themes.h"


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

LRESULT PluginRowPrePaint(const MainView& view, NMLVCUSTOMDRAW* draw) {
    int id = ListViewDrawnItem(draw);
    Row = {};
    const PlugEntry* e = EntryOf(id);
    if (!e || EntryMarkedDelete(*e)) {
        Row.mark = 2;
    } else {
        if (EntryIsNew((int)e->kind, *e)) Row.mark = 1;
        Row.wrongFolder = InWrongFolder(*e);
        Row.greedy = IsGreedyLister(*e);
    }
    if (Row.mark == 1) draw->clrTextBk = Slot(5);
    if (Row.mark == 2) draw->clrText = Slot(6);
    Row.selected = ListViewRowSelected(draw);
    ThemeSelColors(view, draw);
    Row.text = draw->clrText;
    Row.back = draw->clrTextBk;
    bool cells = Row.wrongFolder || Row.greedy || (CurrentTheme->custom && !Row.selected && Row.mark != 2);
    return CDRF_NOTIFYPOSTPAINT | (cells ? CDRF_NOTIFYSUBITEMDRAW : 0);
}

LRESULT PluginCellPrePaint(const MainView& view, NMLVCUSTOMDRAW* draw) {
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
    COLORREF colour = StatusCellColor(view, draw->nmcd.hdr.hwndFrom, (int)draw->nmcd.dwItemSpec, column);
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

LRESULT PluginListDraw(const MainView& view, NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return PluginRowPrePaint(view, draw);
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT: return PluginCellPrePaint(view, draw);
    case CDDS_ITEMPOSTPAINT: PluginRowPostPaint(draw); return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

// The extension list colours its state cells; everything else keeps the scheme.
LRESULT StatusListDraw(const MainView& view, NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        ThemeSelColors(view, draw);
        return CurrentTheme->custom && !ListViewRowSelected(draw) ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT: return StatusCellPrePaint(view, draw);
    }
    return CDRF_DODEFAULT;
}

LRESULT ListerCheckDraw(const MainView& view, NMLVCUSTOMDRAW* draw) {
    if (GroupHeaderPrePaint(draw)) return CDRF_SKIPDEFAULT;
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    size_t index = (size_t)draw->nmcd.lItemlParam;
    bool noMatch = index < LvRows.size() && LvRows[index].state == LvNoMatch;
    if (noMatch) draw->clrText = CurrentTheme->custom ? Slot(6) : GetSysColor(COLOR_GRAYTEXT);
    else if (CurrentTheme->custom) draw->clrText = Slot(2);
    ThemeSelColors(view, draw);
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
        tip += L"\n" + FillVars(Tr("tip_folder"), {{L"f", word}, {L"k", PluginKindText(mask)}});
    }
    return tip;
}

void FillInfoTip(NMLVGETINFOTIPW* tip) {
    const PlugEntry* e = EntryOf(ListViewItemData(tip->hdr.hwndFrom, tip->iItem));
    if (!e || !tip->pszText || tip->cchTextMax < 1) return;
    std::wstring text = InfoTip(*e);
    size_t n = std::min(text.size(), (size_t)tip->cchTextMax - 1);
    std::copy_n(text.begin(), n, tip->pszText);
    tip->pszText[n] = 0;
}

void OpenRowFolder(MainView& view, int row) {
    OpenInTc(SelectedPluginRef(view, row), L"");
}

void PluginListActivate(MainWindow& app, UINT code, int row) {
    MainView& view = app.View();
    if (code == NM_DBLCLK && row < 0) return;
    if (code == NM_DBLCLK && GetSetting(L"General", L"DoubleClick") == L"edit" && EntryOf(PluginListSelection(view))) {
        EditEntry(app, app.Hwnd(), PluginListSelection(view), L"");
        return;
    }
    OpenRowFolder(view, code == NM_DBLCLK ? row : -1);
}

void BackToFindings(MainView& view) {
    HWND tabs = view.controls.tabCtl;
    if (!view.cameFromFinding || !tabs) return;
    view.statusNote.clear();
    view.cameFromFinding = false;
    TabCtrl_SetCurSel(tabs, 5);
    FillTab(view);
    if (view.controls.findingsList) SetFocus(view.controls.findingsList);
}

const PlugEntry* ShownEntry(const MainView& view) { return EntryOf(view.detailRowShown); }

void ExtListKey(MainWindow& app, WORD key) {
    const MainView& view = app.View();
    HWND window = view.controls.main, list = view.controls.extList;
    const PlugEntry* e = ShownEntry(view);
    if (!e) return;
    int row = ListViewItemData(list, ListView_GetNextItem(list, -1, LVNI_SELECTED));
    bool validRow = row >= 0 && (size_t)row < view.extRows.size();
    if (e->kind == KindPacker && validRow) {
        const std::wstring ext = view.extRows[(size_t)row].key;
        if (key == VK_DELETE) AskMarkDelete(app, window, view.detailRowShown, ext);
        else if (key == VK_F4) EditEntry(app, window, view.detailRowShown, ext);
        return;
    }
    if (key == VK_F4) {
        EditEntry(app, window, view.detailRowShown, L"");
    } else if (key == VK_DELETE && validRow && view.extRowModes[(size_t)row] == ExtModeRemove) {
        int item = ListViewFindItemData(list, row);
        ListView_SetItemState(list, item, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    } else if (key == VK_DELETE && e->kind == KindFileSystem) {
        AskMarkDelete(app, window, view.detailRowShown, L"");
    }
}

void RefuseLast(MainView& view, const PlugEntry& e) {
    MessageBeep(MB_ICONEXCLAMATION);
    view.statusNote = Tr(e.iniDetect.negatedListForm ? "st_last_ex" : "st_last_ext");
    UpdateStatusBar(view);
}

UINT StateImage(UINT state) { return (state & LVIS_STATEIMAGEMASK) >> 12; }

bool ImageChanges(const NMLISTVIEW* change) {
    return (change->uChanged & LVIF_STATE) &&
           ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) != 0;
}

// Before a check box changes: refused for locked rows, and for an untick that
// would leave the detect string without its last term.
LRESULT ExtItemChanging(MainView& view, const NMLISTVIEW* change) {
    if (view.extListFilling || !ImageChanges(change)) return FALSE;
    int row = (int)change->lParam;
    const PlugEntry* e = ShownEntry(view);
    if (row < 0 || (size_t)row >= view.extRowModes.size() || !e) return TRUE;
    unsigned mode = (unsigned)view.extRowModes[(size_t)row];
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
    const std::wstring& ext = view.extRows[(size_t)row].key;
    if (mode == ExtModeAdd) std::erase(trial.addedExts, ext);
    else trial.removedExts.insert(ext);
    if (!DetectLostLast(trial)) return FALSE;
    RefuseLast(view, *e);
    return TRUE;
}

void ExtItemChanged(MainView& view, const NMLISTVIEW* change) {
    if (view.extListFilling || !ImageChanges(change) || StateImage(change->uOldState) == 0) return;
    int row = (int)change->lParam;
    const PlugEntry* e = ShownEntry(view);
    if (row < 0 || (size_t)row >= view.extRowModes.size() || !e || view.extRowModes[(size_t)row] > 1) return;
    int mode = view.extRowModes[(size_t)row];
    const std::wstring ext = view.extRows[(size_t)row].key;
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
        RefuseLast(view, entry);
    } else {
        DebugLog(L"toggle " + entry.name + L" " + (ext.empty() ? L"(no ext)" : ext) + (ticked ? L" on" : L" off"));
    }
    DropPendingIfUnchanged((int)entry.kind, entry.number);
    UiPostRefresh(view.controls.main);
}

// The menu of an extension row: what can be done with the extension for the shown entry.
void ExtListMenu(MainWindow& app, POINT pt, int row) {
    const MainView& view = app.View();
    int id = ListViewItemData(view.controls.extList, row);
    if (id < 0 || (size_t)id >= view.extRows.size() || view.detailRowShown < 0) return;
    const ExtRow& r = view.extRows[(size_t)id];
    auto claims = ExtClaims.find(r.key);
    ExtRowMenu(app, view.controls.main, pt, view.detailRowShown, r.kind, r.key,
               claims == ExtClaims.end() ? std::vector<size_t>{} : claims->second);
}

LRESULT PluginListNotify(MainWindow& app, const NMHDR* header) {
    MainView& view = app.View();
    HWND window = view.controls.main;
    switch (header->code) {
    case NM_CUSTOMDRAW: return PluginListDraw(view, (NMLVCUSTOMDRAW*)header);
    case LVN_GETINFOTIPW: FillInfoTip((NMLVGETINFOTIPW*)header); return 0;
    case NM_DBLCLK:
    case NM_RETURN: PluginListActivate(app, header->code, ((const NMITEMACTIVATE*)header)->iItem); return 0;
    case NM_RCLICK: {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row < 0) return TRUE;
        POINT pt;
        GetCursorPos(&pt);
        if (DisabledRowMenu(app, window, pt, ListViewItemData(header->hwndFrom, row))) return TRUE;
        PluginMenu(app, pt, SelectedPluginRef(view, row));
        return TRUE;
    }
    case LVN_KEYDOWN: {
        WORD key = ((const NMLVKEYDOWN*)header)->wVKey;
        if (key == VK_BACK) BackToFindings(view);
        else if (key == VK_DELETE) SendMessageW(window, WM_COMMAND, CmdDelete, 0);
        else if (key == VK_F4) SendMessageW(window, WM_COMMAND, CmdEdit, 0);
        return 0;
    }
    case LVN_COLUMNCLICK:
        ListViewSortByColumn(header->hwndFrom, ((const NMLISTVIEW*)header)->iSubItem);
        UpdateSearchStatus(view);
        return 0;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED: {
        int row = ListViewNewlySelectedRow(header);
        if (row < 0) return 0;
        bool noted = !view.statusNote.empty();
        ShowDetails(view, ListViewItemData(header->hwndFrom, row));
        if (noted) UpdateStatusBar(view);
        return 0;
    }
    }
    return 0;
}

LRESULT ExtListNotify(MainWindow& app, const NMHDR* header) {
    MainView& view = app.View();
    switch (header->code) {
    case NM_CUSTOMDRAW: return StatusListDraw(view, (NMLVCUSTOMDRAW*)header);
    case NM_RCLICK: {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row < 0) return TRUE;
        POINT pt;
        GetCursorPos(&pt);
        ExtListMenu(app, pt, row);
        return TRUE;
    }
    case LVN_KEYDOWN: {
        WORD key = ((const NMLVKEYDOWN*)header)->wVKey;
        if (key == VK_BACK) BackToFindings(view);
        else ExtListKey(app, key);
        return 0;
    }
    case LVN_COLUMNCLICK: ListViewSortByColumn(header->hwndFrom, ((const NMLISTVIEW*)header)->iSubItem); return 0;
    case LVN_ITEMCHANGING: return ExtItemChanging(view, (const NMLISTVIEW*)header);
    case LVN_ITEMCHANGED: ExtItemChanged(view, (const NMLISTVIEW*)header); return 0;
    }
    return 0;
}

LRESULT ListerCheckNotify(MainWindow& app, const NMHDR* header) {
    MainView& view = app.View();
    switch (header->code) {
    case NM_CUSTOMDRAW: return ListerCheckDraw(view, (NMLVCUSTOMDRAW*)header);
    case LVN_ITEMCHANGED: {
        const auto* change = (const NMLISTVIEW*)header;
        if (ListViewNewlySelected(*change)) LvCheckDetailText(view, (int)change->lParam);
        return 0;
    }
    case NM_RCLICK: {
        int row = ((const NMITEMACTIVATE*)header)->iItem;
        if (row < 0) return TRUE;
        POINT pt;
        GetCursorPos(&pt);
        LvCheckMenu(app, app.Hwnd(), pt, ListViewItemData(header->hwndFrom, row));
        return TRUE;
    }
    }
    return 0;
}

}  // namespace

LRESULT OnMainNotify(MainWindow& app, WPARAM wParam, LPARAM lParam) {
    MainView& view = app.View();
    const MainControls& c = view.controls;
    HWND window = c.main;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (LRESULT preview = 0; OnPreviewNotify(view, header, preview)) return preview;
    HWND from = header->hwndFrom;
    if (from == c.tabCtl && header->code == TCN_SELCHANGE) {
        view.statusNote.clear();
        view.cameFromFinding = false;
        FillTab(view);
        return 0;
    }
    if (from && from == c.pluginList) return PluginListNotify(app, header);
    if (from && from == c.extList) return ExtListNotify(app, header);
    if (from && from == c.lvCheckList) return ListerCheckNotify(app, header);
    LRESULT result = 0;
    if (OnFindingsOrInventoryNotify(app, header, result)) return result;
    if ((from == c.findingsList || from == c.inventoryList) && from && header->code == LVN_COLUMNCLICK) {
        ListViewSortByColumn(from, ((const NMLISTVIEW*)header)->iSubItem);
        UpdateSearchStatus(view);
        return 0;
    }
    return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
}

LRESULT OnMainContextMenu(MainWindow& app, WPARAM wParam, LPARAM lParam) {
    MainView& view = app.View();
    const MainControls& c = view.controls;
    HWND window = c.main;
    if (OnPreviewContextMenu(view, reinterpret_cast<HWND>(wParam), lParam)) return 0;
    HWND list = reinterpret_cast<HWND>(wParam);
    if (list && (list == c.pluginList || list == c.extList || list == c.inventoryList)) {
        int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        if (row < 0) return 0;
        POINT pt = ListViewMenuPoint(list, row, lParam);
        if (list == c.extList) ExtListMenu(app, pt, row);
        else if (list == c.inventoryList) PluginMenu(app, pt, SelectedPluginRef(view, row));
        else if (!DisabledRowMenu(app, window, pt, ListViewItemData(list, row)))
            PluginMenu(app, pt, SelectedPluginRef(view, row));
        return 0;
    }
    if (list && list == c.findingsList) {
        int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        if (row >= 0) FindingsMenu(app, window, ListViewMenuPoint(list, row, lParam), ListViewItemData(list, row));
        return 0;
    }
    return DefWindowProcW(window, WM_CONTEXTMENU, wParam, lParam);
}
