#include "views/extra_columns.h"

#include <commctrl.h>

#include <memory>

#include "analyses/detect_notes.h"
#include "analyses/plugin_caches.h"
#include "foundation/list_view.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/worker_threads.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/kept.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "views/window_layout.h"

namespace {

std::wstring ReachText(const PlugEntry* entry) {
    if (!entry || (entry->kind != KindLister && entry->kind != KindContent)) return L"";
    EntryReach reach = DetectReachOfEntry(*entry);
    if (!reach.valid) return L" ";
    static const char* const kKeys[] = {"xr_none", "xr_specific", "xr_cond", "xr_except", "xr_every"};
    return reach.reach >= 0 && reach.reach <= 4 ? Tr(kKeys[reach.reach]) : L" ";
}

// Empty when used: the window draws count badges into that cell.
std::wstring UsedText(const PlugEntry* entry) {
    if (!entry || entry->kind != KindContent) return L"";
    int counts[UsePlaceCount];
    return FieldUsageCount(CurrentFieldUsage(), PlugKey(entry->expandedPath), counts, L"") ? L"" : Tr("uss_none");
}

bool AnyValue(const PluginDetails& values) {
    for (size_t i = 0; i < PluginDetailColumns; ++i)
        if (!PluginDetailColumn(values, i).empty()) return true;
    return false;
}

// The plugin-list column of an extra column; -1 while it is not shown.
int ShownColumnOf(const wchar_t* id) {
    for (size_t j = 0; j < ExtraColIds.size(); ++j)
        if (std::wstring(ExtraColumnTable[ExtraColIds[j]].id) == id) return 4 + static_cast<int>(j);
    return -1;
}

}  // namespace

int XcolFindUsedColumn() { return ShownColumnOf(L"used"); }

void XcolFillRow(MainView& view, int row, const PluginDetails& values) {
    HWND list = view.controls.pluginList;
    bool any = AnyValue(values);
    for (size_t j = 0; j < ExtraColIds.size(); ++j) {
        int id = ExtraColIds[j];
        std::wstring column = ExtraColumnTable[id].id, text;
        if (column == L"reach") {
            text = ReachText(PluginListEntry(list, row));
        } else if (column == L"used") {
            text = UsedText(PluginListEntry(list, row));
        } else {
            text = PluginDetailColumn(values, static_cast<size_t>(id));
            if (text.empty() && any) text = L" ";
        }
        ListViewSetCell(list, row, 4 + static_cast<int>(j), text);
    }
}

void XcolUpdateReachCell(MainView& view, int row) {
    HWND list = view.controls.pluginList;
    if (int column = ShownColumnOf(L"reach"); column >= 0)
        ListViewSetCellQuietly(list, row, column, ReachText(PluginListEntry(list, row)));
}

void XcolStartWorker(MainView& view) {
    uint32_t generation = ++XcolGen;
    HWND list = view.controls.pluginList;
    if (!list || ExtraColIds.empty() || view.tabIsInventory || view.tabIsFindings || view.tabIsPreview) return;
    auto job = std::make_unique<DetailsJob>();
    job->window = view.controls.main;
    job->generation = generation;
    int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        int id = ListViewItemData(list, row);
        if (id < 0) continue;
        std::wstring path = PathOfId(id);
        if (path.empty()) continue;
        if (auto cached = XcolCache.find(FoldCase(path)); cached != XcolCache.end())
            XcolFillRow(view, row, cached->second);
        else job->items.push_back({id, path});
    }
    if (job->items.empty()) {
        ListViewSortApply(list);
        return;
    }
    HANDLE thread = StartWorkerThread(DetailsThreadProc, job.get());
    if (!thread) return;  // the uncached cells stay empty
    job.release();
    CloseHandle(thread);
}

void ApplyExtraColValues(MainView& view, const DetailsMsg& result) {
    if (!DetailsMayEnterCache(result)) return;
    std::wstring key = FoldCase(result.path);
    XcolCache[key] = result.values;
    HWND list = view.controls.pluginList;
    if (result.generation != XcolGen.load() || !list) return;
    int row = ListViewRowOfItemData(list, static_cast<int>(result.id), view.pluginRowOf);
    if (row >= 0 && FoldCase(PathOfId(static_cast<int>(result.id))) == key) XcolFillRow(view, row, result.values);
    auto sort = SortStates.find(list);
    if (result.last && sort != SortStates.end() && sort->second.column >= 4 && sort->second.column < PathColumn)
        ListViewSortApply(list);
}
