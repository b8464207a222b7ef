// The main window in this process on Xvfb: the plugin tabs filled from a TC folder
// with the fake plugins, probe answers, sorting, the checklist with its guard, the
// status bar, and every real configuration of the corpus.
#include "window_test_support.h"
#include "analyses/findings.h"
#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "dsx/entry_editor.h"
#include "editing/entry_edit.h"
#include "editing/launch.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "editing/save_dialog.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/worker_threads.h"
#include "probe/background_probe.h"
#include "probe/plugin_info.h"
#include "probe_record/probe_result.h"
#include "shell/commands.h"
#include "shell/main_layout.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/cell_hilite.h"
#include "views/status_text.h"
#include "views/tab_fill.h"
#include "views/extra_columns.h"
#include "views/window_layout.h"

namespace {

const wchar_t kIni[] =
    L"[ListerPlugins]\r\n"
    L"1=%COMMANDER_PATH%\\p\\lister.wlx\r\n1_detect=\"EXT=\"TXT\" | EXT=\"LOG\"\"\r\n"
    L"2=%COMMANDER_PATH%\\p\\view.wlx\r\n"
    L"2_detect=\"FORCE & EXT=\"TXT\" | EXT=\"LOG\" & SIZE>10 | EXT=\"MD\" | !(EXT=\"BAK\")\"\r\n"
    L"3=%COMMANDER_PATH%\\p\\gone.wlx\r\n3_detect=\"EXT=\"TXT\"\"\r\n"
    L"4=%COMMANDER_PATH%\\p\\pair.wlx\r\n4_detect=\"EXT=\"A\" | EXT=\"B\"\"\r\n"
    L"[ContentPlugins]\r\n1=%COMMANDER_PATH%\\p\\content.wdx\r\n"
    L"[PackerPlugins]\r\nzip=12,%COMMANDER_PATH%\\p\\packer.wcx\r\nrar=31,%COMMANDER_PATH%\\p\\packer.wcx\r\n"
    L"[FileSystemPlugins]\r\nFake Root=%COMMANDER_PATH%\\p\\fs.wfx\r\n";

// Counts the questions whether to read the file again after a change made outside
// the program, and answers no.
struct AskedAboutOutsideChanges : MainWindow {
    int questions = 0;
    int Message(HWND, const std::wstring& text, UINT) override {
        questions += text.find(L"changed outside") != std::wstring::npos;
        return IDNO;
    }
};

// While the program's own write holds the ini lock, TC writes the Lister section,
// once a read of the program waits at the lock: a thread of its own.
struct WriteOfTcDuringRead {
    KernelHandle held{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bool readWaited = false;
    KernelHandle thread;
    WriteOfTcDuringRead() {
        thread.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
        REQUIRE(thread);
        WaitForSingleObject(held.Get(), INFINITE);
    }
    ~WriteOfTcDuringRead() { Done(); }
    static DWORD WINAPI Run(LPVOID param) {
        auto& self = *static_cast<WriteOfTcDuringRead*>(param);
        IniWriteScope writing;
        SetEvent(self.held.Get());
        self.readWaited = EventuallyHolds([] { return IniReadsWaiting() == 1; });
        WritePrivateProfileStringW(L"ListerPlugins", L"9", L"%COMMANDER_PATH%\\p\\new.wlx", WincmdIniPath.c_str());
        return 0;
    }
    // Whether the write came while a read waited.
    bool Done() {
        WaitForSingleObject(thread.Get(), INFINITE);
        return readWaited;
    }
};

}  // namespace

TEST_SUITE("window") {
    TEST_CASE("the plugin tabs: rows, probe answers, sorting, the checklist and its guard, the status bar") {
        TcFolder tc(kIni);
        Window w;
        w.Show(0);
        CHECK(ProbeTotal == 3);
        CHECK(Rows(w.c.pluginList, {0, 1, 3}) == L"1|lister|=\n2|view|\u2212\u2212\n3|gone|\u00d7\n4|pair|\u00b1\n");

        // An answer of an earlier fill is only cached.
        auto* late = new ProbeMsg{ProbeGen - 1, 0, KindLister, TabEntries[0].expandedPath, {}};
        late->result.status = ProbeError;
        PostMessageW(w.main, MsgProbeResult, 0, (LPARAM)late);
        Pump();
        CHECK(ListViewCellText(w.c.pluginList, 0, 3) == L"=");

        ListViewSortByColumn(w.c.pluginList, 1);
        CHECK(Rows(w.c.pluginList, {1}) == L"gone\nlister\npair\nview\n");
        ListViewSortByColumn(w.c.pluginList, 1);
        CHECK(Rows(w.c.pluginList, {1}) == L"view\npair\nlister\ngone\n");
        HDITEMW arrow{};
        arrow.mask = HDI_FORMAT;
        Header_GetItem(ListView_GetHeader(w.c.pluginList), 1, &arrow);
        CHECK((arrow.fmt & HDF_SORTDOWN) != 0);
        ListViewSortByColumn(w.c.pluginList, 0);
        CHECK(Rows(w.c.pluginList, {0}) == L"1\n2\n3\n4\n");

        // Plain, key-4-only, conditional and excluded extensions of entry 2.
        Select(w.c.pluginList, 1);
        REQUIRE(w.view.detailRowShown == 1);
        CHECK(Rows(w.c.extList, {0, 1}) == L"TXT|active, only with key 4\nLOG|active, conditional\n"
                                       L"MD|active, not reported by plugin\nFORCE|keyword\nBAK|excluded\n");
        CHECK(Rows(w.c.extList, {2}).starts_with(L"part of a condition"));
        CHECK((w.CheckOf(0) == 2 && w.CheckOf(1) == 2 && w.CheckOf(2) == 2 && w.CheckOf(3) == 0 && w.CheckOf(4) == 0));

        // Of the two terms of entry 4 the first may go, the last may not.
        Select(w.c.pluginList, 3);
        CHECK(w.StatusText().find(L"unsaved changes") == std::wstring::npos);
        REQUIRE(Rows(w.c.extList, {0}).starts_with(L"A\nB\n"));
        ListView_SetItemState(w.c.extList, 0, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
        Pump();
        CHECK(w.CheckOf(0) == 1);
        CHECK(w.StatusText().starts_with(L"unsaved changes: 1 – Ctrl+S  \u00b7  Lister plugins: 4"));
        ListView_SetItemState(w.c.extList, 1, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
        Pump();
        CHECK(w.CheckOf(1) == 2);
        CHECK(w.StatusText().starts_with(Tr("st_last_ext") + L"  \u00b7  unsaved changes: 1"));
        CHECK(ListViewCellText(w.c.pluginList, 3, 1) == L"pair *");

        // A bar followed by a letter gets a hidden break hint; a search across it still finds its text.
        w.view.searchPaint.text = L"\"|ext";
        SetDetailText(w.view, L"INI:\tEXT=\"A\"|EXT=\"B\"", true);
        wchar_t shown[64] = {};
        GetWindowTextW(w.c.detailBox, shown, 64);
        CHECK(std::wstring(shown) == L"INI:\tEXT=\"A\"|\u200bEXT=\"B\"");
        DWORD from = 0, to = 0;
        SendMessageW(w.c.detailBox, EM_GETSEL, (WPARAM)&from, (LPARAM)&to);
        CHECK(from == 11);
        w.view.searchPaint.text.clear();

        w.Show(2);
        CHECK(Rows(w.c.pluginList, {1, 3}) == L"packer|\u2260\n");
        w.Show(3);
        // A 32-bit File-system plugin is never asked through the twin: the 64-bit TC cannot load it.
        CHECK(Rows(w.c.pluginList, {1, 3}) == (sizeof(void*) == 8 ? L"Fake Root|\u2022\n" : L"Fake Root|32\n"));
        CHECK(Rows(w.c.extList, {0, 1}) == L"Fake Root|registered\n");
        PendingEdits.clear();
    }

    TEST_CASE("plugins whose probe thread could not start are shown as not asked, with the reason") {
        struct NoWorkerThreads : MainWindow {
            DWORD StartWorker(LPTHREAD_START_ROUTINE, void*) override { return ERROR_NOT_ENOUGH_MEMORY; }
        };
        TcFolder tc(kIni);
        WindowOf<NoWorkerThreads> w;
        TabCtrl_SetCurSel(w.c.tabCtl, 0);
        FillTab(w.view);
        Pump();
        CHECK(ProbeTotal == 0);
        CHECK(Rows(w.c.pluginList, {1, 3}) == L"lister|\u00ac\nview|\u00ac\ngone|\u00d7\npair|\u00ac\n");
        const std::wstring why =
            L"the program could not start the thread that asks the plugins: CreateThread failed (Windows error 8)";
        for (const PlugEntry& e : TabEntries) {
            CAPTURE(e.name);
            if (!e.fileExists) continue;
            CHECK((e.probeStatus == ProbeError && e.probeNotStarted && e.probeError == why));
        }
    }

    TEST_CASE("probe answers taken in more than one batch are each applied once, and the job's end after them") {
        TcFolder tc(kIni);
        Window w;
        w.Show(0);
        // A job of the test's own: the first answer is applied at once, the rest come while the window
        // pauses for painting, the job's end right behind them.
        const uint32_t gen = ++ProbeGen;
        ProbeDone = 0;
        ProbeTotal = 3;
        auto answer = [&](int row) {
            auto* msg = new ProbeMsg{gen, row, KindLister, TabEntries[row].expandedPath, {}};
            msg->result.status = ProbeError;
            PostMessageW(w.main, MsgProbeResult, 0, (LPARAM)msg);
        };
        answer(0);
        Pump();
        answer(1);
        answer(3);
        PostMessageW(w.main, MsgBackgroundDone, 0, (LPARAM) new BackgroundDoneMsg{gen, KindLister, 0});
        WaitForProbes();
        for (int i = 0; i < 20; ++i) {
            Pump();
            Sleep(20);
        }
        CHECK(ProbeDone == 3);
        CHECK(Rows(w.c.pluginList, {1, 3}) == L"lister|!\nview|!\ngone|\u00d7\npair|!\n");
        CHECK(w.StatusText().find(L"Querying") == std::wstring::npos);
    }

    TEST_CASE("a sort and the probe's end leave the detail pane as it is; Shift shows the row the user went to") {
        TcFolder tc(kIni);
        Window w;
        w.Show(0);
        HWND list = w.c.pluginList;
        Select(list, 1);  // view.wlx
        REQUIRE(w.view.detailRowShown == 1);
        ListView_SetItemState(w.c.extList, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListViewSortByColumn(list, 1);
        const uint32_t gen = ++ProbeGen;  // a job of the test's own ends: the rows sort again
        ProbeDone = 0;
        ProbeTotal = 1;
        auto* answer = new ProbeMsg{gen, 2, KindLister, TabEntries[2].expandedPath, {}};
        PostMessageW(w.main, MsgProbeResult, 0, (LPARAM)answer);
        WaitForProbes();
        REQUIRE(Rows(list, {1}) == L"gone\nlister\npair\nview\n");
        CHECK(ListViewItemData(list, ListView_GetNextItem(list, -1, LVNI_SELECTED)) == 1);
        CHECK(w.view.detailRowShown == 1);
        CHECK(ListView_GetNextItem(w.c.extList, -1, LVNI_SELECTED) == 2);  // the checklist was not made anew

        auto click = [&](int row, WPARAM keys) {
            RECT cell{};
            ListView_GetItemRect(list, row, &cell, LVIR_LABEL);
            LPARAM at = MAKELPARAM(cell.left + 4, (cell.top + cell.bottom) / 2);
            SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
            SendMessageW(list, WM_LBUTTONUP, keys, at);
            Pump();
        };
        click(0, 0);
        CHECK(w.view.detailRowShown == 2);
        click(2, MK_SHIFT);
        CHECK(w.view.detailRowShown == 3);
        CHECK(ListView_GetSelectedCount(list) == 3);
    }

    TEST_CASE("the status bar: the note and the unsaved changes first, then the tab's pieces, its INI and TC") {
        const wchar_t ini[] =
            L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\lister.wlx\r\n1_detect=\"EXT=\"TXT\" | EXT=\"LOG\"\"\r\n"
            L"2=%COMMANDER_PATH%\\p\\gone.wlx\r\n"
            L"[PackerPlugins]\r\nRedirectSection=%COMMANDER_PATH%\\elsewhere.ini\r\nzip=12,%COMMANDER_PATH%\\p\\packer.wcx\r\n"
            L"[FileSystemPlugins]\r\nFake Root=%COMMANDER_PATH%\\p\\fs.wfx\r\n";
        TcFolder tc(ini);
        Window w;
        const std::wstring dot = L"  \u00b7  ", tcPiece = dot + L"TC: " + tc.dir;
        w.Show(3);
        CHECK(w.StatusText() == L"File system plugins: 1" + dot + WincmdIniPath + tcPiece);
        w.Show(0);
        CHECK(w.StatusText() == L"Lister plugins: 2" + dot + L"without detect string: 1" + dot + L"files missing: 1" +
                                  dot + WincmdIniPath + tcPiece);
        // A redirected section: the key left beside it, then the missing file as a label and a path.
        w.Show(2);
        CHECK(w.StatusText() == L"Packer plugins: 0" + dot +
                                  L"also in wincmd.ini next to RedirectSection (probably ignored by TC): zip" + dot +
                                  L"File NOT found:" + dot + tc.dir + L"\\elsewhere.ini" + tcPiece);

        PendingReactivations.insert(L"F|kept");
        w.view.statusNote = L"a note";
        w.Show(3);
        w.view.statusNote = L"a note";
        UpdateStatusBar(w.view);
        CHECK(w.StatusText() == L"a note" + dot + L"unsaved changes: 1 – Ctrl+S" + dot + L"File system plugins: 1" + dot +
                                  WincmdIniPath + tcPiece);
        w.view.statusNote.clear();
        {
            ScopedEnv noTc(L"COMMANDER_PATH", L"");
            UpdateStatusBar(w.view);
            CHECK(w.StatusText().ends_with(dot + L"TC: ?"));
        }
        std::wstring ini2 = WincmdIniPath;
        WincmdIniPath.clear();
        UpdateStatusBar(w.view);
        CHECK(w.StatusText() == L"unsaved changes: 1 – Ctrl+S" + dot + L"No wincmd.ini found – File › Open wincmd.ini…");
        PendingReactivations.clear();
        UpdateStatusBar(w.view);
        CHECK(w.StatusText() == L"No wincmd.ini found – File › Open wincmd.ini…");
        WincmdIniPath = ini2;
    }

    TEST_CASE("the status cell explains its glyph; a Content plugin's uses are badges that explain themselves") {
        std::wstring ini = std::wstring(kIni) +
                           L"[CustomFields]\r\nTitles=Size|Zebra\r\nContents1=[=content.Size]\r\n"
                           L"Contents2=[=content.Zebra]\r\n[RenameTemplates]\r\nt1=[N] [=content.Size]\r\n";
        TcFolder tc(ini.c_str());
        Window w;
        w.Show(0);
        auto tipAt = [&](int row, int column) {
            RECT cell{};
            CellRect(w.c.pluginList, row, column, cell);
            UiHideTrackTip(w.view);
            CellTipShow(w.view, w.c.pluginList, POINT{cell.left + 3, (cell.top + cell.bottom) / 2});
            wchar_t text[1024] = {};
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof(tool);
            tool.hwnd = w.main;
            tool.uId = 1;
            tool.lpszText = text;
            if (w.view.cellTip.window) SendMessageW(w.view.cellTip.window, TTM_GETTEXTW, 1024, (LPARAM)&tool);
            return std::wstring(text);
        };
        // The glyph fits its cell, yet the cell says what it means.
        std::wstring status = tipAt(0, 3), glyph = ListViewCellText(w.c.pluginList, 0, 3);
        CHECK(status.starts_with(glyph + L"  "));
        CHECK(status.find(L"\n") > glyph.size() + 3);

        SetExtraCols(w.view, {4, 12});
        w.Show(1);
        int used = XcolFindUsedColumn();
        REQUIRE(used == 5);
        // A fill asks the details worker for the file facts of the shown rows.
        for (int i = 0; i < 100 && ListViewCellText(w.c.pluginList, 0, 4).empty(); ++i) {
            Pump();
            Sleep(50);
        }
        CHECK(ListViewCellText(w.c.pluginList, 0, 4) == (sizeof(void*) == 8 ? L"64" : L"32"));
        CHECK(ListViewCellText(w.c.pluginList, 0, used).empty());  // the badges stand for the uses
        const COLORREF accent = RGB(0x2F, 0x6F, 0xD0);  // the pictograms' accent
        CHECK(CellPixels(w.c.pluginList, 0, used, accent) > 10);
        std::wstring uses = tipAt(0, used);
        CHECK(uses.find(L"Size") != std::wstring::npos);
        CHECK(uses.find(L"Zebra") != std::wstring::npos);
        // Sorted by the uses, not by the empty cells.
        SetExtraCols(w.view, {});
        UiHideTrackTip(w.view);
    }

    TEST_CASE("every tab tells a Content plugin's uses from one index, also after an outside change") {
        const std::wstring uses = L"[CustomFields_Striped]\r\nContents1=[=content.Stripes]\r\nContents2=[=ghost.Boo]\r\n";
        TcFolder tc(std::wstring(kIni) + uses);
        struct Informing : MainWindow {
            std::wstring info;
            void ShowTextPopup(const std::wstring&, const std::wstring& text) override { info = text; }
        };
        WindowOf<Informing> w;
        // Plugin information from the findings tab, before any plugin tab was shown.
        w.Show(5);
        w.app.ShowPluginInfo(MakePluginRef(L"content", EnvExpand(L"%COMMANDER_PATH%\\p\\content.wdx")));
        CHECK(w.app.info.find(L"Striped") != std::wstring::npos);

        SetExtraCols(w.view, {12});
        auto agree = [&](bool used) {
            w.Show(1);
            Select(w.c.pluginList, 0);
            wchar_t detail[4096] = {};
            GetWindowTextW(w.c.detailBox, detail, 4096);
            CHECK((std::wstring(detail).find(Tr("use_nowhere")) == std::wstring::npos) == used);
            CHECK(ListViewCellText(w.c.pluginList, 0, XcolFindUsedColumn()).empty() == used);
            w.Show(5);
            bool ghost = std::any_of(Findings.begin(), Findings.end(), [](const Finding& f) { return f.name == L"ghost"; });
            CHECK(ghost == used);
        };
        agree(true);
        // Changed outside and not read again: every place still shows what was read, until the reload.
        WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(kIni));
        agree(true);
        SendMessageW(w.main, WM_COMMAND, CmdReload, 0);
        agree(false);
        SetExtraCols(w.view, {});
    }

    TEST_CASE("the program's own save from a tab without a plugin list is no outside change when the window comes back") {
        TcFolder tc(kIni);
        struct Saving : AskedAboutOutsideChanges {
            int AskToSave(HWND, const std::wstring&, bool) override { return SaveOnly; }
        };
        WindowOf<Saving> w;
        for (int tab : {4, 5, 6}) {
            CAPTURE(tab);
            w.Show(0);
            const std::wstring name = TabEntries[0].name;
            PendingEditFor(TabEntries[0]).deleted = 1;
            w.Show(tab);
            SaveChanges(w.app, w.main);
            REQUIRE(PluginSectionText(0).find(name + L".wlx") == std::wstring::npos);
            SendMessageW(w.main, MsgIniCheck, 0, 0);
            CHECK(w.app.questions == 0);
        }
        // A change made outside is still asked about.
        WritePrivateProfileStringW(L"ListerPlugins", L"9", L"%COMMANDER_PATH%\\p\\new.wlx", WincmdIniPath.c_str());
        SendMessageW(w.main, MsgIniCheck, 0, 0);
        CHECK(w.app.questions == 1);
    }

    TEST_CASE("a write of TC's while the program's save refills its rows is asked about at the next activation") {
        TcFolder tc(kIni);
        // TC writes once the refilled rows stand.
        struct WrittenAtRefill : AskedAboutOutsideChanges {
            std::wstring tcKey;
            int AskToSave(HWND, const std::wstring&, bool) override { return SaveOnly; }
            void SearchAfterFill() override {
                MainWindow::SearchAfterFill();
                if (tcKey.empty()) return;
                WritePrivateProfileStringW(L"ListerPlugins", std::exchange(tcKey, L"").c_str(),
                                           L"%COMMANDER_PATH%\\p\\new.wlx", WincmdIniPath.c_str());
            }
        };
        WindowOf<WrittenAtRefill> w;
        for (int tab : {0, 5}) {
            CAPTURE(tab);
            w.Show(0);
            PendingEditFor(TabEntries[0]).deleted = 1;
            w.Show(tab);
            w.app.tcKey = std::to_wstring(10 + tab);
            const int asked = w.app.questions;
            SaveChanges(w.app, w.main);
            REQUIRE(w.app.tcKey.empty());
            SendMessageW(w.main, MsgIniCheck, 0, 0);
            CHECK(w.app.questions == asked + 1);
        }
    }

    TEST_CASE("while a save writes, the window is disabled, and keys and commands that reach it run nothing") {
        TcFolder tc(kIni);
        // Each write of the save: a Delete key for the list and a Delete command
        // for the window, either of which would ask whether to delete.
        struct Pressing : MainWindow {
            std::vector<std::wstring> messages;
            bool enabledWhileWriting = false;
            int Message(HWND, const std::wstring& text, UINT) override {
                messages.push_back(text);
                return IDYES;
            }
            int AskToSave(HWND, const std::wstring&, bool) override { return SaveOnly; }
            void SaveProgress(int done, int total) override {
                enabledWhileWriting = enabledWhileWriting || IsWindowEnabled(Hwnd());
                PostMessageW(View().controls.pluginList, WM_KEYDOWN, VK_DELETE, 0);
                SendMessageW(Hwnd(), WM_COMMAND, CmdDelete, 0);
                MainWindow::SaveProgress(done, total);
            }
        };
        WindowOf<Pressing> w;
        w.Show(0);
        PendingEditFor(TabEntries[0]).deleted = 1;
        ListView_SetItemState(w.c.pluginList, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SetFocus(w.c.pluginList);
        SaveChanges(w.app, w.main);
        Pump();
        CHECK(w.app.messages == std::vector<std::wstring>{L"Changes saved: 1."});
        CHECK((!w.app.enabledWhileWriting && IsWindowEnabled(w.main) && CountPendingChanges() == 0));
    }

    TEST_CASE("the start reads its first tab on a worker: commands meanwhile run nothing, a tab chosen before the answer stays") {
        TcFolder tc(kIni);
        Window w;
        auto readDone = [] {
            for (int i = 0; i < 6000 && SectionReadRunning(); ++i) {
                Pump();
                Sleep(10);
            }
            return !SectionReadRunning();
        };
        TabCtrl_SetCurSel(w.c.tabCtl, KindLister);
        REQUIRE(StartFillOnWorker(w.view));
        SendMessageW(w.main, WM_COMMAND, CmdReload, 0);
        CHECK(ShownSectionKind == -1);
        CHECK(w.StatusText() == Tr("st_loading"));
        REQUIRE(readDone());
        WaitForProbes();
        CHECK(Rows(w.c.pluginList, {1}) == L"lister\nview\ngone\npair\n");
        CHECK(ProbeTotal == 3);

        // The user picks another tab before the answer: the answer is dropped.
        REQUIRE(StartFillOnWorker(w.view));
        w.Show(KindPacker);
        REQUIRE(readDone());
        CHECK(ShownSectionKind == KindPacker);
        CHECK(Rows(w.c.pluginList, {1}) == L"packer\n");
        CHECK(w.StatusText() != Tr("st_loading"));
    }

    TEST_CASE("a write of TC's while a tab's section is read is asked about at the next activation") {
        TcFolder tc(kIni);
        WindowOf<AskedAboutOutsideChanges> w;
        TabCtrl_SetCurSel(w.c.tabCtl, KindLister);
        REQUIRE(WaitForWorkerThreads(60000));  // no read of an earlier test waits at the lock
        WriteOfTcDuringRead write;
        SUBCASE("on the start's worker") {
            REQUIRE(StartFillOnWorker(w.view));
            REQUIRE(write.Done());
            for (int i = 0; i < 6000 && SectionReadRunning(); ++i) {
                Pump();
                Sleep(10);
            }
            REQUIRE_FALSE(SectionReadRunning());
        }
        SUBCASE("on the window's thread") {
            FillTab(w.view);
            REQUIRE(write.Done());
        }
        CHECK(Rows(w.c.pluginList, {1}).find(L"new\n") != std::wstring::npos);
        SendMessageW(w.main, MsgIniCheck, 0, 0);
        CHECK(w.app.questions == 1);
        WaitForProbes();
    }

    TEST_CASE("the extra columns fill with the tab; the reach follows the plugin's own detect string") {
        TcFolder tc(kIni);
        Window w;
        SetExtraCols(w.view, {0, 11});  // description, reach
        auto waitForTexts = [&] {
            for (int i = 0; i < 500 && ListViewCellText(w.c.pluginList, 0, 4).empty(); ++i) {
                Pump();
                Sleep(20);
            }
        };
        w.Show(1);
        waitForTexts();
        const std::wstring expected = BuildPluginDetails(TabEntries[0].expandedPath).description + L"|" + Tr("xr_specific");
        REQUIRE(expected.size() > 1 + Tr("xr_specific").size());
        CHECK(Cells(w.c.pluginList, 0, {4, 5}) == expected);
        // The file's texts are cached and shown at once; the reach waits for the probe.
        ProbeCache.clear();
        w.Show(1);
        CHECK(Cells(w.c.pluginList, 0, {4, 5}) == expected);
        SetExtraCols(w.view, {});
    }

    TEST_CASE("a change of dpi redraws the tab icons at the new size and keeps the fonts an open dialog draws with") {
        TcFolder tc(kIni);
        Window w;
        auto iconSize = [&] {
            int cx = 0, cy = 0;
            ImageList_GetIconSize(TabCtrl_GetImageList(w.c.tabCtl), &cx, &cy);
            return cx * 1000 + cy;
        };
        // The heading line of an install dialog that stays open across the change.
        HWND heading = CreateWindowExW(0, L"STATIC", L"alpha", WS_POPUP | WS_VISIBLE, 0, 0, 200, 40, w.main, nullptr,
                                       nullptr, nullptr);
        SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(UiFontHeading), FALSE);
        const HFONT given = UiFontHeading;
        RECT place{};
        GetWindowRect(w.main, &place);
        const int dpi = UiDpi;
        SendMessageW(w.main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&place));
        CHECK(iconSize() == 24 * 1000 + 24);
        CHECK(UiFontHeading != given);
        CHECK(GetObjectType(given) == OBJ_FONT);
        RedrawWindow(heading, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        DestroyWindow(heading);
        // Once the dialog is gone, its font goes with the next rebuild.
        SendMessageW(w.main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
        CHECK(iconSize() == UiScale(16) * 1000 + UiScale(16));
        CHECK(GetObjectType(given) == 0);
    }

    TEST_CASE("the inventory tab shows each kind as soon as the background probe has compared it") {
        TcFolder tc(kIni);
        DeleteFileW(InventoryIniPath().c_str());
        ResetPluginCaches();
        SettingsValues[L"Probe/Background"] = L"1";
        Window w;
        w.Show(4);
        CHECK(ListView_GetItemCount(w.c.inventoryList) == 0);  // nothing probed yet
        for (int i = 0; i < 600 && (BgProbedKinds.size() < 4 || InventoryReadsRunning()); ++i) {
            Pump();
            Sleep(100);
        }
        Pump();
        REQUIRE(BgProbedKinds.size() == 4);
        CHECK(InvSections.size() >= 6);
        CHECK(ListView_GetItemCount(w.c.inventoryList) == (int)InvSections.size());
        SettingsValues.erase(L"Probe/Background");
    }

    TEST_CASE("the search row starts right of the last tab, also when the tabs were squeezed before") {
        TcFolder tc(kIni);
        Window w;
        // As at the start: the start tab is chosen while the tab control has no width yet.
        SetWindowPos(w.c.tabCtl, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        TabCtrl_SetCurSel(w.c.tabCtl, 1);
        LayoutMainFrame(w.view);
        RECT last{}, label{};
        TabCtrl_GetItemRect(w.c.tabCtl, TabCtrl_GetItemCount(w.c.tabCtl) - 1, &last);
        MapWindowPoints(w.c.tabCtl, w.main, reinterpret_cast<POINT*>(&last), 2);
        GetWindowRect(w.c.searchLabel, &label);
        MapWindowPoints(nullptr, w.main, reinterpret_cast<POINT*>(&label), 2);
        CHECK(IsWindowVisible(w.c.searchLabel));
        CHECK(label.left >= last.right + UiScale(12));
    }

    TEST_CASE("the findings tab: Ins and the key bar check a finding, F4 edits its entry, the key bar jumps to it") {
        TcFolder tc(kIni);
        struct CountingEditor : MainWindow {
            int edited = 0;
            bool RunEntryEditor(HWND, EntryEditForm&) override { return ++edited, false; }
        };
        WindowOf<CountingEditor> w;
        auto selectGone = [&] {
            w.Show(5);
            for (int r = 0; r < ListView_GetItemCount(w.c.findingsList); ++r) {
                const Finding& f = Findings[(size_t)ListViewItemData(w.c.findingsList, r)];
                if (f.name != L"gone" || f.iniLine) continue;
                Select(w.c.findingsList, r);
                return ListViewItemData(w.c.findingsList, r);
            }
            return -1;
        };
        int finding = selectGone();
        REQUIRE(finding >= 0);
        std::wstring ackKey = Findings[(size_t)finding].ackKey;
        REQUIRE_FALSE(IsFindingAcked(ackKey));
        NMLVKEYDOWN key{{w.c.findingsList, IdFindingsList, LVN_KEYDOWN}, VK_INSERT, 0};
        SendMessageW(w.main, WM_NOTIFY, IdFindingsList, (LPARAM)&key);
        CHECK(IsFindingAcked(ackKey));
        ShowAcked = true;  // a checked finding leaves the list unless checked ones are shown
        REQUIRE(selectGone() >= 0);
        SendMessageW(w.main, WM_COMMAND, CmdAcknowledge, 0);
        CHECK_FALSE(IsFindingAcked(ackKey));
        ShowAcked = false;

        // F4 on the list and on the key bar: the entry behind the finding, shown on its tab, is edited.
        const int& edited = w.app.edited;
        selectGone();
        key.wVKey = VK_F4;
        SendMessageW(w.main, WM_NOTIFY, IdFindingsList, (LPARAM)&key);
        CHECK(edited == 1);
        selectGone();
        SendMessageW(w.main, WM_COMMAND, CmdEdit, 0);
        CHECK(edited == 2);
        // A refill, as a late probe answer makes one, leaves the user on the finding.
        selectGone();
        FillFindingsList(w.view);
        SendMessageW(w.main, WM_NOTIFY, IdFindingsList, (LPARAM)&key);
        CHECK(edited == 3);

        selectGone();
        SendMessageW(w.main, WM_COMMAND, CmdJump, 0);
        Pump();
        CHECK(TabCtrl_GetCurSel(w.c.tabCtl) == 0);
        CHECK(ListViewCellText(w.c.pluginList, ListView_GetNextItem(w.c.pluginList, -1, LVNI_SELECTED), 1) == L"gone");
    }

    TEST_CASE("every real configuration of the corpus fills the four plugin tabs") {
        const std::wstring corpus = CorpusDir();
        TcFolder tc(L"");
        CreateDirectoryW((tc.dir + L"\\User").c_str(), nullptr);
        for (const auto& [from, to] : CorpusCompanions)
            WriteFileBytes(tc.dir + L"\\" + to, ReadFileBytes(corpus + L"\\" + from));
        Window w;
        const std::vector<std::wstring> names = CorpusIniNames(false);
        for (const std::wstring& name : names) {
            CAPTURE(name);
            WriteFileBytes(WincmdIniPath, ReadFileBytes(corpus + L"\\" + name));
            std::array<int, 4> expected = CorpusCountsOf(_wtoi(name.c_str()));
            for (int tab = 0; tab < 4; ++tab) {
                CAPTURE(tab);
                TabCtrl_SetCurSel(w.c.tabCtl, tab);
                FillTab(w.view);
                Pump();
                CHECK((int)TabEntries.size() == std::max(expected[tab], 0));
                CHECK(ListView_GetItemCount(w.c.pluginList) >= (int)TabEntries.size());
            }
        }
        CHECK(names.size() == CorpusFiles);
        ++ProbeGen;  // the probes still running answer nobody
    }
}
