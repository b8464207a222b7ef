#include "shell/main_children.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <string>

#include "analyses/preview_state.h"
#include "views/main_colors.h"
#include "views/preview_file.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/texts.h"
#include "shell/menu_help.h"
#include "views/key_bar.h"
#include "foundation/list_view.h"
#include "foundation/themes.h"
#include "shell/rich_copy.h"
#include "shell/search.h"
#include "views/drawn_icons.h"
#include "views/list_subclass.h"
#include "views/main_view.h"
#include "foundation/ui_globals.h"
#include "foundation/labels.h"
#include "foundation/worker_threads.h"
#include "views/window_layout.h"

namespace {

struct ColumnDef {
    const char* key;
    int width;  // 96 dpi
    int format = LVCFMT_LEFT;
};

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
}

enum class Rows { Stored, Grouped, Virtual };

HWND List(HWND parent, int id, DWORD exStyles, std::initializer_list<ColumnDef> columns, Rows rows = Rows::Stored) {
    HWND list = ListViewCreate(parent, id, exStyles, rows == Rows::Virtual);
    if (!list) return nullptr;
    int index = 0;
    for (const ColumnDef& c : columns) ListViewAddColumn(list, index++, c.key ? Tr(c.key) : L"", UiScale(c.width), c.format);
    if (rows == Rows::Grouped) ListView_EnableGroupView(list, TRUE);
    return list;
}

void Hide(HWND window) {
    if (window) ShowWindow(window, SW_HIDE);
}

bool LoadRichEdit() {
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [] { loaded = LoadLibraryW(L"Msftedit.dll") != nullptr; });  // kept to the end
    return loaded;
}

DWORD WINAPI PreloadThreadProc(void*) {
    LoadRichEdit();
    // Wine's themed drawing loads it at the first paint; kept loaded like the rich edit.
    LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return 0;
}

void CreateTabAndSearch(MainView& view) {
    MainControls& c = view.controls;
    HWND main = c.main;
    c.tabCtl = Child(main, WC_TABCONTROLW, L"", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, IdTabCtl);
    c.searchLabel = Child(main, L"STATIC", Tr("srch_label"), WS_VISIBLE | SS_RIGHT | SS_NOPREFIX | SS_CENTERIMAGE,
                        IdSearchLabel);
    c.searchEdit = Child(main, L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, IdSearchEdit, WS_EX_CLIENTEDGE);
    c.searchPrevBtn = Child(main, L"BUTTON", L"3", WS_VISIBLE | BS_PUSHBUTTON, IdSearchPrevBtn);
    c.searchNextBtn = Child(main, L"BUTTON", L"4", WS_VISIBLE | BS_PUSHBUTTON, IdSearchNextBtn);
    c.searchClearBtn = Child(main, L"BUTTON", L"r", WS_VISIBLE | BS_PUSHBUTTON, IdSearchClearBtn);
    c.searchStatus = Child(main, L"STATIC", L"", WS_VISIBLE | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                         IdSearchStatus);
    // They sit in the row of the tab headers, over the tab control.
    for (HWND w : {c.searchLabel, c.searchEdit, c.searchPrevBtn, c.searchNextBtn, c.searchClearBtn, c.searchStatus})
        if (w) SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (c.searchEdit) {
        SetWindowSubclass(c.searchEdit, SearchEditSubclassProc, 3, reinterpret_cast<DWORD_PTR>(&view));
        SendMessageW(c.searchEdit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Tr("srch_cue").c_str()));
        c.searchReady = true;
    }
    for (int tab = 0; tab < 7 && c.tabCtl; ++tab) {
        std::wstring name = TabName(tab);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = name.data();
        item.iImage = tab;
        SendMessageW(c.tabCtl, TCM_INSERTITEMW, tab, reinterpret_cast<LPARAM>(&item));
    }
    DrawTabIcons(c.tabCtl);
}

void CreatePage(MainView& view) {
    MainControls& c = view.controls;
    c.pageWnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"KestrovanePage", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                0, 0, 0, 0, c.main, nullptr, AppInstance, &view);
    // The plugin tabs and the inventory share the strip under their list.
    c.marksStrip = Child(c.pageWnd, L"STATIC", L"", WS_VISIBLE | SS_OWNERDRAW, IdMarksStrip);
}

void CreatePluginLists(MainControls& c) {
    HWND page = c.pageWnd;
    c.pluginList = List(page, IdPluginList, LVS_EX_INFOTIP,
                      {{"col_nr", 34}, {"col_plugin", 120}, {"col_version", 62}, {"col_check", 70, LVCFMT_CENTER},
                       {"col_path", 120}},
                      Rows::Virtual);
    if (c.pluginList)
        SetWindowLongPtrW(c.pluginList, GWL_STYLE, GetWindowLongPtrW(c.pluginList, GWL_STYLE) & ~LVS_SINGLESEL);
    c.extList = List(page, IdExtList, LVS_EX_CHECKBOXES, {{"col_ext", 130}, {"col_status", 160}, {"col_hint", 200}});
}

void CreatePreviewPanes(MainView& view) {
    MainControls& c = view.controls;
    HWND page = c.pageWnd;
    c.pvPickContentBtn = Child(page, L"BUTTON", Tr("pv_pick_c"), WS_TABSTOP | BS_PUSHBUTTON, IdPvPickContentBtn);
    c.pvPickListerBtn = Child(page, L"BUTTON", Tr("pv_pick_l"), WS_TABSTOP | BS_PUSHBUTTON, IdPvPickListerBtn);
    c.lvCheckList = List(page, IdLvCheckList, 0,
                       {{"col_nr", 44}, {"col_plugin", 170}, {"lvc_result", 64, LVCFMT_CENTER}, {"lvc_reason", 400}}, Rows::Grouped);
    Hide(c.lvCheckList);
    c.pvFileLabel = Child(page, L"STATIC", PreviewFile.empty() ? Tr("pv_nofile") : PreviewFile,
                          SS_NOPREFIX | SS_CENTERIMAGE | SS_PATHELLIPSIS, IdPvFileLabel);
    c.pvEmptyCheck = Child(page, L"BUTTON", Tr("pv_empty"), BS_AUTOCHECKBOX | WS_TABSTOP, IdPvEmptyCheck);
    c.pvUnitsCheck = Child(page, L"BUTTON", Tr("pv_units"), BS_AUTOCHECKBOX | WS_TABSTOP, IdPvUnitsCheck);
    c.pvToggleBtn = Child(page, L"BUTTON", Tr("pv_toggle"), WS_TABSTOP | BS_PUSHBUTTON, IdPvToggleBtn);
    c.pvIntro = Child(page, L"STATIC", Tr("pv_intro"), SS_NOPREFIX, IdPvIntro);
    c.pvFieldList = List(page, IdPvFieldList, 0,
                       {{"pvc_field", 220}, {"pvc_value", 260}, {"pvc_type", 90}, {"pvc_used", 200}}, Rows::Grouped);
    c.pvPluginList = List(page, IdPvPluginList, LVS_EX_CHECKBOXES, {{"col_plugin", 170}, {nullptr, 64}}, Rows::Grouped);
    for (HWND w : {c.pvFieldList, c.pvIntro, c.pvPluginList}) Hide(w);
    for (HWND w : {c.pvPickContentBtn, c.pvPickListerBtn, c.lvCheckList, c.pvFileLabel, c.pvEmptyCheck,
                   c.pvUnitsCheck, c.pvToggleBtn, c.pvIntro, c.pvFieldList, c.pvPluginList})
        if (w) SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont), FALSE);
    UiApplyFonts(view);
}

// The preview's split, file and mode are the model's: read at start, whatever tab is shown.
void RestorePreview(MainView& view) {
    // Window keys are no settings rows: they come from the INI itself.
    std::wstring split = IniGetString(SettingsIniPath(), L"Window", L"PreviewSplit");
    if (!split.empty()) view.previewSplitRatio = std::min(wcstol(split.c_str(), nullptr, 10) / 1000.0, 0.6);
    PreviewFile = IniGetString(SettingsIniPath(), L"Preview", L"LastFile");
    if (!PreviewFile.empty() && !FileExists(PreviewFile)) PreviewFile.clear();
    SetPreviewMode(view, IniGetString(SettingsIniPath(), L"Preview", L"Mode") == L"lister" ? 1 : 0);
}

void CreateDetailPane(MainControls& c) {
    HWND main = c.main;
    c.detailLabel = Child(main, L"Static", Tr("lbl_detect"), WS_VISIBLE, IdDetailLabel);
    bool rich = LoadRichEdit();
    c.detailBox = Child(main, rich ? MSFTEDIT_CLASS : L"Edit", L"",
                      WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, IdDetailBox,
                      WS_EX_CLIENTEDGE);
    c.detailIsRich = rich && c.detailBox;
    if (c.detailIsRich) SendMessageW(c.detailBox, EM_SETTARGETDEVICE, 0, 0);
    if (c.detailIsRich) SetWindowSubclass(c.detailBox, RichCopySubclassProc, 2, 0);
}

// A list made after the start takes what the start gave the others: font, sort and widths.
void TakeListSetup(MainView& view, HWND list) {
    if (!list) return;
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont), FALSE);
    RestoreListLayout(view, list);
}

}  // namespace

void CreateMainChildren(MainView& view) {
    MainControls& c = view.controls;
    CreateTabAndSearch(view);
    CreatePage(view);
    RestorePreview(view);
    CreateDetailPane(c);
    c.statusBar = Child(c.main, STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_SIZEGRIP, IdStatusBar);
    c.keyBar = Child(c.main, L"STATIC", L"", SS_OWNERDRAW, IdKeyBar);
    if (c.keyBar) SetWindowSubclass(c.keyBar, KeyBarWndProc, 4, reinterpret_cast<DWORD_PTR>(&view));
    if (c.tabCtl) SetWindowPos(c.tabCtl, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UiRebuildFonts(view);
    if (c.detailBox && !c.detailIsRich) {
        int stop = 48;
        SendMessageW(c.detailBox, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    }
    ThemeRichEdit(view);
}

void CreateTabControls(MainView& view, int tab) {
    MainControls& c = view.controls;
    if (!c.pageWnd) return;
    std::vector<HWND> lists;
    if (tab >= 0 && tab <= 3 && !c.pluginList && !c.extList) {
        CreatePluginLists(c);
        lists = {c.pluginList, c.extList};
    } else if (tab == 4 && !c.inventoryList) {
        c.inventoryList = List(c.pageWnd, IdInventoryList, 0,
                               {{"col_type", 70}, {"col_plugin", 140}, {"col_version", 70}, {"col_filedate", 120},
                                {"col_recorded", 120}, {"col_origin", 110}, {"col_state", 175}, {"col_path", 150}},
                               Rows::Virtual);
        lists = {c.inventoryList};
    } else if (tab == 5 && !c.findingsList) {
        c.findingsList = List(c.pageWnd, IdFindingsList, LVS_EX_INFOTIP,
                              {{"col_kind", 90}, {"col_area", 90}, {"col_plugin", 150}, {"col_finding", 420},
                               {"col_fix", 200}},
                              Rows::Virtual);
        lists = {c.findingsList};
    } else if (tab == 6 && !c.pvPickContentBtn) {
        CreatePreviewPanes(view);
        lists = {c.lvCheckList, c.pvFieldList, c.pvPluginList};
    } else {
        return;
    }
    for (HWND list : lists) {
        Hide(list);
        TakeListSetup(view, list);
    }
    ThemeChildControls(view);
}

void PreloadWindowDlls() {
    HANDLE thread = StartWorkerThread(PreloadThreadProc, nullptr);
    if (thread) CloseHandle(thread);
}
