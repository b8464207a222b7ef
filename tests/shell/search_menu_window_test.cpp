// The search row and the plugin context menu on the main window of this process,
// with the fake plugins, the stand-in TC and the field-name cache file.
#include <windows.h>

#include <commctrl.h>

#include "../probe/probe_test_support.h"
#include "analyses/findings.h"
#include "analyses/plugin_caches.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "hostcfg/pending.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "shell/commands.h"
#include "shell/findings_tabs.h"
#include "shell/plugin_menu.h"
#include "shell/search.h"
#include "views/list_sort.h"
#include "foundation/list_view.h"
#include "views/tab_fill.h"
#include "window_test_support.h"

namespace {

std::wstring SearchStatusText(const auto& w) {
    wchar_t text[256] = {};
    GetWindowTextW(w.c.searchStatus, text, 256);
    return text;
}

std::wstring SelectedName(const auto& w) {
    return ListViewCellText(w.c.pluginList, ListView_GetNextItem(w.c.pluginList, -1, LVNI_SELECTED), 1);
}

void Search(const auto& w, const std::wstring& text) {
    SetWindowTextW(w.c.searchEdit, text.c_str());  // EN_CHANGE runs the search
    Pump();
}

// Pumps until the field scan has reported every plugin it asks (or half a minute passed).
void WaitForFieldScan(const auto& w) {
    for (int i = 0; i < 300 && SearchStatusText(w).find(L"reading") != std::wstring::npos; ++i) {
        Pump();
        Sleep(100);
    }
}

void Command(HWND main, int id) {
    SendMessageW(main, WM_COMMAND, id, 0);
    Pump();
}

// Delivers the posted messages as the program's message loop does: the main window's
// dialog navigation first, then translation of keys into characters.
void PumpLikeProgram(HWND main) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageW(main, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void SetShift(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// A key pressed and released in the window that has the focus.
void Press(HWND main, UINT key, bool shift = false) {
    SetShift(shift);
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    PumpLikeProgram(main);
    SetShift(false);
}

void TypeText(HWND main, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(GetFocus(), WM_CHAR, c, 1);
    PumpLikeProgram(main);
}

// Below the program's own handling of the search box: the characters that get through.
std::wstring PassedChars;
LRESULT CALLBACK NoteChars(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_CHAR) PassedChars += static_cast<wchar_t>(wParam);
    return DefSubclassProc(edit, msg, wParam, lParam);
}

// Every item of the menu and its submenus: "id text" per line, "~" for grayed,
// "*" for the default item, submenus indented.
std::wstring MenuText(HMENU menu, const std::wstring& indent = L"") {
    std::wstring out;
    UINT def = GetMenuDefaultItem(menu, FALSE, 0);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        if (state & MF_SEPARATOR) continue;
        UINT id = GetMenuItemID(menu, i);
        HMENU sub = GetSubMenu(menu, i);
        out += indent + (sub ? L"" : std::to_wstring(id) + L" ") + text + ((state & MF_GRAYED) ? L" ~" : L"") +
               (!sub && id == def ? L" *" : L"") + L"\n";
        if (sub) out += MenuText(sub, indent + L"  ");
    }
    return out;
}

// Waits for the stand-in TC a command started and closes it.
void CloseStandIn() {
    HWND tc = nullptr;
    for (int i = 0; i < 100 && !(tc = FindWindowW(L"TTOTAL_CMD", nullptr)); ++i) Sleep(100);
    Sleep(300);
    if (tc) PostMessageW(tc, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && FindWindowW(L"TTOTAL_CMD", nullptr); ++i) Sleep(100);
}

struct Menu {
    PluginMenuState state;
    HMENU menu = nullptr;
    Menu(Window& w, int row) {
        state.ref = SelectedPluginRef(w.view, row);
        menu = BuildPluginMenu(w.view, state);
    }
    ~Menu() { DestroyMenu(menu); }
    std::wstring Text() const { return MenuText(menu); }
    bool Has(const std::wstring& line) const { return Text().find(line + L"\n") != std::wstring::npos; }
};

const wchar_t kSearchIni[] =
    L"[ListerPlugins]\r\n"
    L"1=%COMMANDER_PATH%\\p\\lister.wlx\r\n1_detect=\"EXT=\"TXT\" | EXT=\"LOG\"\"\r\n"
    L"2=%COMMANDER_PATH%\\p\\view.wlx\r\n2_detect=\"EXT=\"MD\"\"\r\n"
    L"3=%COMMANDER_PATH%\\p\\pair.wlx\r\n3_detect=\"EXT=\"txt\" & SIZE>10\"\r\n"
    L"[ContentPlugins]\r\n1=%COMMANDER_PATH%\\p\\content.wdx\r\n2=%COMMANDER_PATH%\\p\\second.wdx\r\n"
    L"[PackerPlugins]\r\nzip=12,%COMMANDER_PATH%\\p\\packer.wcx\r\n";

}  // namespace

TEST_SUITE("window") {
    TEST_CASE("search by cell text, by extension and by field name; F3 wraps and hits survive a sort") {
        TcFolder tc(kSearchIni);
        CopyInto(FakePlugin(L"content", L"wdx"), tc.dir + L"\\p",
                 sizeof(void*) == 8 ? L"second.wdx64" : L"second.wdx");
        // The first plugin's names are fresh in the cache, the second's are stale.
        std::wstring first = EnvExpand(L"%COMMANDER_PATH%\\p\\content.wdx");
        std::wstring second = EnvExpand(L"%COMMANDER_PATH%\\p\\second.wdx");
        DeleteFileW(FieldsIniPath().c_str());
        IniEnsureUtf16(FieldsIniPath());
        WritePrivateProfileStringW(L"Fields", FieldCacheKey(first).c_str(), (FileStamp(first) + L"\tZebra|Colour").c_str(),
                                   FieldsIniPath().c_str());
        WritePrivateProfileStringW(L"Fields", FieldCacheKey(second).c_str(), L"2000-01-01 00:00Z|1\tZebra",
                                   FieldsIniPath().c_str());
        Window w;
        w.Show(0);

        Search(w, L"*.txt");
        CHECK(SearchStatusText(w) == L"1/2  \u00b7  extension: TXT");
        CHECK(SelectedName(w) == L"lister");
        Command(w.main, CmdNextMatch);
        CHECK(SearchStatusText(w) == L"2/2  \u00b7  extension: TXT");
        CHECK(SelectedName(w) == L"pair");
        Command(w.main, CmdNextMatch);
        CHECK(SelectedName(w) == L"lister");
        Command(w.main, CmdPrevMatch);
        CHECK(SelectedName(w) == L"pair");

        // The name column sorted backwards: the current hit stays, its place in the count follows the rows.
        ListViewSortByColumn(w.c.pluginList, 1);
        ListViewSortByColumn(w.c.pluginList, 1);
        UpdateSearchStatus(w.view);
        CHECK(SearchStatusText(w) == L"1/2  \u00b7  extension: TXT");
        Command(w.main, CmdNextMatch);
        CHECK(SelectedName(w) == L"lister");
        // A refill keeps the hits with their rows.
        FillTab(w.view);
        Pump();
        CHECK(SearchStatusText(w) == L"\u2013/2");

        Search(w, L"VIEW");  // a cell: no note
        CHECK(SearchStatusText(w) == L"1/1");
        CHECK(SelectedName(w) == L"view");
        // The hit is marked in its cell, the current one in the stronger colour; other rows stay plain.
        const COLORREF current = RGB(0xFF, 0xC8, 0x30), other = RGB(0xFF, 0xF0, 0x80);
        int viewRow = ListView_GetNextItem(w.c.pluginList, -1, LVNI_SELECTED);
        CHECK(CellPixels(w.c.pluginList, viewRow, 1, current) > 20);
        CHECK(CellPixels(w.c.pluginList, viewRow == 0 ? 1 : 0, 1, current) == 0);
        Search(w, L"i");  // lister, view and pair: a hit in each name, one current
        int selected = ListView_GetNextItem(w.c.pluginList, -1, LVNI_SELECTED);
        for (int row = 0; row < 3; ++row)
            CHECK(CellPixels(w.c.pluginList, row, 1, row == selected ? current : other) > 10);
        Search(w, L"*.");
        CHECK(SearchStatusText(w) == L"no matches");

        // Without a search the Content tab leaves the plugins' field lists alone.
        Search(w, L"");
        TabCtrl_SetCurSel(w.c.tabCtl, 1);
        FillTab(w.view);
        CHECK(SearchStatusText(w) == L"Enter / F3");
        w.Show(1);
        Search(w, L"zebra");
        WaitForFieldScan(w);
        // The fresh entry was not asked again; the stale one was, and lost its made-up name.
        CHECK(SearchStatusText(w) == L"1/1  \u00b7  field: Zebra");
        CHECK(SelectedName(w) == L"content");
        Search(w, L"colo");
        CHECK(SearchStatusText(w) == L"2/2  \u00b7  field: Colour");  // the tab keeps the backward sort
        std::wstring cached = IniGetString(FieldsIniPath(), L"Fields", FieldCacheKey(second));
        CHECK(cached.starts_with(FileStamp(second) + L"\tInt32|Int64|Size"));
        Search(w, L"");
        CHECK(SearchStatusText(w) == L"Enter / F3");
        CHECK(CellPixels(w.c.pluginList, 0, 1, other) + CellPixels(w.c.pluginList, 0, 1, current) == 0);
        ResetPluginCaches();  // the next test's folder has the same name
    }

    TEST_CASE("after a reload the field names of a plugin added meanwhile are read, those of the others not again") {
        TcFolder tc(kSearchIni);  // second.wdx is not there yet
        std::wstring first = EnvExpand(L"%COMMANDER_PATH%\\p\\content.wdx");
        std::wstring second = EnvExpand(L"%COMMANDER_PATH%\\p\\second.wdx");
        LoadFieldsCache();
        FieldNameCache[FieldCacheKey(first)] = {FileStamp(first), {L"Zebra"}};  // fresh: not asked
        FieldNameCache.erase(FieldCacheKey(second));  // an earlier test's copy had the same name and time
        Window w;
        w.Show(1);
        Search(w, L"zebra");
        WaitForFieldScan(w);
        CHECK(SearchStatusText(w) == L"1/1  \u00b7  field: Zebra");
        Search(w, L"int64");
        WaitForFieldScan(w);
        CHECK(SearchStatusText(w) == L"no matches");

        CopyInto(FakePlugin(L"content", L"wdx"), tc.dir + L"\\p", sizeof(void*) == 8 ? L"second.wdx64" : L"second.wdx");
        Command(w.main, CmdReload);
        WaitForProbes();
        Search(w, L"int64");
        WaitForFieldScan(w);
        CHECK(SearchStatusText(w) == L"1/1  \u00b7  field: Int64");
        CHECK(SelectedName(w) == L"second");
        Search(w, L"zebra");  // the plugin whose file stayed the same was not asked again
        CHECK(SearchStatusText(w) == L"1/1  \u00b7  field: Zebra");
        ResetPluginCaches();
    }

    TEST_CASE("a field scan whose thread could not start is tried again by the next search") {
        TcFolder tc(kSearchIni);
        struct RefusingScan : MainWindow {
            bool refuse = true;
            DWORD StartWorker(LPTHREAD_START_ROUTINE proc, void* job) override {
                if (refuse && proc == FieldScanThreadProc) return ERROR_NOT_ENOUGH_MEMORY;
                return MainWindow::StartWorker(proc, job);
            }
        };
        LoadFieldsCache();
        FieldNameCache.erase(FieldCacheKey(EnvExpand(L"%COMMANDER_PATH%\\p\\content.wdx")));
        WindowOf<RefusingScan> w;
        w.Show(1);
        Search(w, L"int64");
        CHECK(SearchStatusText(w) == L"no matches");
        w.app.refuse = false;
        Search(w, L"int6");
        WaitForFieldScan(w);
        CHECK(SearchStatusText(w) == L"1/1  \u00b7  field: Int64");
        ResetPluginCaches();
    }

    TEST_CASE("F3 on the findings tab after the findings were built anew goes to the next finding that matches") {
        TcFolder tc(L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\alpha.wlx\r\n2=%COMMANDER_PATH%\\p\\gone1.wlx\r\n"
                    L"3=%COMMANDER_PATH%\\p\\beta.wlx\r\n4=%COMMANDER_PATH%\\p\\gone2.wlx\r\n");
        Window w;
        w.Show(5);
        auto selected = [&] {
            return ListViewCellText(w.c.findingsList, ListView_GetNextItem(w.c.findingsList, -1, LVNI_SELECTED), 2);
        };
        REQUIRE(Rows(w.c.findingsList, {2}).starts_with(L"#1 alpha\n#2 gone1\n#3 beta\n#4 gone2\n"));
        Search(w, L"gone");
        CHECK(selected() == L"#2 gone1");
        // Checking a finding before the hits moves every later one up a place.
        const std::wstring alpha = Findings[0].ackKey;
        ToggleAcknowledged(w.view, 0);
        Command(w.main, CmdNextMatch);
        CHECK(selected() == L"#4 gone2");
        CHECK(SearchStatusText(w) == L"2/2");
        // Unchecked from the menu, the finding comes back with the posted refresh.
        SetAcknowledged(alpha, false);
        w.app.PendingChanged();
        Pump();
        Command(w.main, CmdNextMatch);
        CHECK(selected() == L"#2 gone1");
    }

    TEST_CASE("the search box's keys: Enter steps on, Shift+Enter back, Esc returns to the list") {
        TcFolder tc(kSearchIni);
        Window w;
        w.Show(0);
        SetForegroundWindow(w.main);
        Command(w.main, CmdFind);
        REQUIRE(GetFocus() == w.c.searchEdit);
        TypeText(w.main, L"txt");
        CHECK(SearchStatusText(w) == L"1/2  \u00b7  extension: TXT");
        CHECK(SelectedName(w) == L"lister");
        Press(w.main, VK_RETURN);
        CHECK(SearchStatusText(w) == L"2/2  \u00b7  extension: TXT");
        CHECK(SelectedName(w) == L"pair");
        Press(w.main, VK_RETURN);
        CHECK(SelectedName(w) == L"lister");
        Press(w.main, VK_RETURN, true);
        CHECK(SelectedName(w) == L"pair");
        CHECK(GetFocus() == w.c.searchEdit);

        // The selection stays visible while the box has the focus: the list is redrawn when it
        // gains or loses it.
        int row = ListView_GetNextItem(w.c.pluginList, -1, LVNI_SELECTED);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        SetFocus(w.c.detailBox);
        Pump();
        CHECK(CellPixels(w.c.pluginList, row, 0, highlight) == 0);
        SetFocus(w.c.searchEdit);
        Pump();
        CHECK(ShownCellPixels(w.c.pluginList, row, 0, highlight) > 20);
        SetFocus(w.c.detailBox);
        Pump();
        CHECK(ShownCellPixels(w.c.pluginList, row, 0, highlight) == 0);

        SetFocus(w.c.searchEdit);
        Press(w.main, VK_ESCAPE);
        CHECK(GetFocus() == w.c.pluginList);
        CHECK(SelectedName(w) == L"pair");

        // Enter and Esc are keys of the box, never characters in it.
        REQUIRE(RemoveWindowSubclass(w.c.searchEdit, SearchEditSubclassProc, 3));
        SetWindowSubclass(w.c.searchEdit, NoteChars, 99, 0);
        SetWindowSubclass(w.c.searchEdit, SearchEditSubclassProc, 3, reinterpret_cast<DWORD_PTR>(&w.view));
        SetFocus(w.c.searchEdit);
        PassedChars.clear();
        Press(w.main, VK_RETURN);
        TypeText(w.main, L"\r");
        Press(w.main, VK_ESCAPE);
        TypeText(w.main, L"\x1b");
        SetFocus(w.c.searchEdit);
        TypeText(w.main, L"!");
        CHECK(PassedChars == L"!");
        RemoveWindowSubclass(w.c.searchEdit, NoteChars, 99);
        ResetPluginCaches();
    }

    TEST_CASE("plugin menu: items per kind, TC executables, documents, own commands and their actions") {
        TcFolder tc(kSearchIni);
        std::wstring fake = BuildPath(sizeof(void*) == 8 ? L"fakes\\tc\\TOTALCMD64.EXE" : L"fakes\\tc\\TOTALCMD.EXE");
        CopyFileW(fake.c_str(), (tc.dir + L"\\TOTALCMD64.EXE").c_str(), FALSE);
        CopyFileW(fake.c_str(), (tc.dir + L"\\TOTALCMD.EXE").c_str(), FALSE);
        for (const wchar_t* name : {L"history.txt", L"README.TXT", L"pluginst.inf", L"readme_de.htm", L"readme.exe",
                                    L"license.bat", L"changes.vbs", L"readme.lnk", L"plugin.ini"})
            WriteFileBytes(tc.dir + L"\\p\\" + name, "x");
        CreateDirectoryW((tc.dir + L"\\recorder").c_str(), nullptr);
        std::wstring recorder = tc.dir + L"\\recorder\\rec.exe";
        CopyFileW(fake.c_str(), recorder.c_str(), FALSE);
        WritePrivateProfileStringW(L"Commands", L"Cmd1", (L"Record | \"" + recorder + L"\" %n").c_str(),
                                   SettingsIniPath().c_str());
        WritePrivateProfileStringW(L"Commands", L"Cmd2", L"no bar here", SettingsIniPath().c_str());
        WritePrivateProfileStringW(L"Commands", L"Cmd3", L"Second|x", SettingsIniPath().c_str());
        Window w;
        w.Show(0);

        Select(w.c.pluginList, 0);
        {
            Menu m(w, 0);
            CHECK(m.state.ref.detect == L"EXT=\"TXT\" | EXT=\"LOG\"");
            CHECK(m.state.ref.hasDetect);
            std::wstring text = m.Text();
            CHECK(text.starts_with(L"3050 Open folder in TC (64 Bit, not running)\tEnter *\n"
                                   L"3051 Open folder in TC (32 Bit, not running)\n"
                                   L"3001 Open folder in Explorer\n3002 Open plugin file in TC Lister\n"
                                   L"Documentation\n  3100 README.TXT\n  3101 readme_de.htm\n  3102 history.txt\n"
                                   L"  3103 pluginst.inf\n3003 Plugin info…\tAlt+Enter\n"));
            CHECK(text.find(L"exe") == std::wstring::npos);
            CHECK(text.find(L".bat") == std::wstring::npos);
            CHECK(text.find(L".lnk") == std::wstring::npos);
            CHECK(m.Has(L"3009 Take detect string from plugin ~"));  // the fake answers the INI's string? see below
            CHECK(m.Has(L"2990 Move up\tCtrl+Up ~"));
            CHECK(m.Has(L"2991 Move down\tCtrl+Down"));
            CHECK(m.Has(L"2994 Gather selection ~"));
            CHECK(m.Has(L"3011 Discard changes for this plugin ~"));
            CHECK(text.ends_with(L"Own commands\n  3200 Record\n  3201 Second\n"));

            RunPluginMenuCommand(w.app, 2995, m.state);
            PendingEdit* edit = FindEntryEdit(KindLister, 1);
            REQUIRE(edit);
            CHECK((edit->deleted && edit->deactivate));
            RunPluginMenuCommand(w.app, 3011, m.state);
            CHECK(FindEntryEdit(KindLister, 1) == nullptr);

            // The own command gets the plugin's name.
            RunPluginMenuCommand(w.app, 3200, m.state);
            CloseStandIn();
            CHECK(ReadFileBytes(tc.dir + L"\\recorder\\cmdline.txt").find("lister") != std::string::npos);

            // Opened in the 32-bit TC, which starts since none runs.
            RunPluginMenuCommand(w.app, 3051, m.state);
            for (int i = 0; i < 100 && !FindWindowW(L"TTOTAL_CMD", nullptr); ++i) Sleep(100);
            Sleep(300);
            CHECK(ReadFileBytes(tc.dir + L"\\cmdline.txt").find("\\p\\lister") != std::string::npos);
        }
        {
            // With the 32-bit TC running it leads and is no longer "not running".
            Menu m(w, 0);
            CHECK(m.Text().find(L"(32 Bit)\tEnter *\n") != std::wstring::npos);
            CHECK(m.Text().find(L"(64 Bit, not running)") != std::wstring::npos);
            CloseStandIn();
        }
        {
            // Refilled while the menu was open, with another entry in that row: nothing happens.
            Menu m(w, 0);
            WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\view.wlx\r\n"));
            FillTab(w.view);
            RunPluginMenuCommand(w.app, 2995, m.state);
            CHECK(PendingEdits.empty());
            WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(kSearchIni));
        }
        w.Show(2);
        {
            Menu m(w, 0);
            CHECK(m.Text().find(L"\n3012 Take number from plugin") != std::wstring::npos);
            CHECK(m.Has(L"3010 Edit capabilities and path…\tF4"));
            CHECK(m.Text().find(L"Move up") == std::wstring::npos);
            RunPluginMenuCommand(w.app, 2995, m.state);
            const PlugState* line = FindPlugState(KindPacker, L"zip");
            REQUIRE(line);
            CHECK((line->deleted && line->deactivate));
        }
        PlugStates.clear();
        PendingEdits.clear();
        ResetPluginCaches();
    }
}
