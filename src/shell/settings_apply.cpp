#include "shell/settings_apply.h"

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

#include "foundation/data_folder.h"
#include "foundation/labels.h"
#include "foundation/list_view.h"
#include "foundation/logs.h"
#include "foundation/path_display.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "analyses/preview_state.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "shell/main_layout.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/search.h"
#include "views/detail_pane.h"
#include "views/inventory_list.h"
#include "views/legend.h"
#include "views/main_colors.h"
#include "views/main_controls.h"
#include "views/page_window.h"
#include "views/settings_sheet.h"
#include "views/tab_fill.h"
#include "views/view_state.h"

namespace {

std::map<std::wstring, std::wstring> SettingsSnapshot;
std::wstring LangSnapshot;

void TakeSnapshot() {
    SettingsSnapshot = SettingsValues;
    LangSnapshot = LangCode();
}

void RewritePathCells() {
    if (!PluginList) return;
    InvalidateRect(PluginList, nullptr, FALSE);
    int rows = ListView_GetItemCount(PluginList);
    for (int row = 0; row < rows; ++row) {
        int id = ListViewItemData(PluginList, row);
        if (id < 0 || static_cast<size_t>(id) >= TabEntries.size()) continue;
        ListViewSetCell(PluginList, row, PathColumn, PathForDisplay(TabEntries[static_cast<size_t>(id)].path, false));
    }
    FitPathColumn();
    ListViewFitLastColumn(PluginList);
}

void RetitleColumns(HWND list, std::initializer_list<const char*> keys) {
    int column = 0;
    for (const char* key : keys) ListViewSetColumnTitle(list, column++, key);
}

void RetitleWindow() {
    SetWindowTextW(MainWnd, Tr("app_title").c_str());
    HMENU old = GetMenu(MainWnd);
    SetMenu(MainWnd, BuildMainMenu());
    if (old) DestroyMenu(old);
    for (int tab = 0; tab < 7 && TabCtl; ++tab) {
        std::wstring name = TabName(tab);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        SendMessageW(TabCtl, TCM_SETITEMW, tab, reinterpret_cast<LPARAM>(&item));
    }
    RetitleColumns(PluginList, {"col_nr", "col_plugin", "col_version", "col_check"});
    ListViewSetColumnTitle(PluginList, PathColumn, "col_path");
    RetitleColumns(ExtList, {"col_ext", "col_status", "col_hint"});
    RetitleColumns(FindingsList, {"col_kind", "col_area", "col_plugin", "col_finding", "col_fix"});
    RetitleColumns(PvFieldList, {"pvc_field", "pvc_value", "pvc_type", "pvc_used"});
    RetitleColumns(LvCheckList, {"col_nr", "col_plugin", "lvc_result", "lvc_reason"});
    RetitleColumns(PvPluginList, {"col_plugin"});
    RetitleColumns(InventoryList, {"col_type", "col_plugin", "col_version", "col_filedate", "col_recorded",
                                   "col_origin", "col_state", "col_path"});
    const std::pair<HWND, const char*> captions[] = {{PvPickContentBtn, "pv_pick_c"}, {PvPickListerBtn, "pv_pick_l"},
                                                     {PvEmptyCheck, "pv_empty"},      {PvUnitsCheck, "pv_units"},
                                                     {PvToggleBtn, "pv_toggle"},      {SearchLabel, "srch_label"}};
    for (const auto& [window, key] : captions)
        if (window) SetWindowTextW(window, Tr(key).c_str());
    if (PvFileLabel && PreviewFile.empty()) SetWindowTextW(PvFileLabel, Tr("pv_nofile").c_str());
    if (SearchEdit) SendMessageW(SearchEdit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Tr("srch_cue").c_str()));
    UpdateSearchStatus();
    for (HWND window : {MarksStrip, KeyBar})
        if (window) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    if (LegendWnd) DestroyWindow(LegendWnd);
    StatusNote.clear();  // a note in the old language
}

}  // namespace

void OnSettingsChanged() {
    if (SettingsValues == SettingsSnapshot) return;
    SaveSettings(SettingsIniPath());
    ApplyDiagSettings();
    ApplyColors();
    DebugLog(L"settings changed");
    InitLanguage(TcLanguageIni());
    if (MainWnd && LangCode() == LangSnapshot) {
        LayoutMainFrame(MainWnd);
        if (TabIsInventory) {
            FillInventoryList(InventoryList);
        } else {
            RewritePathCells();
            StartBackgroundProbe(MainWindowOf(MainWnd));
        }
    } else if (MainWnd) {
        RetitleWindow();
        LayoutMainFrame(MainWnd);
        FillTab(MainWindowOf(MainWnd));
    }
    // The frames of the children keep the old scheme's colours until painted again.
    if (MainWnd) RedrawWindow(MainWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    TakeSnapshot();
}

void RunSettingsSheet() {
    TakeSnapshot();
    ShowSettingsSheet(MainWnd, OnSettingsChanged);
}
