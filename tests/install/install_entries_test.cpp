// What a confirmed install records: new entries, pending changes of an existing
// entry, packer lines taken over, typed extensions.
#include <doctest/doctest.h>

#include "hostcfg/pending.h"
#include "install/install_entries.h"
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
