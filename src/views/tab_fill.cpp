#include "views/tab_fill.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "analyses/inventory.h"
#include "analyses/preview_state.h"
#include "views/preview_file.h"
#include "editing/pending_ops.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/list_view.h"
#include "foundation/virtual_list.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/tc_discovery.h"
#include "probe/post_record.h"
#include "probe/workers.h"
#include "views/detail_pane.h"
#include "views/ext_checklist.h"
#include "views/extra_columns.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "views/page_window.h"
#include "views/panes.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "foundation/ui_globals.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
#include "foundation/worker_threads.h"
#include "views/cell_texts.h"

int ShownSectionKind = -1;
std::wstring ShownSectionText;
ListerSettings ShownListerSettings;
int ProbeDone = 0;
int ProbeTotal = 0;
namespace {

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

void PreparePanes(MainView& view, int tab) {
    const MainControls& c = view.controls;
    if (c.keyBar) InvalidateRect(c.keyBar, nullptr, FALSE);
    if (c.detailLabel) SetWindowTextW(c.detailLabel, Tr(DetailLabelKey(tab)).c_str());
    if (c.detailBox) SendMessageW(c.detailBox, WM_SETFONT, (WPARAM)(tab == 4 ? UiFontFixed : UiFont), TRUE);
    SetDetailMargins(view);
    LayoutPagePanes(view);
}

void ClearPluginTab(MainView& view) {
    TabEntries.clear();
    KeptEntries.clear();
    ExtClaims.clear();
    view.detailRowShown = -1;
    ProbeDone = ProbeTotal = 0;
}

void FillPluginRows(MainView& view, int kind) {
    HWND list = view.controls.pluginList;
    if (!list) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListViewDeleteAllRows(list);
    int base = INT_MAX;
    for (const auto& e : TabEntries) base = std::min(base, e.number);
    bool custom = OrderIsCustom(kind);
    for (size_t i = 0; i < TabEntries.size(); ++i) {
        const PlugEntry& e = TabEntries[i];
        std::wstring number = EntryNumberCell(base, i, e.number, custom);
        bool moved = number.find(L'\u2190') != std::wstring::npos;
        ListViewSetCell(list, (int)i, 0, number);
        ListViewSetCell(list, (int)i, 1, e.name + (moved || RowHasPending(e) ? L" *" : L""));
        ListViewSetCell(list, (int)i, 2, PlugEntryExtraText(e));
        ListViewSetCell(list, (int)i, 3, RowStateGlyph(e).glyph);
        ListViewSetCell(list, (int)i, PathColumn, PathForDisplay(e.path, false));
    }
    KeptEntries = ReadDisabled(kind);
    for (size_t j = 0; j < KeptEntries.size(); ++j) {
        const KeptEntry& k = KeptEntries[j];
        int row = (int)(TabEntries.size() + j);
        bool again = PendingReactivations.count(k.key) != 0;
        ListViewSetCell(list, row, 0, L"\u2013");
        ListViewSetItemData(list, row, KeptIdBase + (int)j);
        ListViewSetCell(list, row, 1, k.name + (again ? L" *" : L""));
        ListViewSetCell(list, row, 3, Tr(again ? "chk_enable" : "chk_disabled"));
        ListViewSetCell(list, row, PathColumn, PathForDisplay(k.path, false));
    }
    ListViewShowRows(list);
    if (custom) {
        ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
        if (ListView_GetColumnWidth(list, 0) < UiScale(34)) ListView_SetColumnWidth(list, 0, UiScale(34));
    }
    ListViewFitLastColumn(list);
    FitPathColumn(view);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void StartProbeJob(MainView& view, int kind) {
    uint32_t gen = ++ProbeGen;
    ProbeDone = ProbeTotal = 0;
    auto* job = new ProbeJob{view.controls.main, gen, CurrentChildSettings(), (uint32_t)kind, 0, {}};
    for (size_t i = 0; i < TabEntries.size(); ++i)
        if (TabEntries[i].probeStatus == ProbePending) job->items.push_back({(uint32_t)i, TabEntries[i].expandedPath});
    if (job->items.empty()) {
        delete job;
        StartInventoryUpdate(view, kind);
        view.host.StartBackgroundProbe();
        return;
    }
    ProbeTotal = (int)job->items.size();
    std::vector<ProbeItem> items = job->items;
    DWORD error = view.host.StartWorker(ProbeThreadProc, job);
    if (!error) return;
    delete job;
    ProbeTotal = 0;
    // No answer will come: the rows say that their plugins were not asked, and why,
    // instead of waiting; the plugins themselves are none the worse.
    ProbeResult notAsked;
    notAsked.status = ProbeError;
    notAsked.notStarted = 1;
    notAsked.errorText = WorkerStartFailureText(error);
    for (const ProbeItem& item : items) {
        ApplyProbeResult(TabEntries[item.row], notAsked);
        UpdateRowStatusCells(view, (int)item.row);
    }
}

void ShowPluginSection(MainView& view, int kind, PluginSection section, std::wstring sectionText) {
    const MainControls& c = view.controls;
    ForgetTabCounts();
    TabEntries = std::move(section.entries);
    ShownSection = {section.iniUsed, section.missing != 0, section.leftOverKeys};
    if (kind == KindLister) ShownListerSettings = std::move(section.lister);
    ShownSectionKind = kind;
    ShownSectionText = std::move(sectionText);
    if (auto order = PendingOrders.find(kind); order != PendingOrders.end())
        TabEntries = ApplyOrder(std::move(TabEntries), order->second.order);
    BuildExtClaims();
    if (c.extList) {
        std::wstring caption = Tr(kind == KindFileSystem ? "col_fsname" : "col_ext");
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = caption.data();
        SendMessageW(c.extList, LVM_SETCOLUMNW, 0, (LPARAM)&column);
    }
    FillPluginRows(view, kind);
    ShowDetails(view, -1);
    if (c.pluginList) {
        ListViewSortApply(c.pluginList);
        if (!TabEntries.empty())
            ListView_SetItemState(c.pluginList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    XcolStartWorker(view);
    StartProbeJob(view, kind);
}

// Every fill of a tab counts, so that a section read for an earlier one is dropped.
uint32_t FillGen = 0;
bool SectionReading = false;

// The same as the section worker's read, on the window's thread.
void ReadAndShowPluginSection(MainView& view, int kind) {
    SectionReadMsg read{view.controls.main, FillGen, kind, WincmdIniPath, {}, {}};
    ReadShownSection(read);
    ApplyCachedProbes(read.section.entries);
    ShowPluginSection(view, kind, std::move(read.section), std::move(read.sectionText));
}

// Asked of the profile functions, the text of one section of a large file takes
// as long as reading the whole file: the worker reads it too.
DWORD WINAPI ReadSectionProc(LPVOID param) {
    std::unique_ptr<SectionReadMsg> job(static_cast<SectionReadMsg*>(param));
    ReadShownSection(*job);
    HWND window = job->window;
    PostRecord(window, MsgSectionRead, std::move(job));
    return 0;
}

int ShownTab(const MainView& view) {
    return view.controls.tabCtl ? TabCtrl_GetCurSel(view.controls.tabCtl) : 0;
}

// The controls and panes of the selected tab, before its rows.
int PrepareShownTab(MainView& view) {
    int tab = ShownTab(view);
    view.host.CreateTabControls(tab);
    ++ProbeGen;
    ++FillGen;
    view.tabIsInventory = tab == 4;
    view.tabIsFindings = tab == 5;
    view.tabIsPreview = tab == 6;
    PreparePanes(view, tab);
    return tab;
}

void EndPluginFill(MainView& view) {
    UpdateStatusBar(view);
    view.host.SearchAfterFill();
}

}  // namespace

void ReadShownSection(SectionReadMsg& read) {
    // The text first: a write of TC's while the section is read (seconds on a large
    // file) then differs from it at the next check. Read after the section, the text
    // would hold the write, and the rows shown may not.
    read.sectionText = PluginSectionText(read.ini, read.kind);
    read.section = ReadPluginSection(read.ini, read.kind);
}

void RememberShownSection() {
    if (ShownSectionKind >= 0) ShownSectionText = PluginSectionText(ShownSectionKind);
}

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

static void FillShownTab(MainView& view) {
    int tab = PrepareShownTab(view);
    if (tab == 6) {
        ClearPluginTab(view);
        SetDetailText(view, L"", true);
        PreviewTabRefresh(view);
        UpdateStatusBar(view);
        return;
    }
    ++PvFieldsGen;
    if (tab == 5 || tab == 4) {
        // The plugin tabs' detail state goes too, so a refresh never shows an entry of another tab.
        ClearPluginTab(view);
        ShowDetails(view, -1);
        if (tab == 5) {
            FillFindingsList(view);
        } else {
            InventoryCheckIni();
            FillInventoryList(view);
            ShowChangeLog(view);
        }
        view.host.StartBackgroundProbe();
        UpdateStatusBar(view);
        return;
    }
    ReadAndShowPluginSection(view, tab);
    UpdateStatusBar(view);
}

// The search looks for its hits again once the new rows stand.
void FillTab(MainView& view) {
    FillShownTab(view);
    view.host.SearchAfterFill();
}

bool StartFillOnWorker(MainView& view) {
    if (int tab = ShownTab(view); tab < 0 || tab > 3) {
        FillTab(view);
        return false;
    }
    int kind = PrepareShownTab(view);
    auto job = std::make_unique<SectionReadMsg>(SectionReadMsg{view.controls.main, FillGen, kind, WincmdIniPath, {}, {}});
    KernelHandle thread(StartWorkerThread(ReadSectionProc, job.get()));
    if (!thread) {
        ReadAndShowPluginSection(view, kind);
        EndPluginFill(view);
        return false;
    }
    job.release();
    SectionReading = true;
    UpdateStatusBar(view);
    return true;
}

bool SectionReadRunning() { return SectionReading; }

void TakeSectionRead(MainView& view, SectionReadMsg& read) {
    SectionReading = false;
    if (read.generation == FillGen && ShownTab(view) == read.kind && read.ini == WincmdIniPath) {
        ApplyCachedProbes(read.section.entries);
        ShowPluginSection(view, read.kind, std::move(read.section), std::move(read.sectionText));
    }
    EndPluginFill(view);
}

PlugRef SelectedPluginRef(MainView& view, int row) {
    if (view.tabIsInventory) return InventoryRowRef(view, row);
    HWND list = view.controls.pluginList;
    if (!list) return {};
    if (row < 0) row = (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    int id = ListViewItemData(list, row);
    if (id < 0 || (size_t)id >= TabEntries.size()) return {};
    const PlugEntry& e = TabEntries[(size_t)id];
    PlugRef ref = MakePluginRef(e.name, e.path);
    ref.detect = e.detectText;
    ref.hasDetect = e.hasDetect;
    ref.entryIndex = id;
    return ref;
}
