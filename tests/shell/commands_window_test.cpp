// Every command of the menu, the accelerators and the key bar, sent to the real
// program on the demo configuration: each must do what the user sees of it (a
// dialog, a changed list, a written file) or nothing where nothing is its answer,
// so a command whose work was never connected to the window fails here.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <string>

#include "foundation/encoding.h"
#include "foundation/text.h"
#include "program_test_support.h"
#include "support/test_support.h"

namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s) { return StrToUtf8(s).c_str(); }
};
}  // namespace doctest

namespace {

constexpr bool Is64 = sizeof(void*) == 8;

// The demo's TC folder as tools/demo.sh lays it out, with this build's stand-in
// plugins and TC, and a copy of the program beside it.
struct Demo {
    std::wstring dir = FreshTempDir(L"commands");
    std::wstring exe = PathJoin(dir, KV_EXE_FILE), tc = PathJoin(dir, L"TC"), wincmd = PathJoin(tc, L"wincmd.ini");
    Demo() {
        CopyFileW(BuildPath(L"bin\\" KV_EXE_FILE).c_str(), exe.c_str(), FALSE);
        CreateDirectoryW(tc.c_str(), nullptr);
        std::wstring source = _wgetenv(L"KV_TEST_SOURCE");
        for (wchar_t& c : source)
            if (c == L'/') c = L'\\';
        CopyFileW((L"Z:" + source + L"\\demo\\TC\\wincmd.ini").c_str(), wincmd.c_str(), FALSE);
        const wchar_t* const plugins[][3] = {{L"wlx\\DemoView", L"lister", L"wlx"},
                                             {L"wlx\\CodeView", L"lister_blank", L"wlx"},
                                             {L"wlx\\Crashy", L"crash", L"wlx"},
                                             {L"wdx\\DemoFields", L"content", L"wdx"},
                                             {L"wcx\\DemoPack", L"packer", L"wcx"},
                                             {L"wfx\\DemoFs", L"fs", L"wfx"}};
        for (const auto& [folder, name, ext] : plugins) {
            std::wstring file = std::wstring(name) + L"." + ext + (Is64 ? L"64" : L"");
            std::wstring into = PathJoin(tc, std::wstring(L"Plugins\\") + folder);
            std::filesystem::create_directories(into);
            CopyFileW(BuildPath(L"fakes\\plugins\\" + file).c_str(), PathJoin(into, file).c_str(), FALSE);
        }
        const wchar_t* standIn = Is64 ? L"TOTALCMD64.EXE" : L"TOTALCMD.EXE";
        CopyFileW(BuildPath(std::wstring(L"fakes\\tc\\") + standIn).c_str(), PathJoin(tc, standIn).c_str(), FALSE);
    }
    ~Demo() { RemoveTree(dir); }
    std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
        wchar_t buf[512] = {};
        GetPrivateProfileStringW(section, key, L"", buf, 512, PathJoin(dir, L"Kestrovane.ini").c_str());
        return buf;
    }
};

struct Window {
    Program& p;
    HWND plugins = PageChild(p.main, 101), findings = PageChild(p.main, 107), status = GetDlgItem(p.main, 105);

    void Post(int id) { PostMessageW(p.main, WM_COMMAND, id, 0); }
    // A command that opens nothing modal has run when the call returns.
    void RunQuietly(int id) {
        INFO("command ", id);
        DWORD_PTR ignored = 0;
        REQUIRE(SendMessageTimeoutW(p.main, WM_COMMAND, id, 0, SMTO_NORMAL, WaitMs, &ignored));
        CHECK(OpenDialogOf(p.main) == nullptr);
    }
    HWND WaitDialog() {
        HWND dialog = nullptr;
        REQUIRE(WaitFor([&] { return (dialog = OpenDialogOf(p.main)) != nullptr; }));
        return dialog;
    }
    void Answer(HWND dialog, int button) {
        PostMessageW(dialog, WM_COMMAND, button, 0);
        REQUIRE(WaitFor([&] { return OpenDialogOf(p.main) == nullptr; }));
    }
    // The title of the dialog the command opens; the dialog is left with the button.
    std::wstring DialogTitle(int id, int button = IDCANCEL) {
        INFO("command ", id);
        Post(id);
        HWND dialog = WaitDialog();
        std::wstring title = Text(dialog);
        Answer(dialog, button);
        return title;
    }
    // The text of the message box the command shows, answered with the button.
    std::wstring Message(int id, int button = IDOK) {
        INFO("command ", id);
        Post(id);
        HWND box = WaitDialog();
        std::wstring text = Text(GetDlgItem(box, 0xFFFF));
        Answer(box, button);
        return text;
    }
    // The window of the class the command opens; it is closed again.
    std::wstring OwnedTitle(int id, const wchar_t* cls) {
        INFO("command ", id);
        Post(id);
        HWND window = nullptr;
        REQUIRE(WaitFor([&] { return (window = OwnedWindowOf(p.main, cls)) != nullptr; }));
        std::wstring title = Text(window);
        PostMessageW(window, WM_CLOSE, 0, 0);
        REQUIRE(WaitFor([&] { return OwnedWindowOf(p.main, cls) == nullptr; }));
        return title;
    }
    // A tab's own lists exist once it was shown.
    void ShowTab(int tab) {
        ShowTabOf(p.main, tab);
        findings = PageChild(p.main, 107);
    }
    std::wstring Names() {
        std::wstring out;
        for (int row = 0; row < ListView_GetItemCount(plugins); ++row) out += RemoteCellText(plugins, row, 1) + L"|";
        return out;
    }
    int Selected(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }
    void Select(HWND list, int row) {
        RemoteSelectRow(list, row);
        REQUIRE(WaitFor([&] { return Selected(list) == row; }));
    }
};

}  // namespace

TEST_CASE("every command of the commands table does what the user sees of it, on the demo configuration") {
    Demo demo;
    ScopedEnv commander(L"COMMANDER_PATH", demo.tc.c_str());
    Program p = StartProgram(demo.exe, demo.dir, L"\"" + demo.wincmd + L"\"");
    Window w{p};
    REQUIRE(WaitFor([&] { return ListView_GetItemCount(w.plugins) == 4; }));
    CHECK(w.Names() == L"lister|lister_blank|crash|Missing|");

    // Dialogs of their own, and the questions for a file.
    CHECK(w.Message(203).starts_with(L"Kestrovane "));
    CHECK(w.DialogTitle(206) == L"Kestrovane – Settings");
    CHECK(w.DialogTitle(212) == L"Clean up");
    CHECK(w.DialogTitle(200) == L"Select wincmd.ini");
    CHECK(w.DialogTitle(224) == L"Choose pluginst.inf, the plugin file or the downloaded archive");
    // No help file lies beside the program: help and the legend both open the legend.
    CHECK(w.OwnedTitle(204, L"KestrovaneLegend") == L"Kestrovane – Legend");
    CHECK(w.OwnedTitle(211, L"KestrovaneLegend") == L"Kestrovane – Legend");
    CHECK(w.OwnedTitle(207, L"KestrovaneText") == L"Plugin info – lister");
    CHECK(w.Message(210) == L"No backup found for this area.");

    // Nothing changed yet: nothing to save, nothing to discard, no change log to open.
    CHECK(w.Message(208) == L"There are no unsaved changes.");
    w.RunQuietly(209);
    w.RunQuietly(205);

    // The search row: the box takes the focus, F3 and Shift+F3 step through the hits.
    w.RunQuietly(213);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(p.main, nullptr), &gui);
    CHECK(gui.hwndFocus == GetDlgItem(p.main, 109));
    SendMessageW(GetDlgItem(p.main, 109), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"lister"));
    CHECK(w.Selected(w.plugins) == 0);
    w.RunQuietly(214);
    CHECK(w.Selected(w.plugins) == 1);
    w.RunQuietly(215);
    w.RunQuietly(215);
    CHECK(w.Selected(w.plugins) == 1);
    CHECK(Text(GetDlgItem(p.main, 111)) == L"2/2");
    SendMessageW(GetDlgItem(p.main, 109), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));

    // Editing the selected row: the entry editor, the delete question, the order.
    w.Select(w.plugins, 0);
    CHECK(w.DialogTitle(216).find(L"lister") != std::wstring::npos);
    CHECK(w.Message(217, IDYES) ==
          L"Mark #0 lister in [ListerPlugins] for deletion?\n\nNothing is written until you save (Ctrl+S).");
    REQUIRE(WaitFor([&] { return RemoteStatusText(w.status).starts_with(L"unsaved changes: 1 – Ctrl+S  ·  "); }));
    CHECK(w.Message(209, IDYES) == L"Discard all unsaved changes?");
    REQUIRE(WaitFor([&] { return RemoteStatusText(w.status).starts_with(L"Lister plugins: 4"); }));
    w.Select(w.plugins, 0);
    w.RunQuietly(219);
    CHECK(w.Names() == L"lister_blank *|lister *|crash|Missing|");
    w.RunQuietly(218);
    CHECK(w.Names() == L"lister|lister_blank|crash|Missing|");
    // Uninstalling asks in its own dialog.
    w.Select(w.plugins, 0);
    CHECK(w.DialogTitle(222) == L"Uninstall plugin");

    // Open in TC starts the stand-in TC with the plugin's folder.
    w.RunQuietly(223);
    HWND tc = nullptr;
    REQUIRE(WaitFor([&] { return (tc = FindWindowW(L"TTOTAL_CMD", nullptr)) != nullptr; }));
    CHECK(ReadFileBytes(PathJoin(demo.tc, L"cmdline.txt")).find("DemoView") != std::string::npos);
    PostMessageW(tc, WM_CLOSE, 0, 0);
    REQUIRE(WaitFor([&] { return FindWindowW(L"TTOTAL_CMD", nullptr) == nullptr; }));

    // A save writes wincmd.ini with a backup and logs the change; restoring then offers that backup.
    w.Select(w.plugins, 3);
    w.Message(217, IDYES);
    w.Post(208);
    HWND save = w.WaitDialog();
    CHECK(Text(save) == L"Save changes");
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    HWND done = nullptr;
    REQUIRE(WaitFor([&] {
        done = OpenDialogOf(p.main);
        return done && Text(GetDlgItem(done, 0xFFFF)) == L"Changes saved: 1.";
    }));
    w.Answer(done, IDOK);
    REQUIRE(WaitFor([&] { return ListView_GetItemCount(w.plugins) == 3; }));
    CHECK(ReadFileBytes(demo.wincmd).find("Missing") == std::string::npos);
    CHECK(std::filesystem::exists(PathJoin(demo.dir, L"Kestrovane.log")));
    CHECK(w.Message(210, IDNO).starts_with(L"Restore this backup?"));

    // The findings tab: a finding is checked, and its entry is shown on its tab.
    w.ShowTab(5);
    REQUIRE(WaitFor([&] { return ListView_GetItemCount(w.findings) > 1; }));
    // An entry's finding: its plugin cell carries the entry number.
    int entryRow = 0;
    while (entryRow < ListView_GetItemCount(w.findings) && !RemoteCellText(w.findings, entryRow, 2).starts_with(L"#"))
        ++entryRow;
    REQUIRE(entryRow < ListView_GetItemCount(w.findings));
    std::wstring area = RemoteCellText(w.findings, entryRow, 1);
    w.Select(w.findings, entryRow);
    CHECK(w.DialogTitle(216).starts_with(L"Edit entry – "));
    CHECK(w.Message(217, IDNO).starts_with(L"Mark "));
    w.RunQuietly(220);
    CHECK(TabCtrl_GetCurSel(TabCtl(p.main)) == (area == L"Content" ? 1 : 0));
    CHECK(RemoteStatusText(w.status).starts_with(L"Backspace: back to the findings  ·  "));
    w.ShowTab(5);
    w.Select(w.findings, 0);
    w.RunQuietly(221);
    CHECK(!demo.Ini(L"Acknowledged", nullptr).empty());

    // Where the tab has no entry to act on, edit, delete and uninstall do nothing.
    w.ShowTab(4);
    for (int id : {216, 217, 222}) w.RunQuietly(id);

    // Reload reads wincmd.ini anew.
    w.ShowTab(0);
    WritePrivateProfileStringW(L"ListerPlugins", L"7", L"%COMMANDER_PATH%\\Plugins\\wlx\\Later\\later.wlx",
                               demo.wincmd.c_str());
    w.RunQuietly(201);
    CHECK(w.Names().ends_with(L"later|"));

    // Exit closes the window and ends the program.
    w.Post(202);
    CHECK(WaitExit(p.process) == 0);
}
