#include "shell/search.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "analyses/plugin_caches.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "probe/child_run.h"
#include "probe/child_settings.h"
#include "foundation/list_view.h"
#include "views/cell_hilite.h"
#include "views/list_rows.h"
#include "views/main_view.h"
#include "views/panes.h"

FieldCache FieldNameCache;

namespace {

bool FieldCacheLoaded = false;
// The reset of the plugin caches the last scan followed; none before the first.
std::optional<uint32_t> FieldScanAfterReset;
int FieldScanDone = 0;
int FieldScanTotal = 0;

bool FieldScanRunning() { return FieldScanDone < FieldScanTotal; }

constexpr int ContentTab = 1;
const wchar_t* const Dot = L"  \u00b7  ";

bool OnContentTab(const MainView& view) {
    HWND tabs = view.controls.tabCtl;
    bool specialTab = view.tabIsPreview || view.tabIsFindings || view.tabIsInventory;
    return tabs && !specialTab && TabCtrl_GetCurSel(tabs) == ContentTab;
}

std::wstring EditText(const MainView& view) {
    if (!view.controls.searchEdit) return L"";
    wchar_t text[512] = {};
    GetWindowTextW(view.controls.searchEdit, text, 512);
    return StrTrim(text);
}

bool CellsContain(HWND list, int row, const std::wstring& query) {
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 1;
    for (int column = 0; column < columns; ++column)
        if (StrLower(ListViewCellText(list, row, column, 2048)).find(query) != std::wstring::npos) return true;
    return false;
}

// Rows of kept entries carry item data beyond the entries and are searched by their cells only.
bool EntryHit(int item, const std::wstring& query, std::wstring& note) {
    if (item < 0 || (size_t)item >= TabEntries.size()) return false;
    const PlugEntry& entry = TabEntries[(size_t)item];
    std::wstring ext = MatchingExtItem(entry.iniDetect, SearchExtTerm(query));
    if (!ext.empty()) {
        note = FillVar(Tr("srch_ext"), L"e", ext);
        return true;
    }
    if (entry.kind != KindContent) return false;
    LoadFieldsCache();
    auto cached = FieldNameCache.find(FieldCacheKey(entry.expandedPath));
    if (cached == FieldNameCache.end() || cached->second.stamp != FileStamp(entry.expandedPath)) return false;
    std::wstring field = MatchingFieldName(cached->second.names, query);
    if (field.empty()) return false;
    note = FillVar(Tr("srch_field"), L"f", field);
    return true;
}

void FindHits(MainView& view, HWND list, const std::wstring& query) {
    view.search.hits.clear();
    int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        int item = ListViewItemData(list, row);
        std::wstring note;
        if (CellsContain(list, row, query) || (list == view.controls.pluginList && EntryHit(item, query, note)))
            view.search.hits.push_back({item, note});
    }
}

// The hits whose rows still exist, in the rows' present order; with the rows.
std::vector<int> HitRows(MainView& view, HWND list) {
    std::vector<std::pair<int, SearchHit>> found;
    for (SearchHit& hit : view.search.hits)
        if (int row = ListViewFindItemData(list, hit.item); row >= 0) found.push_back({row, std::move(hit)});
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    view.search.hits.clear();
    std::vector<int> rows;
    for (auto& [row, hit] : found) {
        rows.push_back(row);
        view.search.hits.push_back(std::move(hit));
    }
    return rows;
}

int CurrentIndex(const MainView& view) {
    for (size_t i = 0; i < view.search.hits.size(); ++i)
        if (view.search.hits[i].item == view.search.currentItem) return (int)i;
    return -1;
}

void ExpandPreviewGroup(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_GROUPID;
    item.iItem = row;
    if (!SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&item) || item.iGroupId <= 0) return;
    LVGROUP group{};
    group.cbSize = sizeof(group);
    group.mask = LVGF_STATE;
    group.stateMask = LVGS_COLLAPSED;
    SendMessageW(list, LVM_SETGROUPINFO, item.iGroupId, (LPARAM)&group);
}

void GoToSearchMatch(MainView& view, int index) {
    HWND list = UiCurrentList(view);
    std::vector<int> rows = list ? HitRows(view, list) : std::vector<int>{};
    if (index < 0 || index >= (int)rows.size()) {
        UpdateSearchStatus(view);
        return;
    }
    view.search.currentItem = view.search.hits[(size_t)index].item;
    view.searchPaint.currentItem = view.search.currentItem;
    int row = rows[(size_t)index];
    if (list == view.controls.pvFieldList) ExpandPreviewGroup(list, row);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
    InvalidateRect(list, nullptr, FALSE);
    HighlightDetailMatches(view);
    UpdateSearchStatus(view);
}

}  // namespace

void RunSearch(MainView& view) {
    if (!view.controls.searchEdit) return;
    std::wstring query = StrLower(EditText(view));
    view.search.hits.clear();
    view.search.currentItem = -1;
    view.searchPaint.currentItem = -1;
    HWND list = UiCurrentList(view);
    if (query != view.searchPaint.text) {
        view.searchPaint.text = query;
        if (list) InvalidateRect(list, nullptr, FALSE);
        HighlightDetailMatches(view);
    }
    if (query.empty() || !list) {
        UpdateSearchStatus(view);
        return;
    }
    if (OnContentTab(view)) StartFieldScan(view);
    int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    FindHits(view, list, query);
    std::vector<int> rows = HitRows(view, list);
    if (rows.empty()) {
        UpdateSearchStatus(view);
        return;
    }
    GoToSearchMatch(view, (int)FirstHitFrom(rows, std::max(focused, 0)));
}

void OnSearchEdit(MainView& view, int step) {
    if (EditText(view).empty()) {
        FocusSearch(view);
        return;
    }
    HWND list = UiCurrentList(view);
    if (list) HitRows(view, list);
    if (view.search.hits.empty()) {
        RunSearch(view);
        return;
    }
    GoToSearchMatch(view, StepHit(CurrentIndex(view), step, (int)view.search.hits.size()));
}

void FocusSearch(MainView& view) {
    HWND edit = view.controls.searchEdit;
    if (!edit) return;
    if (OnContentTab(view)) StartFieldScan(view);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    UpdateSearchStatus(view);
}

void SearchAfterFill(MainView& view) {
    view.search.hits.clear();
    view.searchPaint.currentItem = -1;
    HWND list = UiCurrentList(view);
    bool searching = !EditText(view).empty();
    if (!view.searchPaint.text.empty() && list && searching) {
        FindHits(view, list, view.searchPaint.text);
        int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        view.search.currentItem = selected >= 0 ? ListViewItemData(list, selected) : -1;
    }
    if (!view.controls.searchReady) return;
    // Asking every Content plugin for its fields costs a child process each: only a search needs them.
    if (searching && OnContentTab(view)) StartFieldScan(view);
    UpdateSearchStatus(view);
}

void UpdateSearchStatus(MainView& view) {
    if (!view.controls.searchStatus) return;
    std::wstring status;
    if (!EditText(view).empty()) {
        HWND list = UiCurrentList(view);
        if (list) HitRows(view, list);
        int current = CurrentIndex(view);
        if (view.search.hits.empty()) {
            status = Tr("srch_none");
        } else {
            status = FillVars(Tr("srch_count"), {{L"i", current < 0 ? L"\u2013" : std::to_wstring(current + 1)},
                                                 {L"n", std::to_wstring(view.search.hits.size())}});
            if (current >= 0 && !view.search.hits[(size_t)current].note.empty())
                status += Dot + view.search.hits[(size_t)current].note;
        }
    }
    if (OnContentTab(view) && FieldScanRunning()) {
        if (!status.empty()) status += Dot;
        status += FillVars(Tr("srch_fieldsbusy"),
                           {{L"i", std::to_wstring(FieldScanDone)}, {L"n", std::to_wstring(FieldScanTotal)}});
    }
    if (status.empty()) status = Tr("srch_hint");
    SetWindowTextW(view.controls.searchStatus, status.c_str());
}

LRESULT CALLBACK SearchEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    MainView& view = *reinterpret_cast<MainView*>(data);
    switch (msg) {
    case WM_GETDLGCODE:
        if (auto* key = (const MSG*)lParam; key && key->message == WM_KEYDOWN &&
                                            (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
            return DLGC_WANTALLKEYS;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            OnSearchEdit(view, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            if (HWND list = UiCurrentList(view)) SetFocus(list);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == 13 || wParam == 27) return 0;
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (HWND list = UiCurrentList(view)) InvalidateRect(list, nullptr, FALSE);
        break;
    }
    return DefSubclassProc(edit, msg, wParam, lParam);
}

void LoadFieldsCache() {
    if (FieldCacheLoaded) return;
    FieldCacheLoaded = true;
    for (const auto& [key, value] : ReadIniSection(FieldsIniPath(), L"Fields")) {
        FieldCacheEntry entry;
        if (ParseFieldCacheValue(value, entry)) FieldNameCache[key] = std::move(entry);
    }
}

void StartFieldScan(const MainView& view) {
    // A scan still running ends first: the search it repeats at its end starts the next.
    if (WincmdIniPath.empty() || FieldScanRunning() || FieldScanAfterReset == PluginCacheResets()) return;
    FieldScanAfterReset = PluginCacheResets();
    LoadFieldsCache();
    auto job = std::make_unique<FieldScanJob>();
    job->window = view.controls.main;
    job->settings = CurrentChildSettings();
    for (const PlugEntry& entry : LoadPluginSection(KindContent).entries) {
        if (!entry.fileExists) continue;
        std::wstring key = FieldCacheKey(entry.expandedPath), stamp = FileStamp(entry.expandedPath);
        auto cached = FieldNameCache.find(key);
        if (cached != FieldNameCache.end() && cached->second.stamp == stamp) continue;
        job->items.push_back({key, entry.expandedPath, stamp});
    }
    FieldScanDone = 0;
    FieldScanTotal = (int)job->items.size();
    if (job->items.empty()) return;
    if (DWORD error = view.host.StartWorker(FieldScanThreadProc, job.get())) {
        // Without its names the search misses fields: the next search that needs them tries again.
        DebugLog(L"field names: " + WorkerStartFailureText(error));
        FieldScanTotal = 0;
        FieldScanAfterReset.reset();
        return;
    }
    job.release();
}

void OnFieldsResult(MainView& view, FieldListMsg& result) {
    ++FieldScanDone;
    if (result.ok) {
        FieldCacheEntry entry{result.third, std::move(result.names)};
        IniEnsureUtf16(FieldsIniPath());
        WritePrivateProfileStringW(L"Fields", result.first.c_str(), FieldCacheValue(entry).c_str(),
                                   FieldsIniPath().c_str());
        FieldNameCache[result.first] = std::move(entry);
    }
    if (!view.controls.searchReady) return;
    if (FieldScanDone >= FieldScanTotal) RunSearch(view);
    else UpdateSearchStatus(view);
}
