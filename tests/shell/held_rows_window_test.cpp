// The main window in this process on Xvfb while a menu or a question is open: a file
// given to the start or handed over by a second copy waits until it is gone, so
// what the user chose there is done to the rows it was chosen on.
#include <functional>
#include <utility>

#include "window_test_support.h"
#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "editing/pending_ops.h"
#include "foundation/data_folder.h"
#include "shell/forward.h"
#include "views/preview_file.h"
#include "views/tab_fill.h"

namespace {

const wchar_t kIni[] =
    L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\lister.wlx\r\n1_detect=\"EXT=\"TXT\"\"\r\n"
    L"[ContentPlugins]\r\n1=%COMMANDER_PATH%\\p\\content.wdx\r\n"
    L"[FileSystemPlugins]\r\nFake Root=%COMMANDER_PATH%\\p\\fs.wfx\r\n";

// Pumps the window's messages until the condition holds (or a minute passed).
bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 6000 && !done(); ++i) {
        Pump();
        Sleep(10);
    }
    return done();
}

void HandOver(HWND main, uint32_t tag, const std::wstring& path) {
    COPYDATASTRUCT data{};
    data.dwData = tag;
    data.cbData = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(path.c_str());
    REQUIRE(SendMessageW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == TRUE);
}

}  // namespace

TEST_SUITE("window") {
    TEST_CASE("the start's file waits while a Delete asks, and the Delete marks the entry it asked about") {
        TcFolder tc(kIni);
        // As a message box does: the window is disabled while the box runs its loop.
        struct Asking : MainWindow {
            std::function<void()> whileOpen;
            int Message(HWND, const std::wstring&, UINT) override {
                EnableWindow(Hwnd(), FALSE);
                if (whileOpen) std::exchange(whileOpen, nullptr)();
                EnableWindow(Hwnd(), TRUE);
                return IDYES;
            }
        };
        WindowOf<Asking> w;
        const std::wstring file = tc.dir + L"\\a.txt";
        WriteFileBytes(file, "a");
        StartArgs start;
        start.listerFile = file;
        w.app.OpenAtStart(start);
        TabCtrl_SetCurSel(w.c.tabCtl, KindLister);
        SendMessageW(w.main, MsgStart, 0, 0);
        REQUIRE(SectionReadRunning());
        // The user goes to another tab before the start's read arrives, and deletes there.
        TabCtrl_SetCurSel(w.c.tabCtl, KindFileSystem);
        FillTab(w.view);
        REQUIRE(TabEntries.size() == 1);
        w.app.whileOpen = [] { REQUIRE(PumpUntil([] { return !SectionReadRunning(); })); };
        AskMarkDelete(w.app, w.main, 0, L"");
        CHECK(w.app.whileOpen == nullptr);
        CHECK(TabCtrl_GetCurSel(w.c.tabCtl) == KindFileSystem);
        const PlugState* mark = FindPlugState(KindFileSystem, L"Fake Root");
        CHECK((mark && mark->deleted));
        // Once the question is answered, the file is checked.
        CHECK(PumpUntil([&] { return PreviewFile == file; }));
        CHECK(TabCtrl_GetCurSel(w.c.tabCtl) == 6);
        CHECK(w.view.previewMode == 1);
        PreviewFile.clear();
    }

    TEST_CASE("an outside change noticed while a menu or a dialog is open is asked about once it has closed") {
        TcFolder tc(kIni);
        // The activation's check arrives in the menu's own loop, which Esc then closes.
        struct Asked : MainWindow {
            bool menuOpen = false;
            int questions = 0, askedInMenu = 0;
            UINT PopupMenu(HWND owner, POINT screen, HMENU menu) override {
                PostMessageW(Hwnd(), MsgIniCheck, 0, 0);
                PostMessageW(Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
                menuOpen = true;
                UINT id = MainWindow::PopupMenu(owner, screen, menu);
                menuOpen = false;
                return id;
            }
            int Message(HWND, const std::wstring& text, UINT) override {
                if (text.find(L"changed outside") == std::wstring::npos) return IDOK;
                ++questions;
                askedInMenu += menuOpen;
                return IDNO;
            }
        };
        WindowOf<Asked> w;
        w.Show(KindLister);
        WritePrivateProfileStringW(L"ListerPlugins", L"9", L"%COMMANDER_PATH%\\p\\new.wlx", WincmdIniPath.c_str());
        SUBCASE("a menu") {
            Select(w.c.pluginList, 0);
            SendMessageW(w.main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.c.pluginList), -1);
        }
        SUBCASE("a dialog, which disables the window") {
            EnableWindow(w.main, FALSE);
            SendMessageW(w.main, MsgIniCheck, 0, 0);
            Pump();
            EnableWindow(w.main, TRUE);
        }
        CHECK(w.app.questions == 0);
        CHECK(PumpUntil([&] { return w.app.questions == 1; }));
        CHECK(w.app.askedInMenu == 0);
    }

    TEST_CASE("a file handed over while the preview's menu is open waits for the menu, which skips its own plugin") {
        TcFolder tc(kIni);
        // The real menu, told to the window as every context menu is; the keys and the
        // hand-over are queued before it opens, so its own loop takes them in.
        struct Tracking : MainWindow {
            std::wstring fileAfterMenu;
            UINT PopupMenu(HWND owner, POINT screen, HMENU menu) override {
                UINT id = MainWindow::PopupMenu(owner, screen, menu);
                fileAfterMenu = PreviewFile;
                return id;
            }
        };
        WindowOf<Tracking> w;
        const std::wstring a = tc.dir + L"\\a.txt", b = tc.dir + L"\\b.txt";
        WriteFileBytes(a, "a");
        WriteFileBytes(b, "b");
        PvSetFile(w.view, a, false);
        REQUIRE(ListView_GetItemCount(w.c.pvPluginList) == 2);  // the built-in group and the plugin
        Select(w.c.pvPluginList, 1);
        const std::wstring key = PvPlugins[(size_t)ListViewItemData(w.c.pvPluginList, 1)].key;
        HandOver(w.main, TagPreview, b);
        PostMessageW(w.main, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(w.main, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageW(w.main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.c.pvPluginList), -1);
        CHECK(w.app.fileAfterMenu == a);
        CHECK(LoadPreviewSkip() == std::set<std::wstring>{key});
        CHECK(PumpUntil([&] { return PreviewFile == b; }));
        SetPreviewSkip(key, false);
        PreviewFile.clear();
    }
}
