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
#include "views/main_view.h"
#include "views/page_window.h"
#include "views/settings_sheet.h"
#include "views/tab_fill.h"

namespace {

std::map<std::wstring, std::wstring> SettingsSnapshot;
std::wstring LangSnapshot;

void TakeSnapshot() {
    SettingsSnapshot = SettingsValues;
    LangSnapshot = LangCode();
}

void RewritePathCells(MainView& view) {
    HWND list = view.controls.pluginList;
    if (!list) return;
    InvalidateRect(list, nullptr, FALSE);
    int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        int id = ListViewItemData(list, row);
        if (id < 0 || static_cast<size_t>(id) >= TabEntries.size()) continue;
        ListViewSetCell(list, row, PathColumn, PathForDisplay(TabEntries[static_cast<size_t>(id)].path, false));
    }
    FitPathColumn(view);
    ListViewFitLastColumn(list);
}

void RetitleColumns(HWND list, std::initializer_list<const char*> keys) {
    int column = 0;
    for (const char* key : keys) ListViewSetColumnTitle(list, column++, key);
}

void RetitleWindow(MainView& view) {
    const MainControls& c = view.controls;
    SetWindowTextW(c.main, Tr("app_title").c_str());
    HMENU old = GetMenu(c.main);
    SetMenu(c.main, BuildMainMenu());
    if (old) DestroyMenu(old);
    for (int tab = 0; tab < 7 && c.tabCtl; ++tab) {
        std::wstring name = TabName(tab);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        SendMessageW(c.tabCtl, TCM_SETITEMW, tab, reinterpret_cast<LPARAM>(&item));
    }
    RetitleColumns(c.pluginList, {"col_nr", "col_plugin", "col_version", "col_check"});
    ListViewSetColumnTitle(c.pluginList, PathColumn, "col_path");
    RetitleColumns(c.extList, {"col_ext", "col_status", "col_hint"});
    RetitleColumns(c.findingsList, {"col_kind", "col_area", "col_plugin", "col_finding", "col_fix"});
    RetitleColumns(c.pvFieldList, {"pvc_field", "pvc_value", "pvc_type", "pvc_used"});
    RetitleColumns(c.lvCheckList, {"col_nr", "col_plugin", "lvc_result", "lvc_reason"});
    RetitleColumns(c.pvPluginList, {"col_plugin"});
    RetitleColumns(c.inventoryList, {"col_type", "col_plugin", "col_version", "col_filedate", "col_recorded",
                                     "col_origin", "col_state", "col_path"});
    const std::pair<HWND, const char*> captions[] = {
        {c.pvPickContentBtn, "pv_pick_c"}, {c.pvPickListerBtn, "pv_pick_l"}, {c.pvEmptyCheck, "pv_empty"},
        {c.pvUnitsCheck, "pv_units"},      {c.pvToggleBtn, "pv_toggle"},     {c.searchLabel, "srch_label"}};
    for (const auto& [window, key] : captions)
        if (window) SetWindowTextW(window, Tr(key).c_str());
    if (c.pvFileLabel && PreviewFile.empty()) SetWindowTextW(c.pvFileLabel, Tr("pv_nofile").c_str());
    if (c.searchEdit)
        SendMessageW(c.searchEdit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Tr("srch_cue").c_str()));
    UpdateSearchStatus(view);
    for (HWND window : {c.marksStrip, c.keyBar})
        if (window) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    if (view.legend) DestroyWindow(view.legend);
    view.statusNote.clear();  // a note in the old language
}

}  // namespace

void OnSettingsChanged(MainView& view) {
    if (SettingsValues == SettingsSnapshot) return;
    SaveSettings(SettingsIniPath());
    ApplyDiagSettings();
    ApplyColors(view);
    DebugLog(L"settings changed");
    InitLanguage(TcLanguageIni());
    HWND main = view.controls.main;
    if (main && LangCode() == LangSnapshot) {
        LayoutMainFrame(view);
        if (view.tabIsInventory) {
            FillInventoryList(view);
        } else {
            RewritePathCells(view);
            view.host.StartBackgroundProbe();
        }
    } else if (main) {
        RetitleWindow(view);
        LayoutMainFrame(view);
        FillTab(view);
    }
    // The frames of the children keep the old scheme's colours until painted again.
    if (main) RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    TakeSnapshot();
}

void RunSettingsSheet(MainView& view) {
    TakeSnapshot();
    ShowSettingsSheet(view.controls.main, [&view] { OnSettingsChanged(view); });
}
