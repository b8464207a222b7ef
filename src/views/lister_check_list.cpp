#include "views/lister_check_list.h"

#include <windows.h>

#include <commctrl.h>

#include "analyses/lister_check.h"
#include "analyses/preview_state.h"
#include "foundation/labels.h"
#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"
#include "probe/workers.h"
#include "views/page_window.h"
#include "views/panes.h"
#include "views/status_text.h"

namespace {

const wchar_t* const kMarks[] = {L"→", L"✓", L"✓ 4", L"–"};
const char* const kGroupKeys[] = {"lv_g_pre", "lv_g_f3", "lv_g_f4", "lv_g_no"};

void AddGroup(HWND list, int state, int rows) {
    std::wstring header = FillVar(Tr(kGroupKeys[state]), L"n", std::to_wstring(rows));
    LVGROUP g{};
    g.cbSize = sizeof g;
    g.mask = LVGF_HEADER | LVGF_GROUPID | LVGF_STATE;
    g.pszHeader = header.data();
    g.iGroupId = state + 1;
    g.stateMask = LVGS_COLLAPSIBLE;
    g.state = LVGS_COLLAPSIBLE;
    ListView_InsertGroup(list, -1, &g);
}

void AddRow(HWND list, int index, const LvRow& row) {
    std::wstring number = row.number < 0 ? L"" : EntryNumberText(row.number);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_GROUPID;
    item.iItem = index;
    item.pszText = number.data();
    item.lParam = index;
    item.iGroupId = row.state + 1;
    int at = ListView_InsertItem(list, &item);
    std::wstring name = row.state == LvInfo ? row.caption : row.name;
    std::wstring mark = kMarks[row.state];
    std::wstring reason = row.reason;
    ListView_SetItemText(list, at, 1, name.data());
    ListView_SetItemText(list, at, 2, mark.data());
    ListView_SetItemText(list, at, 3, reason.data());
}

}  // namespace

void LvCheckFillList(MainView& view) {
    HWND list = view.controls.lvCheckList;
    if (!list) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    ListView_RemoveAllGroups(list);
    int counts[4] = {};
    for (const auto& row : LvRows) ++counts[row.state];
    for (int state = LvInfo; state <= LvNoMatch; ++state)
        if (counts[state]) AddGroup(list, state, counts[state]);
    for (size_t i = 0; i < LvRows.size(); ++i) AddRow(list, (int)i, LvRows[i]);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ListViewFitLastColumn(list);
    InvalidateRect(list, nullptr, TRUE);
}

void LvCheckDetailText(MainView& view, int index) { SetDetailText(view, LvRowDetailText(index), true); }

void LvFillCheck(MainView& view) {
    ++PvFieldsGen;  // late answers of the content preview become stale
    LvRows.clear();
    LvFileExt.clear();
    if (view.controls.detailLabel) SetWindowTextW(view.controls.detailLabel, Tr("lbl_detect").c_str());
    SetDetailText(view, L"", true);
    LayoutPagePanes(view);
    if (!PreviewFile.empty() && !WincmdIniPath.empty()) {
        FileFacts facts = DetFileFacts(PreviewFile);
        LvFileExt = facts.extension;
        LvRows = LvComputeRows(LoadPluginSection(KindLister), facts, TcExeIs32Bit(TcExePath()));
    }
    LvCheckFillList(view);
    UpdateStatusBar(view);
}
