// Installing and uninstalling from end to end, as a user does it: packages made by
// zip, rar and 7zz from the fake plugins of both builds, TC's real archive
// libraries, the dialogs answered by a driver thread, the save writing wincmd.ini.
#include <doctest/doctest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/tc_discovery.h"
#include "install/install_command.h"
#include "install/install_temp.h"
#include "install/uninstall.h"
#include "install/unpack.h"
#include "probe/child_modes.h"
#include "support/test_support.h"
#include "fake_install_host.h"

namespace {

// Started as a child copy, the test program is the program's /probe and /unpack.
const int childMode = [] {
    int code = 0;
    if (RunChildMode(code, UnpackChildMain)) ExitProcess((UINT)code);
    return 0;
}();

FakeInstallHost Window;
std::vector<std::wstring>& Messages = Window.shown;

HWND WaitFor(const std::function<HWND()>& find) {
    for (int i = 0; i < 1200; ++i) {
        if (HWND w = find()) return w;
        Sleep(25);
    }
    return nullptr;
}

HWND VisibleDialog(const std::wstring& caption) {
    HWND w = FindWindowW(L"#32770", caption.c_str());
    return IsWindowVisible(w) ? w : nullptr;
}

// Runs the command on this thread while another clicks the given boxes of the
// dialog and presses its button.
void Answer(const std::wstring& caption, int button, const std::function<void()>& command,
            std::initializer_list<int> clicks = {}) {
    std::thread driver([&] {
        HWND dialog = WaitFor([&] { return VisibleDialog(caption); });
        if (!dialog) return;
        for (int id : clicks) SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
        PostMessageW(dialog, WM_COMMAND, button, 0);
    });
    command();
    driver.join();
}

std::wstring Package(const std::wstring& name) { return BuildPath(L"tests\\install\\packages\\" + name); }

struct Tc {
    std::wstring dir = FreshTempDir(L"flow_tc");
    std::wstring ini = dir + L"\\wincmd.ini";
    ScopedEnv path{L"COMMANDER_PATH", dir.c_str()};
    Tc() {
        for (const wchar_t* dll : {L"LIBDEFLATE64.DLL", L"UNRAR64.DLL", L"TC7Z64.DLL"})
            CopyFileW(BuildPath(std::wstring(L"archive-libs\\") + dll).c_str(), PathJoin(dir, dll).c_str(), FALSE);
        WriteFileBytes(ini, "\xFF\xFE" + Utf16Bytes(L"[ListerPlugins]\r\n6=%COMMANDER_PATH%\\plugins\\wlx\\Old\\old.wlx\r\n"
                                                    L"6_detect=\"EXT=\"\"TXT\"\"\"\r\n[PackerPlugins]\r\n"
                                                    L"fk2=31,%COMMANDER_PATH%\\plugins\\wcx\\other\\other.wcx\r\n"));
        WincmdIniPath = ini;
        SettingsValues[L"General/Language"] = L"eng";
        SettingsValues[L"Probe/Timeout"] = L"30";
        ApplyDiagSettings();
        InitLanguage(std::nullopt);
        Window = FakeInstallHost{};
    }
    ~Tc() {
        WincmdIniPath.clear();
        RemoveTree(dir);
    }
    std::wstring Value(const wchar_t* section, const std::wstring& key) const { return IniGetString(ini, section, key); }
};

bool FolderEmpty(const std::wstring& folder) {
    bool empty = true;
    ForEachDirItem(folder, [&](const DirItem&) { return empty = false; });
    return empty;
}

}  // namespace

TEST_CASE("a zipped Lister plugin is installed after the others, updated with backups, then uninstalled") {
    Tc tc;
    std::wstring target = tc.dir + L"\\plugins\\wlx\\lister";
    Answer(Tr("in_title"), IDOK, [&] { Install(Window, nullptr, Package(L"lister.zip")); });
    REQUIRE(Messages.size() == 1);
    CHECK(Messages[0] == FillVar(Tr("in_done"), L"p", L"lister"));
    // While a child works the status bar says so, and then shows the tab's own status again.
    CHECK(Window.statuses == std::vector<std::wstring>{Tr("ar_unpacking"), L"", Tr("in_asking"), L""});
    CHECK(tc.Value(L"ListerPlugins", L"7") == L"%COMMANDER_PATH%\\plugins\\wlx\\lister\\lister.wlx");
    CHECK(tc.Value(L"ListerPlugins", L"7_detect") == L"EXT=\"TXT\" | EXT=\"LOG\"");
    CHECK(FileExists(target + L"\\lister.wlx64"));
    CHECK(FileExists(target + L"\\readme.txt"));
    CHECK(FolderEmpty(InstallTempFolder()));
    std::string log = ReadFileBytes(ChangeLogPath());
    CHECK(log.find("files copied to %COMMANDER_PATH%\\plugins\\wlx\\lister") != std::string::npos);

    Messages.clear();
    Answer(Tr("in_title_up"), IDOK, [&] { Install(Window, nullptr, Package(L"lister.zip")); });
    REQUIRE(Messages.size() == 1);
    CHECK(Messages[0] == FillVar(Tr("in_done_up"), L"p", L"lister"));
    CHECK(tc.Value(L"ListerPlugins", L"8").empty());
    CHECK(ReadFileBytes(ChangeLogPath()).find("replaced files backed up in") != std::string::npos);

    TabEntries = LoadPluginSection(0).entries;
    REQUIRE(TabEntries.size() == 2);
    Messages.clear();
    Answer(Tr("un_title"), IDOK, [&] { Uninstall(Window, nullptr, 1); });
    REQUIRE(Messages.size() == 1);
    CHECK(Messages[0].find(FillVar(Tr("un_done"), L"n", L"lister")) == 0);
    CHECK(Messages[0].find(Tr("un_done_folder")) != std::wstring::npos);
    CHECK(tc.Value(L"ListerPlugins", L"7").empty());
    CHECK(GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES);
}

TEST_CASE("a Content plugin from a rar and a Packer plugin from a 7z with its pluginst.inf") {
    Tc tc;
    Answer(Tr("in_title"), IDOK, [&] { Install(Window, nullptr, Package(L"content.rar")); });
    CHECK(tc.Value(L"ContentPlugins", L"0") == L"%COMMANDER_PATH%\\plugins\\wdx\\content\\content.wdx");
    CHECK(FileExists(tc.dir + L"\\plugins\\wdx\\content\\content.wdx64"));

    Messages.clear();
    // fk2 belongs to another packer: ticked, its line is taken over.
    Answer(Tr("in_title"), IDOK, [&] { Install(Window, nullptr, Package(L"packer.7z")); }, {401});
    REQUIRE(Messages.size() == 1);
    CHECK(Messages[0] == FillVar(Tr("in_done"), L"p", L"packer"));
    std::wstring path = L"%COMMANDER_PATH%\\plugins\\wcx\\FakePack\\packer.wcx";
    CHECK(tc.Value(L"PackerPlugins", L"fak") == L"12," + path);
    CHECK(tc.Value(L"PackerPlugins", L"fk2") == L"12," + path);

    // Disabling the packer takes both its lines out; its folder stays.
    TabEntries = LoadPluginSection(2).entries;
    REQUIRE(TabEntries.size() == 1);
    CHECK(TabEntries[0].iniDetect.items.size() == 2);
    Messages.clear();
    Answer(Tr("un_title"), 310, [&] { Uninstall(Window, nullptr, 0); });
    REQUIRE(Messages.size() == 1);
    CHECK(Messages[0] == FillVar(Tr("un_done_disable"), L"n", L"packer"));
    CHECK(tc.Value(L"PackerPlugins", L"fak").empty());
    CHECK(tc.Value(L"PackerPlugins", L"fk2").empty());
    CHECK(FileExists(tc.dir + L"\\plugins\\wcx\\FakePack\\packer.wcx64"));
    CHECK(FileExists(tc.dir + L"\\plugins\\wcx\\FakePack\\pluginst.inf"));
}

TEST_CASE("a bare File-system plugin file and a folder with a pluginst.inf") {
    Tc tc;
    std::wstring package = FreshTempDir(L"flow_pkg");
    CopyFileW(BuildPath(L"fakes\\plugins\\fs.wfx64").c_str(), (package + L"\\fs.wfx64").c_str(), FALSE);
    Answer(Tr("in_title"), IDOK, [&] { Install(Window, nullptr, package + L"\\fs.wfx64"); });
    CHECK(tc.Value(L"FileSystemPlugins", L"Fake Root") == L"%COMMANDER_PATH%\\plugins\\wfx\\fs\\fs.wfx");

    std::wstring inf = FreshTempDir(L"flow_inf");
    CopyFileW(BuildPath(L"fakes\\plugins\\lister_empty.wlx64").c_str(), (inf + L"\\quiet.wlx64").c_str(), FALSE);
    WriteFileBytes(inf + L"\\pluginst.inf", "[plugininstall]\r\ntype=wlx\r\nfile=quiet.wlx64\r\ndefaultdir=Quiet View\r\n");
    Answer(Tr("in_title"), IDOK, [&] { Install(Window, nullptr, inf + L"\\pluginst.inf"); });
    CHECK(tc.Value(L"ListerPlugins", L"7") == L"%COMMANDER_PATH%\\plugins\\wlx\\Quiet View\\quiet.wlx");
    RemoveTree(package);
    RemoveTree(inf);
}

TEST_CASE("an update of a plugin lying in a shared plugins folder replaces only the plugin's own files there") {
    Tc tc;
    std::wstring wlx = tc.dir + L"\\plugins\\wlx";
    REQUIRE(MakeDirs(wlx));
    WriteFileBytes(wlx + L"\\readme.txt", "another plugin's");
    WriteFileBytes(wlx + L"\\lister.wlx64", "old build");
    WriteFileBytes(tc.ini, "\xFF\xFE" + Utf16Bytes(L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\plugins\\wlx\\lister.wlx\r\n"
                                                  L"1_detect=\"EXT=\"\"TXT\"\" | EXT=\"\"LOG\"\"\"\r\n"));
    Answer(Tr("in_title_up"), IDOK, [&] { Install(Window, nullptr, Package(L"lister.zip")); });
    CHECK(Messages == std::vector<std::wstring>{FillVar(Tr("in_done_up"), L"p", L"lister")});
    CHECK(ReadFileBytes(wlx + L"\\readme.txt") == "another plugin's");
    CHECK(ReadFileBytes(wlx + L"\\lister.wlx64") == ReadFileBytes(BuildPath(L"fakes\\plugins\\lister.wlx64")));
}

TEST_CASE("with changes pending, neither an install nor an uninstall starts") {
    Tc tc;
    TabEntries = LoadPluginSection(0).entries;
    PendingEditFor(TabEntries[0]).deleted = 1;
    Install(Window, nullptr, Package(L"lister.zip"));
    Uninstall(Window, nullptr, 0);
    DiscardPending();
    CHECK(Messages == std::vector<std::wstring>{Tr("un_pending"), Tr("un_pending")});
    CHECK(FolderEmpty(InstallTempFolder()));
}

TEST_CASE("an uninstall whose save fails leaves the plugin's folder where it is") {
    Tc tc;
    Answer(Tr("in_title"), IDOK, [&] { Install(Window, nullptr, Package(L"lister.zip")); });
    std::wstring target = tc.dir + L"\\plugins\\wlx\\lister";
    TabEntries = LoadPluginSection(0).entries;
    REQUIRE(TabEntries.size() == 2);
    Messages.clear();
    // Held open without sharing, as an editor might, the file cannot be written.
    HANDLE held = CreateFileW(tc.ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Answer(Tr("un_title"), IDOK, [&] { Uninstall(Window, nullptr, 1); });
    CloseHandle(held);
    CHECK(FileExists(target + L"\\lister.wlx64"));
    CHECK(tc.Value(L"ListerPlugins", L"7") == L"%COMMANDER_PATH%\\plugins\\wlx\\lister\\lister.wlx");
    REQUIRE_FALSE(Messages.empty());
    CHECK(Messages.back().find(Tr("un_done_folder")) == std::wstring::npos);
}

namespace {

std::wstring SecondPackage;
HWND SecondOwner = nullptr;
std::atomic<bool> SecondArrived{false};

// A package arriving from a second copy while the first install's dialog is open.
void CALLBACK SecondCopyArrives(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    InstallWhenFree(Window, SecondOwner, SecondPackage);
    SecondArrived = true;
}

BOOL CALLBACK CountInstallDialogs(HWND w, LPARAM count) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (IsWindowVisible(w) && std::wstring(cls) == L"#32770") ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int VisibleDialogs() {
    int count = 0;
    EnumWindows(CountInstallDialogs, (LPARAM)&count);
    return count;
}

}  // namespace

TEST_CASE("a package from a second copy waits until the install dialog in front is closed") {
    Tc tc;
    SecondOwner = CreateWindowW(L"Static", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SecondPackage = Package(L"content.rar");
    std::atomic<bool> done{false};
    int dialogsWhileFirst = 0;
    std::wstring secondHeading;
    std::thread driver([&] {
        HWND first = WaitFor([] { return VisibleDialog(Tr("in_title")); });
        WaitFor([] { return SecondArrived ? HWND(1) : nullptr; });
        dialogsWhileFirst = VisibleDialogs();
        PostMessageW(first, WM_COMMAND, IDCANCEL, 0);
        WaitFor([&] { return IsWindow(first) ? nullptr : HWND(1); });
        HWND second = WaitFor([] { return VisibleDialog(Tr("in_title")); });
        wchar_t heading[256] = {};
        GetDlgItemTextW(second, 100, heading, 256);
        secondHeading = heading;
        PostMessageW(second, WM_COMMAND, IDCANCEL, 0);
        done = true;
    });
    SetTimer(nullptr, 0, 200, SecondCopyArrives);
    InstallWhenFree(Window, SecondOwner, Package(L"lister.zip"));
    for (MSG msg; !done && GetMessageW(&msg, nullptr, 0, 0);) DispatchMessageW(&msg);
    driver.join();
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    DestroyWindow(SecondOwner);
    CHECK(dialogsWhileFirst == 1);
    CHECK(secondHeading.find(L"content") == 0);
    CHECK(tc.Value(L"ContentPlugins", L"0").empty());
}

TEST_CASE("a package from a second copy waits while a menu or a save holds the window's rows") {
    Tc tc;
    std::atomic<bool> menuOpen{true}, heldWhenShown{true}, done{false};
    Window.modelHeld = true;
    Window.modelHeldAsked = 0;
    DWORD self = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = WaitFor([] { return VisibleDialog(Tr("in_title")); });
        heldWhenShown = menuOpen.load();
        if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        WaitFor([&] { return IsWindow(dialog) ? nullptr : HWND(1); });
        done = true;
        PostThreadMessageW(self, WM_NULL, 0, 0);
    });
    InstallWhenFree(Window, nullptr, Package(L"lister.zip"));
    // The menu closes only once the waiting package has asked again at its timer.
    for (MSG msg; !done && Window.modelHeldAsked < 2 && GetMessageW(&msg, nullptr, 0, 0);) DispatchMessageW(&msg);
    menuOpen = false;
    Window.modelHeld = false;
    for (MSG msg; !done && GetMessageW(&msg, nullptr, 0, 0);) DispatchMessageW(&msg);
    driver.join();
    CHECK_FALSE(heldWhenShown);
    CHECK(tc.Value(L"ListerPlugins", L"7").empty());
}
