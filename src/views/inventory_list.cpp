#include "views/inventory_list.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "editing/save_request.h"
#include "foundation/data_folder.h"
#include "foundation/labels.h"
#include "foundation/list_view.h"
#include "foundation/path_display.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "foundation/virtual_list.h"
#include "foundation/worker_threads.h"
#include "hostcfg/tc_discovery.h"
#include "probe/post_record.h"
#include "views/detail_pane.h"
#include "views/list_sort.h"

namespace {

int KindOfType(const std::wstring& type) { return type == L"C" ? 1 : type == L"P" ? 2 : type == L"F" ? 3 : 0; }

std::wstring StateText(const InvRecord& r) {
    std::wstring removed = EntryGet(r, L"Removed");
    if (!removed.empty()) return FillVar(Tr("state_removed"), L"d", removed);
    return Tr(EntryGet(r, L"Exists") == L"0" ? "state_nofile" : "state_active");
}

}  // namespace

std::array<std::wstring, 8> InventoryCells(const InvRecord& r) {
    return {TabName(KindOfType(EntryGet(r, L"Type"))),
            EntryGet(r, L"Name"),
            EntryGet(r, L"Version"),
            StampToLocalText(EntryGet(r, L"File")),
            EntryGet(r, L"FirstSeen"),
            Tr(EntryGet(r, L"Origin") == L"initial" ? "origin_initial" : "origin_new"),
            StateText(r),
            PathForDisplay(EntryGet(r, L"Path"), false)};
}

int32_t InventoryMark(const InvRecord& r) {
    if (!EntryGet(r, L"Removed").empty()) return InvMarkRemoved;
    return IsNewlyRecorded(r) ? InvMarkNew : InvMarkNone;
}

std::vector<const InvRecord*> InventoryRows() {
    if (!InvLoaded) LoadInventory();
    std::vector<const InvRecord*> rows;
    for (const auto& [name, record] : InvSections) rows.push_back(&record);
    std::sort(rows.begin(), rows.end(), [](const InvRecord* a, const InvRecord* b) { return InvEntryLess(*a, *b); });
    return rows;
}

std::wstring InventoryStatus(bool probing) {
    std::wstring text;
    if (InvUnreadable) {
        text = Tr("st_invunreadable");
    } else if (InvOtherIni) {
        text = Tr("st_invforeign");
    } else {
        size_t removed = std::count_if(InvSections.begin(), InvSections.end(),
                                       [](const auto& s) { return !EntryGet(s.second, L"Removed").empty(); });
        text = FillVars(Tr("st_inventory"),
                        {{L"n", std::to_wstring(InvSections.size())}, {L"r", std::to_wstring(removed)}});
    }
    if (probing) text += kStatusSeparator + Tr("st_invpending");
    return text + kStatusSeparator + InventoryIniPath();
}

void FillInventoryList(MainView& view) {
    HWND list = view.controls.inventoryList;
    std::vector<const InvRecord*> rows = InventoryRows();
    view.invRowPaths.clear();
    view.invRowNames.clear();
    view.invRowMarks.clear();
    if (list) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListViewDeleteAllRows(list);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        view.invRowPaths.push_back(EntryGet(*rows[i], L"Path"));
        view.invRowNames.push_back(EntryGet(*rows[i], L"Name"));
        view.invRowMarks.push_back(InventoryMark(*rows[i]));
        if (!list) continue;
        std::array<std::wstring, 8> cells = InventoryCells(*rows[i]);
        for (int column = 0; column < 8; ++column) ListViewSetCell(list, (int)i, column, cells[(size_t)column]);
    }
    if (!list) return;
    ListViewShowRows(list);
    ListViewSortApply(list);
    ListViewFitLastColumn(list);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

PlugRef InventoryRowRef(const MainView& view, int row) {
    HWND list = view.controls.inventoryList;
    if (row < 0 && list) row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    int id = ListViewItemData(list, row);
    if (id < 0 || (size_t)id >= view.invRowPaths.size()) return PlugRef{};
    return MakePluginRef(view.invRowNames[(size_t)id], view.invRowPaths[(size_t)id]);
}

namespace {

uint32_t InvReadsAsked = 0;
int InvReadsOpen = 0;
std::array<uint32_t, 4> InvReadTaken{};
std::set<int> InvReadsWaiting;  // kinds whose read waits for a save's end
constexpr UINT InventoryWaitMs = 200;

// The saves a read asked now comes after.
uint32_t SavesEnded() { return SavesStarted() - (SaveIsRunning() ? 1 : 0); }

void ShowComparedInventory(MainView& view) {
    if (view.tabIsInventory) {
        FillInventoryList(view);
        ShowChangeLog(view);
    } else if (view.controls.pluginList) {
        InvalidateRect(view.controls.pluginList, nullptr, FALSE);
    }
}

DWORD WINAPI InventoryReadProc(LPVOID param) {
    std::unique_ptr<InventoryReadMsg> msg(static_cast<InventoryReadMsg*>(param));
    ReadAskedInventory(*msg);
    HWND window = msg->window;
    PostRecord(window, MsgInventoryRead, std::move(msg));
    return 0;
}

}  // namespace

std::unique_ptr<InventoryReadMsg> AskInventoryRead(const MainView& view, int kind) {
    auto msg = std::make_unique<InventoryReadMsg>();
    msg->window = view.controls.main;
    msg->order = ++InvReadsAsked;
    msg->saves = SavesEnded();
    msg->withFile = InventoryFileWanted();
    msg->read.kind = kind;
    msg->read.ini = WincmdIniPath;
    ++InvReadsOpen;
    return msg;
}

void ReadAskedInventory(InventoryReadMsg& msg) {
    msg.read = ReadForInventory(msg.read.ini, msg.read.kind, msg.withFile);
}

void StartInventoryUpdate(MainView& view, int kind) {
    if (kind < 0 || kind > 3) return;
    // Read now, it would not count: it is asked once the save has ended.
    if (SaveIsRunning()) {
        InvReadsWaiting.insert(kind);
        if (view.controls.main) SetTimer(view.controls.main, InventoryWaitTimer, InventoryWaitMs, nullptr);
        return;
    }
    std::unique_ptr<InventoryReadMsg> msg = AskInventoryRead(view, kind);
    if (HANDLE thread = StartWorkerThread(InventoryReadProc, msg.get())) {
        msg.release();
        CloseHandle(thread);
        return;
    }
    --InvReadsOpen;
    if (UpdateInventory(kind)) ShowComparedInventory(view);
}

void TakeInventoryRead(MainView& view, InventoryReadMsg& msg) {
    --InvReadsOpen;
    const int kind = msg.read.kind;
    if (msg.order < InvReadTaken[kind]) return;
    if (msg.saves != SavesStarted()) {
        StartInventoryUpdate(view, kind);
        return;
    }
    InvReadTaken[kind] = msg.order;
    if (UpdateInventory(std::move(msg.read))) ShowComparedInventory(view);
}

void AskWaitingInventoryReads(MainView& view) {
    if (SaveIsRunning()) return;
    if (view.controls.main) KillTimer(view.controls.main, InventoryWaitTimer);
    for (int kind : std::exchange(InvReadsWaiting, {})) StartInventoryUpdate(view, kind);
}

bool InventoryReadsRunning() { return InvReadsOpen > 0 || !InvReadsWaiting.empty(); }
