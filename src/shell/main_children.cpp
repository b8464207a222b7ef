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
#include "views/main_controls.h"
#include "foundation/ui_globals.h"
#include "views/view_state.h"
#include "foundation/labels.h"
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

HWND List(HWND parent, int id, DWORD exStyles, std::initializer_list<ColumnDef> columns, bool groups = false) {
    HWND list = ListViewCreate(parent, id, exStyles);
    if (!list) return nullptr;
    int index = 0;
    for (const ColumnDef& c : columns) ListViewAddColumn(list, index++, c.key ? Tr(c.key) : L"", UiScale(c.width), c.format);
    if (groups) ListView_EnableGroupView(list, TRUE);
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

void CreateTabAndSearch(HWND main) {
    TabCtl = Child(main, WC_TABCONTROLW, L"", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, IdTabCtl);
    SearchLabel = Child(main, L"STATIC", Tr("srch_label"), WS_VISIBLE | SS_RIGHT | SS_NOPREFIX | SS_CENTERIMAGE,
                        IdSearchLabel);
    SearchEdit = Child(main, L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, IdSearchEdit, WS_EX_CLIENTEDGE);
    SearchPrevBtn = Child(main, L"BUTTON", L"3", WS_VISIBLE | BS_PUSHBUTTON, IdSearchPrevBtn);
    SearchNextBtn = Child(main, L"BUTTON", L"4", WS_VISIBLE | BS_PUSHBUTTON, IdSearchNextBtn);
    SearchClearBtn = Child(main, L"BUTTON", L"r", WS_VISIBLE | BS_PUSHBUTTON, IdSearchClearBtn);
    SearchStatus = Child(main, L"STATIC", L"", WS_VISIBLE | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                         IdSearchStatus);
    // They sit in the row of the tab headers, over the tab control.
    for (HWND w : {SearchLabel, SearchEdit, SearchPrevBtn, SearchNextBtn, SearchClearBtn, SearchStatus})
        if (w) SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (SearchEdit) {
        SetWindowSubclass(SearchEdit, SearchEditSubclassProc, 3, 0);
        SendMessageW(SearchEdit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Tr("srch_cue").c_str()));
        SearchReady = 1;
    }
    for (int tab = 0; tab < 7 && TabCtl; ++tab) {
        std::wstring name = TabName(tab);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = name.data();
        item.iImage = tab;
        SendMessageW(TabCtl, TCM_INSERTITEMW, tab, reinterpret_cast<LPARAM>(&item));
    }
    DrawTabIcons();
}

void CreatePageLists(HWND main) {
    PageWnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"KestrovanePage", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              0, 0, 0, 0, main, nullptr, AppInstance, nullptr);
    HWND page = PageWnd;
    PluginList = List(page, IdPluginList, LVS_EX_INFOTIP,
                      {{"col_nr", 34}, {"col_plugin", 120}, {"col_version", 62}, {"col_check", 70, LVCFMT_CENTER},
                       {"col_path", 120}});
    if (PluginList)
        SetWindowLongPtrW(PluginList, GWL_STYLE, GetWindowLongPtrW(PluginList, GWL_STYLE) & ~LVS_SINGLESEL);
    MarksStrip = Child(page, L"STATIC", L"", WS_VISIBLE | SS_OWNERDRAW, IdMarksStrip);
    ExtList = List(page, IdExtList, LVS_EX_CHECKBOXES, {{"col_ext", 130}, {"col_status", 160}, {"col_hint", 200}});
    FindingsList = List(page, IdFindingsList, LVS_EX_INFOTIP,
                        {{"col_kind", 90}, {"col_area", 90}, {"col_plugin", 150}, {"col_finding", 420}, {"col_fix", 200}});
    Hide(FindingsList);
    PvPickContentBtn = Child(page, L"BUTTON", Tr("pv_pick_c"), WS_TABSTOP | BS_PUSHBUTTON, IdPvPickContentBtn);
    PvPickListerBtn = Child(page, L"BUTTON", Tr("pv_pick_l"), WS_TABSTOP | BS_PUSHBUTTON, IdPvPickListerBtn);
    LvCheckList = List(page, IdLvCheckList, 0,
                       {{"col_nr", 44}, {"col_plugin", 170}, {"lvc_result", 64, LVCFMT_CENTER}, {"lvc_reason", 400}}, true);
    Hide(LvCheckList);
    PvFileLabel = Child(page, L"STATIC", L"", SS_NOPREFIX | SS_CENTERIMAGE | SS_PATHELLIPSIS, IdPvFileLabel);
    PvEmptyCheck = Child(page, L"BUTTON", Tr("pv_empty"), BS_AUTOCHECKBOX | WS_TABSTOP, IdPvEmptyCheck);
    PvUnitsCheck = Child(page, L"BUTTON", Tr("pv_units"), BS_AUTOCHECKBOX | WS_TABSTOP, IdPvUnitsCheck);
    PvToggleBtn = Child(page, L"BUTTON", Tr("pv_toggle"), WS_TABSTOP | BS_PUSHBUTTON, IdPvToggleBtn);
    PvIntro = Child(page, L"STATIC", Tr("pv_intro"), SS_NOPREFIX, IdPvIntro);
    PvFieldList = List(page, IdPvFieldList, 0,
                       {{"pvc_field", 220}, {"pvc_value", 260}, {"pvc_type", 90}, {"pvc_used", 200}}, true);
    PvPluginList = List(page, IdPvPluginList, LVS_EX_CHECKBOXES, {{"col_plugin", 170}, {nullptr, 64}}, true);
    for (HWND w : {PvPickContentBtn, PvPickListerBtn, PvFileLabel, PvEmptyCheck, PvUnitsCheck, PvToggleBtn, PvIntro})
        if (w) SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont), FALSE);
    for (HWND w : {PvFieldList, PvIntro, PvPluginList}) Hide(w);
}

void RestorePreview() {
    // Window keys are no settings rows: they come from the INI itself.
    std::wstring split = IniGetString(SettingsIniPath(), L"Window", L"PreviewSplit");
    if (!split.empty()) PreviewSplitRatio = std::min(wcstol(split.c_str(), nullptr, 10) / 1000.0, 0.6);
    PreviewFile = IniGetString(SettingsIniPath(), L"Preview", L"LastFile");
    if (!PreviewFile.empty() && !FileExists(PreviewFile)) PreviewFile.clear();
    if (PvFileLabel) SetWindowTextW(PvFileLabel, PreviewFile.empty() ? Tr("pv_nofile").c_str() : PreviewFile.c_str());
    SetPreviewMode(IniGetString(SettingsIniPath(), L"Preview", L"Mode") == L"lister" ? 1 : 0);
}

void CreateDetailPane(HWND main) {
    InventoryList = List(PageWnd, IdInventoryList, 0,
                         {{"col_type", 70}, {"col_plugin", 140}, {"col_version", 70}, {"col_filedate", 120},
                          {"col_recorded", 120}, {"col_origin", 110}, {"col_state", 175}, {"col_path", 150}});
    Hide(InventoryList);
    DetailLabel = Child(main, L"Static", Tr("lbl_detect"), WS_VISIBLE, IdDetailLabel);
    bool rich = LoadRichEdit();
    DetailBox = Child(main, rich ? MSFTEDIT_CLASS : L"Edit", L"",
                      WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, IdDetailBox,
                      WS_EX_CLIENTEDGE);
    DetailIsRich = rich && DetailBox;
    if (DetailIsRich) SendMessageW(DetailBox, EM_SETTARGETDEVICE, 0, 0);
    if (DetailIsRich) SetWindowSubclass(DetailBox, RichCopySubclassProc, 2, 0);
}

}  // namespace

void CreateMainChildren(HWND main) {
    ListSubclassProc = ListSubclass;
    CreateTabAndSearch(main);
    CreatePageLists(main);
    RestorePreview();
    CreateDetailPane(main);
    StatusBar = Child(main, STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_SIZEGRIP, IdStatusBar);
    KeyBar = Child(main, L"STATIC", L"", SS_OWNERDRAW, IdKeyBar);
    if (KeyBar) SetWindowSubclass(KeyBar, KeyBarWndProc, 4, 0);
    if (TabCtl) SetWindowPos(TabCtl, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UiRebuildFonts();
    RestoreListLayout();
    if (DetailBox && !DetailIsRich) {
        int stop = 48;
        SendMessageW(DetailBox, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    }
    ThemeRichEdit();
}
