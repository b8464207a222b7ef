#include "views/preview_lists.h"

#include <algorithm>
#include <set>

#include "analyses/content_preview.h"
#include "analyses/plugin_caches.h"
#include "analyses/preview_state.h"
#include "foundation/data_folder.h"
#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "views/page_window.h"
#include "views/panes.h"
#include "views/preview_layout.h"
#include "views/status_text.h"

namespace {

int StateClass(const PvPlugin& row) {
    if (row.state == PvQuerying || row.state == PvAnsweredOk) return 0;
    if (row.state == PvNoMatch) return 1;
    return row.state == PvSkipped ? 3 : 2;
}

bool Checked(HWND box) { return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Redraw(HWND list, bool on) {
    SendMessageW(list, WM_SETREDRAW, on, 0);
    if (on) InvalidateRect(list, nullptr, TRUE);
}

void InsertGroup(HWND list, int position, int id, std::wstring header, UINT state) {
    LVGROUP g{};
    g.cbSize = sizeof g;
    g.mask = LVGF_HEADER | LVGF_GROUPID | LVGF_STATE;
    g.pszHeader = header.data();
    g.iGroupId = id;
    g.stateMask = LVGS_COLLAPSIBLE | LVGS_COLLAPSED;
    g.state = state;
    ListView_InsertGroup(list, position, &g);
}

int InsertItem(HWND list, int position, int group, LPARAM data, std::wstring text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_GROUPID;
    item.iItem = position;
    item.pszText = text.data();
    item.lParam = data;
    item.iGroupId = group;
    return ListView_InsertItem(list, &item);
}

void SetCell(HWND list, int at, int column, std::wstring text) { ListView_SetItemText(list, at, column, text.data()); }

int SelectedParam(HWND list) {
    int at = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    return at < 0 ? -1 : ListViewItemData(list, at);
}

bool IsRow(int index) { return index >= 0 && static_cast<size_t>(index) < PvPlugins.size(); }

}  // namespace

void PvClearFieldList(MainView& view) {
    const MainControls& c = view.controls;
    if (c.detailLabel) SetWindowTextW(c.detailLabel, Tr("lbl_pvfield").c_str());
    view.pvRows.clear();
    if (c.pvFieldList) {
        ListView_DeleteAllItems(c.pvFieldList);
        ListView_RemoveAllGroups(c.pvFieldList);
    }
    if (view.tabIsPreview) LayoutPagePanes(view);
}

namespace {

// Asks the user through a one-level popup menu; 0 when nothing was chosen.
UINT RunMenu(const MainView& view, POINT point, HMENU menu) {
    UINT chosen = view.host.PopupMenu(view.controls.main, point, menu);
    DestroyMenu(menu);
    return chosen;
}

// The plugin is found again by its key: a refresh while the menu was open rebuilt
// the rows. A plugin no longer among them is left as it is.
void SetSkip(const MainView& view, const std::wstring& key, bool skip) {
    if (std::none_of(PvPlugins.begin(), PvPlugins.end(), [&](const PvPlugin& p) { return !p.builtIn && p.key == key; }))
        return;
    SetPreviewSkip(key, skip);
    PvRefresh(view.host);
}

}  // namespace

const PvRowRef* PvRowOfItem(const MainView& view, int item) {
    return item >= 0 && static_cast<size_t>(item) < view.pvRows.size() ? &view.pvRows[item] : nullptr;
}

std::vector<int> PvPluginOrder() {
    std::vector<int> order(PvPlugins.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    auto key = [](int i) {
        const PvPlugin& row = PvPlugins[i];
        int cls = StateClass(row);
        bool ranked = PvChoiceMade && cls == 0;
        return std::make_tuple(row.builtIn ? 0 : 1, cls, ranked && row.state != PvAnsweredOk,
                               ranked ? -PvCountValuedFields(row) : 0, row.number);
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
    return order;
}

void PvFillPluginList(MainView& view) {
    HWND list = view.controls.pvPluginList;
    if (!list) return;
    view.pvPickListFilling = 1;
    Redraw(list, false);
    int selected = SelectedParam(list);
    ListView_DeleteAllItems(list);
    ListView_RemoveAllGroups(list);
    std::set<int> groups;
    for (const PvPlugin& row : PvPlugins) groups.insert(PvPickGroup(row));
    for (int group : groups) InsertGroup(list, -1, group, PvPickGroupHeader(group), LVGS_COLLAPSIBLE);
    int position = 0;
    for (int index : PvPluginOrder()) {
        const PvPlugin& row = PvPlugins[index];
        int at = InsertItem(list, position++, PvPickGroup(row), index, PvPickNameText(row));
        SetCell(list, at, 1, PvPickResultText(row));
        ListView_SetCheckState(list, at, PvChecked.count(index) ? TRUE : FALSE);
        if (index == selected) {
            UINT state = LVIS_SELECTED | LVIS_FOCUSED;
            ListView_SetItemState(list, at, state, state);
        }
    }
    Redraw(list, true);
    view.pvPickListFilling = 0;
}

void PvFillFieldList(MainView& view) {
    HWND list = view.controls.pvFieldList;
    if (!list) return;
    PvSaveGroupStates(view);
    Redraw(list, false);
    ListView_DeleteAllItems(list);
    ListView_RemoveAllGroups(list);
    view.pvRows.clear();
    if (PvChoiceMade) {
        int position = 0;
        for (int index : PvPluginOrder())
            if (PvChecked.count(index)) PvAddPluginGroup(view, index, position++);
    }
    Redraw(list, true);
    ListViewFitLastColumn(list);
    ShowPreviewIntro(view);
}

void PvAddPluginGroup(MainView& view, int index, int position) {
    HWND list = view.controls.pvFieldList;
    if (!list || !IsRow(index)) return;
    const PvPlugin& row = PvPlugins[index];
    UINT open = row.expanded ? 0 : LVGS_COLLAPSED;
    InsertGroup(list, position, index + 1, PvGroupHeader(row), LVGS_COLLAPSIBLE | open);
    for (const PvItem& item :
         PvGroupItems(index, Checked(view.controls.pvEmptyCheck), Checked(view.controls.pvUnitsCheck)))
        PvAppendRow(view, index, item.ref, item.field, item.value, item.type);
}

void PvRefreshGroup(MainView& view, int index) {
    HWND list = view.controls.pvFieldList;
    if (!list || !IsRow(index)) return;
    PvSaveGroupStates(view);
    Redraw(list, false);
    for (int at = ListView_GetItemCount(list) - 1; at >= 0; --at) {
        const PvRowRef* record = PvRowOfItem(view, ListViewItemData(list, at));
        if (record && record->row == index) ListView_DeleteItem(list, at);
    }
    if (ListView_HasGroup(list, index + 1)) ListView_RemoveGroup(list, index + 1);
    if (PvChoiceMade && PvChecked.count(index)) {
        int position = 0;
        for (int other : PvPluginOrder()) {
            if (other == index) break;
            position += PvChecked.count(other) ? 1 : 0;
        }
        PvAddPluginGroup(view, index, position);
    }
    Redraw(list, true);
}

void PvSaveGroupStates(MainView& view) {
    HWND list = view.controls.pvFieldList;
    if (!list) return;
    for (size_t i = 0; i < PvPlugins.size(); ++i) {
        int id = static_cast<int>(i) + 1;
        if (!ListView_HasGroup(list, id)) continue;
        PvPlugins[i].expanded = !(ListView_GetGroupState(list, id, LVGS_COLLAPSED) & LVGS_COLLAPSED);
    }
}

void PvAppendRow(MainView& view, int groupIndex, const PvRowRef& record, const std::wstring& field,
                 const std::wstring& value, const std::wstring& type) {
    HWND list = view.controls.pvFieldList;
    if (!list) return;
    auto data = static_cast<LPARAM>(view.pvRows.size());
    int at = InsertItem(list, ListView_GetItemCount(list), groupIndex + 1, data, field);
    SetCell(list, at, 1, value);
    SetCell(list, at, 2, type);
    view.pvRows.push_back(record);
}

void PvToggleAllGroups(MainView& view) {
    HWND list = view.controls.pvFieldList;
    if (!list || PvPlugins.empty()) return;
    PvSaveGroupStates(view);
    bool open = false;
    if (PvChoiceMade)
        for (int index : PvChecked) open = open || !PvPlugins[index].expanded;
    for (size_t i = 0; i < PvPlugins.size(); ++i) {
        PvPlugins[i].expanded = open;
        int id = static_cast<int>(i) + 1;
        if (ListView_HasGroup(list, id)) ListView_SetGroupState(list, id, LVGS_COLLAPSED, open ? 0 : LVGS_COLLAPSED);
    }
    InvalidateRect(list, nullptr, TRUE);
}

void PvFieldDetail(MainView& view, int item) {
    const PvRowRef* record = PvRowOfItem(view, item);
    SetDetailText(view, record ? PvFieldDetailText(*record, CurrentFieldUsage()) : L"", true);
}

void PvPluginMenu(const MainView& view, POINT point, int index) {
    if (!IsRow(index) || PvPlugins[index].builtIn) return;
    const std::wstring key = PvPlugins[index].key;
    bool skipped = LoadPreviewSkip().count(key) > 0;
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, PvCmdSkip, Tr(skipped ? "pvm_unskip" : "pvm_skip").c_str());
    if (RunMenu(view, point, menu) == PvCmdSkip) SetSkip(view, key, !skipped);
}

HMENU PvFieldMenuItems(const PvRowRef& ref) {
    const PvPlugin& row = PvPlugins[ref.row];
    HMENU menu = CreatePopupMenu();
    if (ref.field >= 0) {
        AppendMenuW(menu, MF_STRING, PvCmdCopyValue, Tr("pvm_copyvalue").c_str());
        AppendMenuW(menu, MF_STRING, PvCmdCopyRef, Tr("pvm_copyref").c_str());
    }
    // Skipping writes the plugin's key: the built-in group's "tc" would skip a real
    // plugin of that name, so the built-in group offers no skip.
    if (!row.builtIn) {
        if (ref.field >= 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, PvCmdSkip, Tr(row.state == PvSkipped ? "pvm_unskip" : "pvm_skip").c_str());
    }
    return menu;
}

void PvFieldMenu(const MainView& view, POINT point, int item) {
    const PvRowRef* record = PvRowOfItem(view, item);
    if (!record || !IsRow(record->row)) return;
    // What the item shows is taken before the menu: an answer or a refresh while it
    // is open replaces the rows and their fields.
    const PvRowRef ref = *record;
    const std::wstring key = PvPlugins[ref.row].key, value = PvItemValueText(ref), reference = PvFieldReference(ref);
    bool skipped = PvPlugins[ref.row].state == PvSkipped;
    switch (RunMenu(view, point, PvFieldMenuItems(ref))) {
    case PvCmdCopyValue: UiCopyToClipboard(view.controls.main, value); break;
    case PvCmdCopyRef: UiCopyToClipboard(view.controls.main, reference); break;
    case PvCmdSkip: SetSkip(view, key, !skipped); break;
    default: break;
    }
}

void PvPickListChanged(const MainView& view, const NMLISTVIEW& change) {
    if (view.pvPickListFilling || !(change.uChanged & LVIF_STATE)) return;
    UINT oldImage = change.uOldState & LVIS_STATEIMAGEMASK, newImage = change.uNewState & LVIS_STATEIMAGEMASK;
    // The first image is the one the filling gave; only a later change is the user's.
    if (!oldImage || oldImage == newImage) return;
    PvCheckPlugin(view.host, static_cast<int>(change.lParam), newImage == INDEXTOSTATEIMAGEMASK(2));
}
