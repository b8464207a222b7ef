// What an uninstall offers: the plugin's folder goes only when it is the plugin's
// own, never a shared or general folder.
#include <doctest/doctest.h>

#include <functional>
#include <utility>

#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "editing/tc_control.h"
#include "foundation/env.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"
#include "install/uninstall.h"
#include "install/general_folder.h"
#include "install/uninstall_folder.h"
#include "foundation/labels.h"
#include "fake_install_host.h"
#include "install_fixture.h"

namespace {

std::vector<PlugEntry> Listers(InstallScene& scene, const std::wstring& lines) {
    scene.WriteIni(L"[ListerPlugins]\r\n" + lines);
    return LoadPluginSection(0).entries;
}

// The real files, with a TC that runs and will not close, so that the save stops
// before it writes anything, or with writes that fail from the first on, as to a
// write-protected wincmd.ini.
struct StuckIo final : SaveIo {
    SaveIo& real = SystemSaveIo();
    bool tcStays = false;
    bool writesFail = false;
    bool WriteProfile(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                      const wchar_t* value) override {
        return !writesFail && real.WriteProfile(file, section, key, value);
    }
    std::optional<IniPairs> ReadSection(const std::wstring& file, const std::wstring& section) override {
        return real.ReadSection(file, section);
    }
    std::wstring Backup(const std::wstring& file, const std::wstring& suffix) override {
        return real.Backup(file, suffix);
    }
    bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) override {
        return real.ReplaceWithCopy(source, target);
    }
    std::wstring WriteKept(const KeptEntry& entry) override { return real.WriteKept(entry); }
    bool TcRunning() override { return tcStays; }
    bool CloseTc(std::vector<TcRun>&) override { return false; }
    void StartTc(const TcRun&) override {}
};

// What happens while the uninstall dialog is open; then the user presses "Uninstall".
std::function<void()> WhileOpen;

LRESULT CALLBACK PressWhenOpen(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && WhileOpen) {
        std::exchange(WhileOpen, nullptr)();
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST_CASE("general folders are never the plugin's own") {
    InstallScene scene(L"un_general");
    CHECK(IsGeneralFolder(L"C:\\"));
    CHECK(IsGeneralFolder(scene.tc));
    CHECK(IsGeneralFolder(PathDir(scene.tc)));
    CHECK(IsGeneralFolder(EnvGet(L"USERPROFILE")));
    CHECK(IsGeneralFolder(EnvGet(L"SystemRoot") + L"\\"));
    CHECK_FALSE(IsGeneralFolder(scene.tc + L"\\plugins\\wlx\\x"));
}

TEST_CASE("the plugin's folder goes only when it holds the plugin alone") {
    InstallScene scene(L"un_folder");
    std::wstring own = scene.tc + L"\\plugins\\wlx\\x", shared = scene.tc + L"\\plugins\\wlx";
    REQUIRE(MakeDirs(own));
    WritePeStub(own + L"\\x.wlx", 0x14c);
    WritePeStub(own + L"\\x.wlx64", 0x8664);
    WriteFileBytes(own + L"\\x.ini", "[x]");
    WritePeStub(shared + L"\\y.wlx", 0x14c);
    MakeDirs(own + L"\\helper");
    WritePeStub(own + L"\\helper\\x_setup.exe", 0x14c);

    auto entries = Listers(scene, L"1=" + own + L"\\x.wlx\r\n2=" + shared + L"\\y.wlx\r\n");
    REQUIRE(entries.size() == 2);
    PluginFolderCheck check = CheckPluginFolder(entries[0]);
    CHECK(check.reason == L"");
    CHECK(check.fileCount == 4);
    UninstCtx ctx = UninstallPrepare(entries[0]);
    CHECK(ctx.folderOk == 1);
    REQUIRE(ctx.report.size() == 1);
    CHECK(ctx.report[0].value == L"x.ini");
    CHECK(CheckPluginFolder(entries[1]).reason == FillVar(Tr("un_dir_shared"), L"d", L"wlx"));

    WriteFileBytes(own + L"\\helper\\updater.exe", "MZ");
    CHECK(CheckPluginFolder(entries[0]).reason == FillVar(Tr("un_dir_other"), L"f", L"updater.exe"));
    DeleteFileW((own + L"\\helper\\updater.exe").c_str());
    WritePeStub(own + L"\\z.wdx", 0x14c);
    CHECK(CheckPluginFolder(entries[0]).reason == FillVar(Tr("un_dir_other"), L"f", L"z.wdx"));
    DeleteFileW((own + L"\\z.wdx").c_str());

    entries = Listers(scene, L"1=" + own + L"\\x.wlx\r\n4=" + own + L"\\x.wlx\r\n");
    CHECK(CheckPluginFolder(entries[0]).reason == FillVar(FillVar(Tr("un_dir_used"), L"n", L"x"), L"a", TabName(0)));
    // The same file registered again by its short (8.3) name uses the folder too.
    wchar_t shortOwn[MAX_PATH];
    REQUIRE(GetShortPathNameW(own.c_str(), shortOwn, MAX_PATH) > 0);
    REQUIRE(std::wstring(shortOwn) != own);
    auto spelled = Listers(scene, L"1=" + own + L"\\x.wlx\r\n4=" + shortOwn + L"\\x.wlx\r\n");
    for (const PlugEntry& e : spelled)
        CHECK(CheckPluginFolder(e).reason == FillVar(FillVar(Tr("un_dir_used"), L"n", L"x"), L"a", TabName(0)));
    UninstCtx twice = UninstallPrepare(entries[1]);
    CHECK(twice.folderOk == 0);
    CHECK(twice.checkText == Tr("un_folder_off"));
}

TEST_CASE("the folder of wincmd.ini and a folder spelled with dots are never the plugin's own") {
    InstallScene scene(L"un_inifolder");
    std::wstring cfg = scene.dir + L"\\cfg";
    REQUIRE(MakeDirs(cfg));
    REQUIRE(MakeDirs(scene.tc + L"\\plugins\\wlx"));
    WritePeStub(cfg + L"\\x.wlx", 0x14c);
    WritePeStub(scene.tc + L"\\plugins\\y.wlx", 0x14c);
    WincmdIniPath = cfg + L"\\wincmd.ini";
    WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(L"[ListerPlugins]\r\n1=" + cfg + L"\\x.wlx\r\n2=" + scene.tc +
                                                       L"\\plugins\\wlx\\..\\y.wlx\r\n"));
    auto entries = LoadPluginSection(0).entries;
    REQUIRE(entries.size() == 2);
    CHECK(CheckPluginFolder(entries[0]).reason == FillVar(Tr("un_dir_general"), L"d", cfg));
    PluginFolderCheck dotted = CheckPluginFolder(entries[1]);
    CHECK(dotted.folder == scene.tc + L"\\plugins");
    CHECK(dotted.reason == FillVar(Tr("un_dir_shared"), L"d", L"plugins"));
    CHECK(IsGeneralFolder(cfg + L"\\sub\\.."));
    CHECK(IsGeneralFolder(scene.tc + L"/plugins/wcx/"));
    CHECK_FALSE(IsGeneralFolder(scene.tc + L"\\plugins\\wcx\\x\\..\\y"));
}

TEST_CASE("an uninstall whose save does not complete leaves nothing of it pending") {
    InstallScene scene(L"un_withdraw");
    scene.WriteIni(L"[ListerPlugins]\r\n1=C:\\p\\x.wlx\r\n[PackerPlugins]\r\nx1=10,C:\\p\\x.wcx\r\n"
                   L"x2=10,C:\\p\\x.wcx\r\n[FileSystemPlugins]\r\nx=C:\\p\\x.wfx\r\n");
    DiscardPending();
    FakeInstallHost window;
    StuckIo io;
    io.tcStays = true;
    for (uint32_t kind : {0u, 2u, 3u})
        for (bool disableOnly : {false, true}) {
            CAPTURE(kind);
            CAPTURE(disableOnly);
            std::vector<PlugEntry> entries = LoadPluginSection((int)kind).entries;
            REQUIRE(entries.size() == 1);
            window.shown.clear();
            UninstallEntry(window, nullptr, entries[0], UninstallPrepare(entries[0]), disableOnly, io);
            CHECK(window.shown == std::vector<std::wstring>{Tr("err_tcclose")});
            CHECK(PendingEdits.empty());
            CHECK(PlugStates.empty());
            CHECK(CountPendingChanges() == 0);
            CHECK(LoadPluginSection((int)kind).entries.size() == 1);
        }
}

TEST_CASE("an uninstall whose write fails says its change was withdrawn, and the window shows none pending") {
    InstallScene scene(L"un_unwritten");
    scene.WriteIni(L"[ListerPlugins]\r\n1=C:\\p\\x.wlx\r\n[FileSystemPlugins]\r\nx=C:\\p\\x.wfx\r\n");
    DiscardPending();
    FakeInstallHost window;
    std::vector<uint32_t> pendingShown;  // at each refill of the window, which also shows the count
    window.refill = [&] { pendingShown.push_back(CountPendingChanges()); };
    StuckIo io;
    io.writesFail = true;
    for (uint32_t kind : {0u, 3u}) {
        CAPTURE(kind);
        std::vector<PlugEntry> entries = LoadPluginSection((int)kind).entries;
        REQUIRE(entries.size() == 1);
        UninstCtx ctx = UninstallPrepare(entries[0]);
        ctx.recycle = 0;
        window.shown.clear();
        pendingShown.clear();
        UninstallEntry(window, nullptr, entries[0], ctx, false, io);
        REQUIRE(window.shown.size() == 1);
        CHECK(window.shown[0].ends_with(L"\r\n" + FillVar(Tr("save_withdrawn"), L"n", L"1") + L"\r\n"));
        CHECK(pendingShown == std::vector<uint32_t>{0});
        CHECK(CountPendingChanges() == 0);
        CHECK(LoadPluginSection((int)kind).entries.size() == 1);
    }
}

TEST_CASE("an uninstall whose entry left the rows while its dialog was open does nothing") {
    InstallScene scene(L"un_gone");
    TabEntries = Listers(scene, L"1=C:\\p\\x.wlx\r\n2=C:\\p\\y.wlx\r\n");
    DiscardPending();
    FakeInstallHost window;
    WhileOpen = [] { TabEntries = LoadPluginSection(KindFileSystem).entries; };  // another tab's rows
    HHOOK hook = SetWindowsHookExW(WH_CBT, PressWhenOpen, nullptr, GetCurrentThreadId());
    Uninstall(window, nullptr, 0);
    UnhookWindowsHookEx(hook);
    CHECK(WhileOpen == nullptr);
    CHECK(window.shown.empty());
    CHECK(LoadPluginSection(KindLister).entries.size() == 2);
    TabEntries.clear();
}
