// The real program under Wine: its main window, the hand-over from a second start,
// the help through the stand-in hh.exe and the layout kept across restarts. The
// window is driven by messages and read back through its window texts, positions
// and list-view columns.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "probe_record/pe.h"
#include "program_test_support.h"
#include "support/test_support.h"

namespace {

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

// A folder with a copy of the program (its data folder is beside it), a TC folder
// and two files to check.
struct Sandbox {
    std::wstring dir, exe, ini, wincmd;
    explicit Sandbox(const std::wstring& name) : dir(FreshTempDir(name)) {
        exe = PathJoin(dir, KV_EXE_FILE);
        ini = PathJoin(dir, L"Kestrovane.ini");
        CopyFileW(BuildPath(L"bin\\" KV_EXE_FILE).c_str(), exe.c_str(), FALSE);
        CreateDirectoryW(PathJoin(dir, L"TC").c_str(), nullptr);
        CreateDirectoryW(PathJoin(dir, L"files").c_str(), nullptr);
        wincmd = PathJoin(dir, L"TC\\wincmd.ini");
        WriteFileBytes(wincmd, "[ListerPlugins]\r\n0=%COMMANDER_PATH%\\Plugins\\wlx\\View\\view.wlx\r\n"
                               "0_detect=\"EXT=\"\"TXT\"\"\"\r\n");
        WriteFileBytes(PathJoin(dir, L"files\\a.txt"), "a");
        WriteFileBytes(PathJoin(dir, L"files\\b.txt"), "b");
    }
    ~Sandbox() { RemoveTree(dir); }
    std::wstring Ini(const wchar_t* section, const wchar_t* key) const {
        wchar_t buf[512] = {};
        GetPrivateProfileStringW(section, key, L"", buf, 512, ini.c_str());
        return buf;
    }
};

Program Start(const Sandbox& box, const std::wstring& extra = L"") {
    return StartProgram(box.exe, box.dir, L"\"" + box.wincmd + L"\" " + extra);
}

// A second start in the sandbox, as TC's button bar would make it.
DWORD SecondStart(const Sandbox& box, const std::wstring& args) { return WaitExit(Launch(box.exe, box.dir, args)); }

RECT RectIn(HWND window, HWND parent) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int ColumnCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

// Presses, moves and releases the left button over a window, in client coordinates.
void Drag(HWND window, POINT from, POINT to) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

// The shell finds hh.exe in the system or the Windows folder before the program's
// own: the stand-in takes the viewer's place wherever there is one while it lives,
// and logs beside itself.
struct HelpViewerStandIn {
    struct Place {
        std::wstring viewer, kept, log;
    };
    std::vector<Place> places;
    HelpViewerStandIn() {
        wchar_t system[MAX_PATH] = {}, windows[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        GetWindowsDirectoryW(windows, MAX_PATH);
        for (const wchar_t* dir : {system, windows}) {
            Place place{PathJoin(dir, L"hh.exe"), PathJoin(dir, L"hh.exe.kv-kept"), PathJoin(dir, L"hh.log")};
            if (GetFileAttributesW(place.viewer.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
            DeleteFileW(place.log.c_str());
            MoveFileExW(place.viewer.c_str(), place.kept.c_str(), MOVEFILE_REPLACE_EXISTING);
            CopyFileW(BuildPath(L"fakes\\hh\\hh.exe").c_str(), place.viewer.c_str(), FALSE);
            places.push_back(place);
        }
    }
    ~HelpViewerStandIn() {
        for (const Place& place : places) {
            MoveFileExW(place.kept.c_str(), place.viewer.c_str(), MOVEFILE_REPLACE_EXISTING);
            DeleteFileW(place.log.c_str());
        }
    }
    std::string Calls() const {
        std::string calls;
        for (const Place& place : places) calls += ReadFileBytes(place.log);
        return calls;
    }
};

// The DLLs a program file names in its import directory, upper-case and sorted.
std::vector<std::string> ImportedDlls(const std::wstring& program) {
    const std::string file = ReadFileBytes(program);
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    const uint32_t pe = PeGetU32(bytes, 60);
    const uint32_t sections = PeGetU32(bytes, pe + 6) & 0xFFFF;
    const uint64_t optional = pe + 24, sectionTable = optional + (PeGetU32(bytes, pe + 20) & 0xFFFF);
    const bool pe32Plus = (PeGetU32(bytes, optional) & 0xFFFF) == 0x20B;
    std::vector<std::string> dlls;
    int64_t entry = PeRvaToOffset(sections, sectionTable, bytes, PeGetU32(bytes, optional + (pe32Plus ? 120 : 104)));
    for (; entry >= 0 && PeGetU32(bytes, (uint64_t)entry + 12); entry += 20) {
        int64_t name = PeRvaToOffset(sections, sectionTable, bytes, PeGetU32(bytes, (uint64_t)entry + 12));
        if (name < 0) break;
        std::string dll(file.c_str() + name);
        std::transform(dll.begin(), dll.end(), dll.begin(), [](char c) { return (char)toupper((unsigned char)c); });
        dlls.push_back(dll);
    }
    std::sort(dlls.begin(), dlls.end());
    return dlls;
}

}  // namespace

TEST_CASE("the program imports only the DLLs its window needs to show; shell, dialogs, COM and the rest load later") {
    const std::vector<std::string> needed = {"ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL",
                                             "KERNEL32.DLL", "MSVCRT.DLL",   "USER32.DLL"};
    CHECK(ImportedDlls(BuildPath(L"bin\\" KV_EXE_FILE)) == needed);
}

TEST_CASE("the program starts with its main window, the children's columns, and opens help through hh.exe") {
    Sandbox box(L"mainwnd");
    WriteFileBytes(PathJoin(box.dir, L"Kestrovane_eng.chm"), "stand-in");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box);
    HWND tabs = TabCtl(p.main);
    CHECK(TabCtrl_GetItemCount(tabs) == 7);
    CHECK(TabCtrl_GetCurSel(tabs) == 0);
    HWND plugins = PageChild(p.main, 101);
    REQUIRE(plugins);
    CHECK(ColumnCount(plugins) == 5);
    CHECK(HeaderTitle(plugins, 0) == L"#");
    CHECK(HeaderTitle(plugins, 4) == L"Path");
    CHECK(ListView_GetColumnWidth(plugins, 0) == MulDiv(34, ScreenDpi(), 96));
    CHECK(Text(GetDlgItem(p.main, 103)) == L"Detect string:");
    CHECK(IsWindowVisible(GetDlgItem(p.main, 109)));  // the search box in the row of the tabs
    // The other tabs' lists are made when their tab is first shown.
    CHECK_FALSE(PageChild(p.main, 107));
    const std::tuple<int, int, int> lists[] = {{0, 102, 3}, {4, 106, 8}, {5, 107, 5},
                                               {6, 150, 4}, {6, 140, 4}, {6, 147, 2}};
    for (auto [tab, id, columns] : lists) {
        ShowTabOf(p.main, tab);
        CHECK(ColumnCount(PageChild(p.main, id)) == columns);
    }
    ShowTabOf(p.main, 0);

    HelpViewerStandIn viewer;
    PostMessageW(p.main, WM_COMMAND, 211, 0);
    PostMessageW(p.main, WM_COMMAND, 204, 0);
    auto lines = [&] { std::string calls = viewer.Calls(); return std::count(calls.begin(), calls.end(), '\n'); };
    REQUIRE(WaitFor([&] { return lines() >= 2; }));
    std::string calls = viewer.Calls();
    std::string chm = "mk:@MSITStore:" + std::string(box.dir.begin(), box.dir.end()) + "\\Kestrovane_eng.chm::/";
    CHECK(calls.find(chm + "c01_lister.html") != std::string::npos);
    CHECK(calls.find(chm + "e00_zeichen.html") != std::string::npos);
    Close(p);
    CHECK(box.Ini(L"Window", L"LastTab") == L"lister");
}

TEST_CASE("a second start hands its file to the running copy, and waits while a dialog is open") {
    Sandbox box(L"forward");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box);
    auto label = [&] { return PageChild(p.main, 141); };  // made with the preview tab
    const std::wstring a = PathJoin(box.dir, L"files\\a.txt"), b = PathJoin(box.dir, L"files\\b.txt");

    CHECK(SecondStart(box, L"/lister files\\a.txt") == 0);
    REQUIRE(WaitFor([&] { return Text(label()) == a; }));
    WaitHandlerDone(p.main);
    CHECK(TabCtrl_GetCurSel(TabCtl(p.main)) == 6);
    CHECK(IsWindowVisible(PageChild(p.main, 150)));  // the Lister-check list
    CHECK(box.Ini(L"Preview", L"Mode") == L"lister");
    CHECK(box.Ini(L"Preview", L"LastFile") == a);

    PostMessageW(p.main, WM_COMMAND, 203, 0);  // the About box, modal
    REQUIRE(WaitFor([&] { return !IsWindowEnabled(p.main) && OpenDialogOf(p.main); }));
    CHECK(SecondStart(box, L"/preview files\\b.txt") == 0);
    Sleep(500);
    CHECK(Text(label()) == a);
    CHECK(box.Ini(L"Preview", L"Mode") == L"lister");
    PostMessageW(OpenDialogOf(p.main), WM_COMMAND, IDOK, 0);
    REQUIRE(WaitFor([&] { return Text(label()) == b; }));
    CHECK(box.Ini(L"Preview", L"Mode") == L"content");
    Close(p);
}

// A running copy as a second start finds it, whose window does not take files: the
// single-instance mutex and a main window that answers WM_COPYDATA with FALSE.
struct RefusingCopy {
    KernelHandle mutex{CreateMutexW(nullptr, TRUE, L"Local\\Kestrovane.Halvorin38")};
    HWND window = nullptr;
    DWORD threadId = 0;
    std::thread pump;
    RefusingCopy() {
        KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        pump = std::thread([this, event = ready.Get()] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.lpszClassName = L"KestrovaneMainWnd";
            RegisterClassW(&wc);
            window = CreateWindowW(L"KestrovaneMainWnd", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr);
            threadId = GetCurrentThreadId();
            SetEvent(event);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
            DestroyWindow(window);
            UnregisterClassW(L"KestrovaneMainWnd", nullptr);
        });
        WaitForSingleObject(ready.Get(), WaitMs);
    }
    ~RefusingCopy() {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        pump.join();
    }
};

// The message box a process shows without an owner; null while there is none.
HWND MessageBoxOf(DWORD pid) {
    for (HWND w = FindWindowW(L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

TEST_CASE("a second start that cannot hand its file over says so, and an empty path hands nothing over") {
    Sandbox box(L"forward_refused");
    {
        RefusingCopy running;
        REQUIRE(running.window);
        DWORD pid = 0;
        KernelHandle second = Launch(box.exe, box.dir, L"/preview files\\a.txt", &pid);
        HWND box2 = nullptr;
        REQUIRE(WaitFor([&] { return (box2 = MessageBoxOf(pid)) != nullptr; }));
        std::wstring text = Text(GetDlgItem(box2, 0xFFFF));
        CHECK(text.find(L"did not take the file") != std::wstring::npos);
        CHECK(text.find(PathJoin(box.dir, L"files\\a.txt")) != std::wstring::npos);
        PostMessageW(box2, WM_COMMAND, IDOK, 0);
        CHECK(WaitExit(second) == 1);
    }
    // The receiving side: an install without a path would have opened the package picker.
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box);
    COPYDATASTRUCT copy{};
    copy.dwData = (DWORD('K') << 24) | (DWORD('V') << 16) | (DWORD('N') << 8) | DWORD('I');
    copy.cbData = sizeof(wchar_t);
    copy.lpData = const_cast<wchar_t*>(L"");
    CHECK(SendMessageW(p.main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)) == FALSE);
    // The picker would open from a posted message, before the window answers a second sent one.
    for (int i = 0; i < 2; ++i) WaitHandlerDone(p.main);
    CHECK(OpenDialogOf(p.main) == nullptr);
    Close(p);
}

TEST_CASE("two packages that second starts hand over while a dialog is open are both offered for install") {
    Sandbox box(L"forward_installs");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    const std::wstring plugin = sizeof(void*) == 8 ? L".wlx64" : L".wlx";
    for (const wchar_t* name : {L"alpha", L"beta"}) {
        std::wstring folder = PathJoin(box.dir, L"files\\" + std::wstring(name));
        CreateDirectoryW(folder.c_str(), nullptr);
        CopyFileW(BuildPath(L"fakes\\plugins\\lister" + plugin).c_str(), PathJoin(folder, name + plugin).c_str(), FALSE);
    }
    Program p = Start(box);
    PostMessageW(p.main, WM_COMMAND, 203, 0);  // the About box, modal
    REQUIRE(WaitFor([&] { return !IsWindowEnabled(p.main) && OpenDialogOf(p.main); }));
    HWND about = OpenDialogOf(p.main);
    CHECK(SecondStart(box, L"/install \"files\\alpha\\alpha" + plugin + L"\"") == 0);
    CHECK(SecondStart(box, L"/install \"files\\beta\\beta" + plugin + L"\"") == 0);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    std::vector<std::wstring> offered;
    for (int i = 0; i < 2; ++i) {
        HWND dialog = nullptr;
        if (!WaitFor([&] { return (dialog = OpenDialogOf(p.main)) && Text(dialog) == L"Install plugin"; })) break;
        offered.push_back(Text(GetDlgItem(dialog, 100)));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        REQUIRE(WaitFor([&] { return !IsWindow(dialog); }));
    }
    REQUIRE(offered.size() == 2);
    CHECK(offered[0].starts_with(L"alpha"));
    CHECK(offered[1].starts_with(L"beta"));
    Close(p);
}

// A 32-bit program asks plugins only through its twin, which the sandbox lacks.
TEST_CASE("a second start's /preview of a relative path shows that file's content preview" *
          doctest::skip(sizeof(void*) != 8)) {
    Sandbox box(L"preview");
    WriteFileBytes(box.wincmd, "[ContentPlugins]\r\n0=" + StrToUtf8(BuildPath(L"fakes\\plugins\\content.wdx")) + "\r\n");
    Program p = Start(box);
    CHECK(SecondStart(box, L"/preview files\\b.txt") == 0);
    REQUIRE(WaitFor([&] { return Text(PageChild(p.main, 141)) == PathJoin(box.dir, L"files\\b.txt"); }));
    WaitHandlerDone(p.main);
    // The built-in group and the plugin, whose fields open once it answered.
    HWND picks = PageChild(p.main, 147), fields = PageChild(p.main, 140);
    CHECK(WaitFor([&] { return ListView_GetItemCount(picks) == 2 && ListView_GetItemCount(fields) == 15; }));
    Close(p);
}

TEST_CASE("the layout test's maximize may be repeated once for the display's late notice, not more") {
    auto heldAt = [](int attempt) {
        int tries = 0;
        return MaximizeRepeats([&] { return tries++ == attempt; });
    };
    CHECK(heldAt(0) == 0);
    CHECK(MaximizeFault(heldAt(0)) == nullptr);
    CHECK(MaximizeFault(heldAt(1)) == nullptr);
    CHECK(MaximizeFault(heldAt(2)) != nullptr);
    CHECK(MaximizeFault(heldAt(4)) != nullptr);
    CHECK(heldAt(5) == -1);
    CHECK(MaximizeFault(-1) != nullptr);
}

TEST_CASE("closing while a plugin does not answer its probe ends the program cleanly, and its child with it") {
    Sandbox box(L"endwork");
    WriteFileBytes(box.wincmd, "[ListerPlugins]\r\n0=" + StrToUtf8(BuildPath(L"fakes\\plugins\\hang.wlx")) + "\r\n");
    // A time limit the test never reaches: only the end can stop the probe.
    WriteFileBytes(box.ini, "\xff\xfe");
    WritePrivateProfileStringW(L"Probe", L"Timeout", L"60", box.ini.c_str());
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box, L"/debug");
    // Copies of the program ask the plugins (Wine's desktop may name the program as its parent too).
    REQUIRE(WaitFor([&] { return ChildProcesses(p.pid, L"Kestrovane") > 0; }));
    Close(p);
    CHECK(ChildProcesses(p.pid, L"Kestrovane") == 0);
    // The end told the worker, which saw its child ended and finished its item before
    // the program went; a worker cut off by the process's end logs nothing.
    const std::string log = ReadFileBytes(PathJoin(box.dir, L"Kestrovane.debug.log"));
    const size_t probe = log.find("hang.wlx");  // the 64-bit program finds hang.wlx64
    REQUIRE_MESSAGE(probe != std::string::npos, "the worker did not finish its probe before the program ended");
    const std::string line = log.substr(probe, log.find('\n', probe) - probe);
    CAPTURE(line);
    CHECK(line.find("  -> ") != std::string::npos);
    CHECK(line.find("TIMEOUT") == std::string::npos);
    CHECK(log.find("a worker still runs") == std::string::npos);
}

TEST_CASE("closing keeps the layout and a restart restores it") {
    Sandbox box(L"layout");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box);
    SetWindowPos(p.main, nullptr, 40, 30, 900, 640, SWP_NOZORDER | SWP_NOACTIVATE);
    HWND detail = GetDlgItem(p.main, 104);
    RECT tab = RectIn(TabCtl(p.main), p.main), label = RectIn(GetDlgItem(p.main, 103), p.main);
    int band = (tab.bottom + label.top) / 2;
    int detailBefore = RectIn(detail, p.main).bottom - RectIn(detail, p.main).top;
    Drag(p.main, {300, band}, {300, band - 90});
    int detailHeight = RectIn(detail, p.main).bottom - RectIn(detail, p.main).top;
    // The key bar is shown: the box still ends where the drop put it.
    CHECK(std::abs(detailHeight - (detailBefore + 90)) <= 1);

    HWND page = Page(p.main), plugins = PageChild(p.main, 101), exts = PageChild(p.main, 102);
    int gap = (RectIn(plugins, page).right + RectIn(exts, page).left) / 2;
    int extsBefore = RectIn(exts, page).left;
    Drag(page, {gap, 100}, {gap + 120, 100});
    int extsLeft = RectIn(exts, page).left;
    CHECK(extsLeft > extsBefore + 80);

    PostMessageW(TabCtl(p.main), WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageW(TabCtl(p.main), WM_KEYDOWN, VK_RIGHT, 0);
    REQUIRE(WaitFor([&] { return TabCtrl_GetCurSel(TabCtl(p.main)) == 2; }));
    Maximize(p);
    Close(p);
    // As text, so that a failure shows what was stored.
    CHECK(StrToUtf8(box.Ini(L"Window", L"Pos")) == "40,30,900,640,1");
    CHECK(box.Ini(L"Window", L"LastTab") == L"packer");

    Program again = Start(box);
    CHECK(IsZoomed(again.main));
    CHECK(TabCtrl_GetCurSel(TabCtl(again.main)) == 2);
    ShowWindow(again.main, SW_RESTORE);
    REQUIRE(WaitFor([&] { return !IsZoomed(again.main); }));
    RECT frame{};
    GetWindowRect(again.main, &frame);
    CHECK(frame.left == 40);
    CHECK(frame.right - frame.left == 900);
    detail = GetDlgItem(again.main, 104);
    CHECK(RectIn(detail, again.main).bottom - RectIn(detail, again.main).top == detailHeight);
    // The split is kept in whole per cent of the page.
    int pageWidth = RectIn(Page(again.main), again.main).right - RectIn(Page(again.main), again.main).left;
    CHECK(std::abs(RectIn(PageChild(again.main, 102), Page(again.main)).left - extsLeft) <= pageWidth / 100);
    Close(again);
}

TEST_CASE("a stored placement off every monitor gives the default size and place") {
    Sandbox box(L"offscreen");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    WriteFileBytes(box.ini, "\xff\xfe");
    WritePrivateProfileStringW(L"Window", L"Pos", L"-30000,-30000,800,600,1", box.ini.c_str());
    Program p = Start(box);
    RECT frame{};
    GetWindowRect(p.main, &frame);
    CHECK_FALSE(IsZoomed(p.main));
    CHECK(frame.left > -1000);
    CHECK(frame.right - frame.left == MulDiv(1100, ScreenDpi(), 96));
    CHECK(frame.bottom - frame.top == MulDiv(680, ScreenDpi(), 96));
    Close(p);
}

TEST_CASE("the search row gives way on a narrow window, and a second copy's data needs a path") {
    Sandbox box(L"narrow");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box);
    HWND label = GetDlgItem(p.main, 110), edit = GetDlgItem(p.main, 109), status = GetDlgItem(p.main, 111);
    auto widthOf = [&](HWND w) { RECT r = RectIn(w, p.main); return r.right - r.left; };
    const int dpi = ScreenDpi();
    SetWindowPos(p.main, nullptr, 0, 0, 1600, 700, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    CHECK(IsWindowVisible(label));
    CHECK(IsWindowVisible(status));
    CHECK(widthOf(edit) == MulDiv(220, dpi, 96));
    // The tab headers take most of the row at the smallest width the window allows.
    SetWindowPos(p.main, nullptr, 0, 0, 700, 700, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    CHECK_FALSE(IsWindowVisible(status));
    CHECK(widthOf(edit) >= MulDiv(90, dpi, 96));
    CHECK(widthOf(edit) <= MulDiv(220, dpi, 96));

    std::wstring path = PathJoin(box.dir, L"files\\a.txt");
    auto send = [&](const char (&tag)[5], const void* data, DWORD bytes) {
        COPYDATASTRUCT copy{};
        copy.dwData = (DWORD(tag[0]) << 24) | (DWORD(tag[1]) << 16) | (DWORD(tag[2]) << 8) | DWORD(tag[3]);
        copy.cbData = bytes;
        copy.lpData = const_cast<void*>(data);
        return SendMessageW(p.main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    };
    CHECK(send("KVDV", L"", 0) == 0);
    CHECK(send("KVXX", path.c_str(), DWORD((path.size() + 1) * 2)) == 0);
    CHECK(send("KVDV", path.c_str(), DWORD((path.size() + 1) * 2)) == TRUE);
    REQUIRE(WaitFor([&] { return Text(PageChild(p.main, 141)) == path; }));
    CHECK(box.Ini(L"Preview", L"Mode") == L"content");
    Close(p);
}

TEST_CASE("the File menu opens the clean-up dialog and says when there is no backup to restore") {
    Sandbox box(L"ownfiles");
    ScopedEnv tc(L"COMMANDER_PATH", PathJoin(box.dir, L"TC").c_str());
    Program p = Start(box);
    PostMessageW(p.main, WM_COMMAND, 212, 0);
    REQUIRE(WaitFor([&] { return OpenDialogOf(p.main) != nullptr; }));
    HWND cleanup = OpenDialogOf(p.main);
    CHECK(Text(cleanup) == L"Clean up");
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(cleanup, 110)));  // no older backups
    PostMessageW(cleanup, WM_COMMAND, IDCANCEL, 0);
    REQUIRE(WaitFor([&] { return OpenDialogOf(p.main) == nullptr; }));
    PostMessageW(p.main, WM_COMMAND, 210, 0);
    REQUIRE(WaitFor([&] { return OpenDialogOf(p.main) != nullptr; }));
    HWND box2 = OpenDialogOf(p.main);
    CHECK(Text(GetDlgItem(box2, 0xFFFF)) == L"No backup found for this area.");
    PostMessageW(box2, WM_COMMAND, IDOK, 0);
    REQUIRE(WaitFor([&] { return OpenDialogOf(p.main) == nullptr; }));
    Close(p);
}
