#include "views/tab_fill.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "analyses/preview_state.h"
#include "views/preview_file.h"
#include "editing/pending_ops.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "probe/workers.h"
#include "views/detail_pane.h"
#include "views/ext_checklist.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "views/main_controls.h"
#include "views/page_window.h"
#include "views/panes.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "foundation/ui_globals.h"
#include "views/view_state.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
#include "views/cell_texts.h"

int ShownSectionKind = -1;
std::wstring ShownSectionText;
FieldUsage ShownFieldUsage;
ListerSettings ShownListerSettings;
int ProbeDone = 0;
int ProbeTotal = 0;
TabFillHooks FillHooks;
std::function<PlugRef(int row)> InventoryPluginRef;

namespace {

void Run(const std::function<void()>& hook) {
    if (hook) hook();
}

void StatusBarNow() {
    if (UpdateStatusBar) UpdateStatusBar();
}

const char* DetailLabelKey(int tab) {
    switch (tab) {
    case 4: return "lbl_log";
    case 5: return "lbl_finding";
    case 6: return "lbl_pvfield";
    case KindPacker:
    case KindFileSystem: return "lbl_entry";
    default: return "lbl_detect";
    }
}

void PreparePanes(int tab) {
    if (KeyBar) InvalidateRect(KeyBar, nullptr, FALSE);
    if (DetailLabel) SetWindowTextW(DetailLabel, Tr(DetailLabelKey(tab)).c_str());
    if (DetailBox) SendMessageW(DetailBox, WM_SETFONT, (WPARAM)(tab == 4 ? UiFontFixed : UiFont), TRUE);
    Run(FillHooks.setDetailMargins);
    Run(LayoutPanes);
}

void ClearPluginTab() {
    TabEntries.clear();
    KeptEntries.clear();
    ExtClaims.clear();
    DetailRowShown = -1;
    ProbeDone = ProbeTotal = 0;
}

void FillPluginRows(int kind) {
    if (!PluginList) return;
    SendMessageW(PluginList, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(PluginList);
    int base = INT_MAX;
    for (const auto& e : TabEntries) base = std::min(base, e.number);
    bool custom = OrderIsCustom(kind);
    for (size_t i = 0; i < TabEntries.size(); ++i) {
        const PlugEntry& e = TabEntries[i];
        std::wstring number = EntryNumberCell(base, i, e.number, custom);
        bool moved = number.find(L'\u2190') != std::wstring::npos;
        ListViewSetCell(PluginList, (int)i, 0, number);
        ListViewSetCell(PluginList, (int)i, 1, e.name + (moved || RowHasPending(e) ? L" *" : L""));
        ListViewSetCell(PluginList, (int)i, 2, PlugEntryExtraText(e));
        ListViewSetCell(PluginList, (int)i, 3, RowStateGlyph(e).glyph);
        ListViewSetCell(PluginList, (int)i, PathColumn, PathForDisplay(e.path, false));
    }
    KeptEntries = ReadDisabled(kind);
    for (size_t j = 0; j < KeptEntries.size(); ++j) {
        const KeptEntry& k = KeptEntries[j];
        int row = (int)(TabEntries.size() + j);
        bool again = PendingReactivations.count(k.key) != 0;
        ListViewSetCell(PluginList, row, 0, L"\u2013");
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = KeptIdBase + (LPARAM)j;
        SendMessageW(PluginList, LVM_SETITEMW, 0, (LPARAM)&item);
        ListViewSetCell(PluginList, row, 1, k.name + (again ? L" *" : L""));
        ListViewSetCell(PluginList, row, 3, Tr(again ? "chk_enable" : "chk_disabled"));
        ListViewSetCell(PluginList, row, PathColumn, PathForDisplay(k.path, false));
    }
    if (custom) {
        ListView_SetColumnWidth(PluginList, 0, LVSCW_AUTOSIZE);
        if (ListView_GetColumnWidth(PluginList, 0) < UiScale(34)) ListView_SetColumnWidth(PluginList, 0, UiScale(34));
    }
    ListViewFitLastColumn(PluginList);
    FitPathColumn();
    SendMessageW(PluginList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(PluginList, nullptr, TRUE);
}

void StartProbeJob(int kind) {
    uint32_t gen = ++ProbeGen;
    ProbeDone = ProbeTotal = 0;
    auto* job = new ProbeJob{MainWnd, gen, CurrentChildSettings(), (uint32_t)kind, 0, {}};
    for (size_t i = 0; i < TabEntries.size(); ++i)
        if (TabEntries[i].probeStatus == ProbePending) job->items.push_back({(uint32_t)i, TabEntries[i].expandedPath});
    if (job->items.empty()) {
        delete job;
        if (FillHooks.updateInventory) FillHooks.updateInventory(kind);
        Run(FillHooks.startBackgroundProbe);
        return;
    }
    ProbeTotal = (int)job->items.size();
    std::vector<ProbeItem> items = job->items;
    HANDLE thread = CreateThread(nullptr, 0, ProbeThreadProc, job, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    delete job;
    ProbeTotal = 0;
    // No answer will come: the rows say the query could not run instead of waiting.
    for (const ProbeItem& item : items) {
        TabEntries[item.row].probeStatus = ProbeError;
        UpdateRowStatusCells((int)item.row);
    }
}

void FillPluginTab(int kind) {
    ForgetTabCounts();
    PluginSection section = LoadPluginSection(kind);
    TabEntries = std::move(section.entries);
    ShownSection = {section.iniUsed, section.missing != 0, section.leftOverKeys};
    if (kind == KindLister) ShownListerSettings = std::move(section.lister);
    ShownFieldUsage = BuildFieldUsage();
    ShownSectionKind = kind;
    ShownSectionText = PluginSectionText(kind);
    if (auto order = PendingOrders.find(kind); order != PendingOrders.end())
        TabEntries = ApplyOrder(std::move(TabEntries), order->second.order);
    BuildExtClaims();
    if (ExtList) {
        std::wstring caption = Tr(kind == KindFileSystem ? "col_fsname" : "col_ext");
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = caption.data();
        SendMessageW(ExtList, LVM_SETCOLUMNW, 0, (LPARAM)&column);
    }
    FillPluginRows(kind);
    ShowDetails(-1);
    if (PluginList) {
        ListViewSortApply(PluginList);
        if (!TabEntries.empty())
            ListView_SetItemState(PluginList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    Run(FillHooks.startExtraColumns);
    StartProbeJob(kind);
}

}  // namespace

std::vector<PlugEntry> ApplyOrder(std::vector<PlugEntry> entries, const std::vector<int>& order) {
    std::vector<PlugEntry> ordered;
    std::vector<bool> taken(entries.size(), false);
    for (int number : order) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (taken[i] || entries[i].number != number) continue;
            taken[i] = true;
            ordered.push_back(std::move(entries[i]));
            break;
        }
    }
    for (size_t i = 0; i < entries.size(); ++i)
        if (!taken[i]) ordered.push_back(std::move(entries[i]));
    return ordered;
}

std::wstring EntryNumberCell(int base, size_t i, int number, bool custom) {
    long long place = (long long)base + (long long)i;
    if (custom && place != number) return std::to_wstring(place) + L" \u2190" + std::to_wstring(number);
    return std::to_wstring(number);
}

static void FillShownTab(IPreviewView& preview) {
    int tab = TabCtl ? TabCtrl_GetCurSel(TabCtl) : 0;
    ++ProbeGen;
    TabIsInventory = tab == 4;
    TabIsFindings = tab == 5;
    TabIsPreview = tab == 6;
    PreparePanes(tab);
    if (tab == 6) {
        ClearPluginTab();
        SetDetailText(L"", true);
        PreviewTabRefresh(preview);
        StatusBarNow();
        return;
    }
    ++PvFieldsGen;
    if (tab == 5 || tab == 4) {
        // The plugin tabs' detail state goes too, so a refresh never shows an entry of another tab.
        ClearPluginTab();
        ShowDetails(-1);
        if (tab == 5) {
            Run(FillHooks.fillFindings);
        } else {
            Run(FillHooks.fillInventory);
            ShowChangeLog();
        }
        Run(FillHooks.startBackgroundProbe);
        StatusBarNow();
        return;
    }
    FillPluginTab(tab);
    StatusBarNow();
}

// The search looks for its hits again once the new rows stand.
void FillTab(IPreviewView& preview) {
    FillShownTab(preview);
    Run(FillHooks.resetSearch);
}

PlugRef SelectedPluginRef(int row) {
    if (TabIsInventory) return InventoryPluginRef ? InventoryPluginRef(row) : PlugRef{};
    if (!PluginList) return {};
    if (row < 0) row = (int)SendMessageW(PluginList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    int id = ListViewItemData(PluginList, row);
    if (id < 0 || (size_t)id >= TabEntries.size()) return {};
    const PlugEntry& e = TabEntries[(size_t)id];
    PlugRef ref = MakePluginRef(e.name, e.path);
    ref.detect = e.detectText;
    ref.hasDetect = e.hasDetect;
    ref.entryIndex = id;
    return ref;
}
