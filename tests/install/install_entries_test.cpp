// What a confirmed install records: new entries, pending changes of an existing
// entry, packer lines taken over, typed extensions.
#include <doctest/doctest.h>

#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "install/install_command.h"
#include "install/install_entries.h"
#include "fake_install_host.h"
#include "install_fixture.h"

namespace {

struct Planned {
    InstInfo info;
    InstCtx ctx;
    explicit Planned(uint32_t kind) {
        info.kind = kind;
        info.pluginName = L"x";
        info.pluginFile = L"x.wlx64";
        info.probe.status = ProbeOk;
        ctx.info = &info;
        DiscardPending();
    }
};

PlugEntry Registered(uint32_t kind, const std::wstring& path) {
    PlugEntry e;
    e.kind = kind;
    e.number = 3;
    e.path = e.expandedPath = path;
    e.name = L"x";
    return e;
}

}  // namespace

TEST_CASE("a new plugin inside TC's folder is entered relative to it, under its 32-bit name") {
    InstallScene scene(L"plan_new");
    Planned p(0);
    p.info.target = scene.tc + L"\\Plugins\\wlx\\x";
    p.info.probe.answer = L"EXT=\"TXT\"";
    InstallPlan plan = InstPlan(p.ctx);
    REQUIRE(plan.newEntries.size() == 1);
    const KeptEntry& e = plan.newEntries[0];
    CHECK(e.path == L"%COMMANDER_PATH%\\Plugins\\wlx\\x\\x.wlx");
    CHECK(e.key == L"install|%commander_path%\\plugins\\wlx\\x\\x.wlx");
    CHECK(e.detect == L"EXT=\"TXT\"");
    CHECK((e.hasDetect == 1 && e.isNew == 1 && e.number == InstallEntryNumber));

    p.info.target = L"D:\\Elsewhere\\x";
    p.info.probe.status = ProbeNoExport;
    plan = InstPlan(p.ctx);
    CHECK(plan.newEntries[0].path == L"D:\\Elsewhere\\x\\x.wlx");
    CHECK(plan.newEntries[0].hasDetect == 0);
    CHECK(PendingEdits.empty());
}

TEST_CASE("an update keeps the user's detect string unless the plugin's is taken") {
    Planned p(0);
    p.info.entries = {Registered(0, L"C:\\p\\x.wlx")};
    p.info.existing = 0;
    p.info.probe.answer = L"EXT=\"LOG\"";
    InstallPlan plan = InstPlan(p.ctx);
    CHECK(plan.newEntries.empty());
    CHECK(plan.entryPath == L"C:\\p\\x.wlx");
    CHECK(PendingEdits.empty());
    p.ctx.takeNew = 1;
    InstPlan(p.ctx);
    REQUIRE(FindEntryEdit(0, 3) != nullptr);
    CHECK(FindEntryEdit(0, 3)->explicitDetectText == L"EXT=\"LOG\"");
}

TEST_CASE("a packer takes over ticked lines of other packers and enters each typed extension once") {
    Planned p(2);
    p.info.pluginFile = L"x.wcx";
    p.info.target = L"C:\\pk\\x";
    p.ctx.packerCaps = 12;
    p.ctx.extChoices = {{L"zip", L"other", L"279,C:\\o\\other.wcx", 1, 0}, {L"jar", L"", L"", 0, 0}};
    InstallPlan plan = InstPlan(p.ctx);
    CHECK(plan.newEntries.empty());
    REQUIRE(FindPlugState(2, L"zip") != nullptr);
    CHECK(FindPlugState(2, L"zip")->curValue == L"12,C:\\pk\\x\\x.wcx");

    p.ctx.typedExts = L"*.ABC .def abc zip jar";
    plan = InstPlan(p.ctx);
    REQUIRE(plan.newEntries.size() == 1);
    CHECK(plan.newEntries[0].packerExts == L"abc:12;def:12");
}

namespace {

FakeInstallHost Window;
std::vector<std::wstring>& SaveMessages = Window.shown;

}  // namespace

TEST_CASE("an install whose save does not complete leaves nothing of it pending, and the user's records as they were") {
    InstallScene scene(L"plan_withdraw");
    scene.WriteIni(L"[ListerPlugins]\r\n3=C:\\p\\x.wlx\r\n3_detect=\"EXT=\"\"TXT\"\"\"\r\n"
                   L"[PackerPlugins]\r\nzip=279,C:\\o\\other.wcx\r\nx1=10,C:\\p\\x.wcx\r\n[FileSystemPlugins]\r\nx=C:\\p\\x.wfx\r\n");
    // Under a file the copy cannot make the target folder, so the save stops before it writes.
    WriteFileBytes(scene.dir + L"\\file", "");
    DiscardPending();
    // A record of the user's that is no change to save, as the refusal of installs lets it stand.
    PendingEditFor(LoadPluginSection(0).entries.at(0)).deactivate = 1;
    const auto userEdits = PendingEdits;
    REQUIRE(CountPendingChanges() == 0);

    for (uint32_t kind : {0u, 2u, 3u}) {
        CAPTURE(kind);
        InstInfo info;
        info.kind = kind;
        info.pluginName = L"x";
        info.folder = scene.package;
        info.target = scene.dir + L"\\file\\x";
        info.probe.status = ProbeOk;
        info.probe.answer = kind == 0 ? L"EXT=\"LOG\"" : L"12";
        info.entries = LoadPluginSection((int)kind).entries;
        info.existing = (int)info.entries.size() - 1;
        InstCtx ctx;
        ctx.info = &info;
        ctx.takeNew = 1;
        ctx.packerCaps = 12;
        ctx.offerTakeCaps = 1;
        ctx.extChoices = {{L"x1", L"", L"", 1, 1}, {L"zip", L"other", L"279,C:\\o\\other.wcx", 1, 0}};
        ctx.fsName = L"renamed";
        SaveMessages.clear();
        InstExecute(Window, nullptr, ctx);
        REQUIRE(SaveMessages.size() == 1);
        CHECK(SaveMessages[0].find(FillVar(Tr("in_failed"), L"p", L"x")) == 0);
        CHECK(PendingEdits == userEdits);
        CHECK(PlugStates.empty());
    }
    DiscardPending();
}
