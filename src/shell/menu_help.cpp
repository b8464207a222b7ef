#include "shell/menu_help.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "shell/commands.h"
#include "shell/main_children.h"
#include "shell/main_window.h"
#include "views/legend.h"
#include "views/main_view.h"
#include "views/panes.h"
#include "foundation/ui_globals.h"

namespace {

void AppendItem(HMENU menu, int id, const char* key) { AppendMenuW(menu, MF_STRING, id, Tr(key).c_str()); }

HFONT MakeFont(LOGFONTW font) {
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

// Fonts that a rebuild replaced: an open dialog or text window may still draw with
// them, so each is deleted only once no window of this thread holds it.
std::vector<HFONT> RetiredFonts;

void RetireFont(HFONT& font, HFONT fresh) {
    if (font) RetiredFonts.push_back(font);
    font = fresh;
}

BOOL CALLBACK NoteFont(HWND window, LPARAM fonts) {
    reinterpret_cast<std::set<HFONT>*>(fonts)->insert(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    return TRUE;
}

BOOL CALLBACK NoteFontsOfTree(HWND window, LPARAM fonts) {
    NoteFont(window, fonts);
    EnumChildWindows(window, NoteFont, fonts);
    return TRUE;
}

void DeleteUnusedFonts() {
    std::set<HFONT> used;
    EnumThreadWindows(GetCurrentThreadId(), NoteFontsOfTree, reinterpret_cast<LPARAM>(&used));
    std::erase_if(RetiredFonts, [&](HFONT font) { return !used.count(font) && DeleteObject(font); });
}

void SetFont(HWND window, HFONT font) {
    if (window) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool FontHasFace(HFONT font, const wchar_t* face) {
    WindowDc screen(nullptr);
    SelectedObject selected(screen.Get(), font);
    wchar_t used[LF_FACESIZE] = {};
    GetTextFaceW(screen.Get(), LF_FACESIZE, used);
    return _wcsicmp(used, face) == 0;
}

// The triangles and cross of "Marlett"; where that font is not installed the system
// would show the bare letters, so the buttons take like glyphs of the UI font.
void SetSearchGlyphs(const MainControls& c, HFONT symbolFont, HFONT uiFont) {
    bool marlett = FontHasFace(symbolFont, L"Marlett");
    const HWND buttons[3] = {c.searchPrevBtn, c.searchNextBtn, c.searchClearBtn};
    const wchar_t* const symbols[3] = {L"3", L"4", L"r"};
    const wchar_t* const fallbacks[3] = {L"\u25C4", L"\u25BA", L"\u00D7"};
    for (int i = 0; i < 3; ++i) {
        if (!buttons[i]) continue;
        SetWindowTextW(buttons[i], marlett ? symbols[i] : fallbacks[i]);
        SetFont(buttons[i], marlett ? symbolFont : uiFont);
    }
}

bool OnNetwork(const std::wstring& file) {
    const ShlwapiDll* shlwapi = Shlwapi();
    if (!shlwapi) return false;
    wchar_t root[MAX_PATH] = {};
    wcsncpy(root, file.c_str(), MAX_PATH - 1);
    shlwapi->PathStripToRootW(root);
    return shlwapi->PathIsUNCW(file.c_str()) || GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace

HMENU BuildMainMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendItem(file, CmdOpenIni, "menu_open");
    AppendItem(file, CmdReload, "menu_reload");
    AppendItem(file, CmdOpenLog, "menu_openlog");
    AppendItem(file, CmdInstall, "menu_install");
    AppendItem(file, CmdFind, "menu_find");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendItem(file, CmdSave, "menu_save");
    AppendItem(file, CmdDiscard, "menu_discard");
    AppendItem(file, CmdRestore, "menu_restore");
    AppendItem(file, CmdCleanup, "menu_cleanup");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendItem(file, CmdSettings, "menu_settings");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendItem(file, CmdExit, "menu_exit");
    HMENU help = CreatePopupMenu();
    AppendItem(help, CmdHelp, "menu_helpitem");
    AppendItem(help, CmdLegend, "menu_legend");
    AppendMenuW(help, MF_SEPARATOR, 0, nullptr);
    AppendItem(help, CmdAbout, "menu_about");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), Tr("menu_file").c_str());
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), Tr("menu_help").c_str());
    return bar;
}


void UiRebuildFonts(MainView& view) {
    const MainControls& c = view.controls;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);  // 504 bytes
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW base = metrics.lfMessageFont;
    base.lfHeight = MulDiv(base.lfHeight, UiDpi, UiScreenDpi());
    HFONT font = MakeFont(base);
    LOGFONTW fixed = base;
    wcsncpy(fixed.lfFaceName, L"Consolas", LF_FACESIZE - 1);
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    HFONT fixedFont = MakeFont(fixed);
    for (HWND control : {c.tabCtl, c.pluginList, c.extList, c.inventoryList, c.findingsList, c.detailLabel,
                         c.statusBar, c.pvFieldList, c.lvCheckList, c.pvPickContentBtn, c.pvPickListerBtn,
                         c.pvFileLabel, c.pvEmptyCheck, c.pvUnitsCheck, c.pvToggleBtn, c.pvIntro, c.pvPluginList,
                         c.searchLabel, c.searchEdit, c.searchStatus})
        SetFont(control, font);
    SetFont(c.detailBox, view.tabIsInventory ? fixedFont : font);
    SetDetailMargins(view);
    LOGFONTW semibold = base, heading = base, subheading = base;
    semibold.lfWeight = 600;
    heading.lfHeight = MulDiv(base.lfHeight, 3, 2);
    heading.lfWeight = 600;
    subheading.lfHeight = MulDiv(base.lfHeight, 7, 6);
    HFONT semiboldFont = MakeFont(semibold);
    RetireFont(UiFontHeading, MakeFont(heading));
    RetireFont(UiFontSubheading, MakeFont(subheading));
    UiFontPx = std::max(std::abs(static_cast<int>(base.lfHeight)), 8);
    LOGFONTW symbol{};
    symbol.lfHeight = metrics.lfMessageFont.lfHeight;
    symbol.lfWeight = 400;
    symbol.lfCharSet = SYMBOL_CHARSET;
    wcscpy(symbol.lfFaceName, L"Marlett");
    HFONT symbolFont = MakeFont(symbol);
    SetSearchGlyphs(c, symbolFont, font);
    RetireFont(UiSymbolFont, symbolFont);
    RetireFont(UiFont, font);
    RetireFont(UiFontFixed, fixedFont);
    RetireFont(UiFontSemibold, semiboldFont);
    UiApplyFonts(view);
    LegendTakeFont(view);
    if (c.keyBar) InvalidateRect(c.keyBar, nullptr, FALSE);
    DeleteUnusedFonts();
}

std::wstring HelpPageForCurrentTab(const MainView& view) {
    HWND tabs = view.controls.tabCtl;
    static const wchar_t* const pages[7] = {L"c01_lister", L"c01_lister", L"c02_packer", L"c03_dateisystem",
                                            L"c04_bestand", L"c05_befunde", L"c06_vorschau"};
    int tab = tabs ? TabCtrl_GetCurSel(tabs) : -1;
    if (tab == 6 && view.previewMode == 1) return L"c07_lister_pruefen";
    return tab >= 0 && tab <= 6 ? pages[tab] : L"index";
}

std::wstring HelpFilePath() {
    bool german = LangCode() == L"deu";
    std::wstring primary = PathJoin(AppDir(), german ? L"Kestrovane_deu.chm" : L"Kestrovane_eng.chm");
    std::wstring secondary = PathJoin(AppDir(), german ? L"Kestrovane_eng.chm" : L"Kestrovane_deu.chm");
    if (FileExists(primary)) return primary;
    return FileExists(secondary) ? secondary : L"";
}

void ShowHelp(MainView& view, const std::wstring& page, bool legend) {
    HWND owner = view.controls.main;
    std::wstring file = HelpFilePath();
    if (file.empty()) {
        ShowLegend(view);
        return;
    }
    if (OnNetwork(file)) {
        if (legend) {
            ShowLegend(view);
            return;
        }
        MessageBoxW(owner, Tr("help_network").c_str(), Tr("app_title").c_str(), MB_ICONINFORMATION);
    }
    std::wstring address = L"mk:@MSITStore:" + file + L"::/" + page + L".html";
    if (const Shell32Dll* shell = Shell32())
        shell->ShellExecuteW(owner, nullptr, L"hh.exe", address.c_str(), nullptr, SW_SHOWNORMAL);
}

void ShowAbout(HWND owner) {
    std::wstring text = std::wstring(L"Kestrovane ") + VersionText + L"\n" + Tr("about_text") + L"\n\n" +
                        Tr("about_lang") + L": " + LanguageDisplayName(LangCode());
    MessageBoxW(owner, text.c_str(), L"Kestrovane", MB_ICONINFORMATION);
}

void UiPostRefresh(HWND main) {
    if (main) PostMessageW(main, MsgRefresh, 0, 0);
}
