// What a package or a plugin hands an install that TC's INI cannot hold as one
// line: shown in the report, marked as theirs, and neither offered nor written,
// all before a file is copied.
#include <doctest/doctest.h>

#include "editing/pending_ops.h"
#include "editing/save_writers.h"
#include "foundation/ini_value_check.h"
#include "foundation/texts.h"
#include "install/install_command.h"
#include "install/install_entries.h"
#include "install/install_report.h"
#include "install/package_text.h"
#include "fake_install_host.h"
#include "install_fixture.h"
#include "support/ini_compare.h"

namespace {

const wchar_t* const Hostile = L"EXT=\"TXT\"\r\n[Configuration]\r\nEditor=evil.exe";

InstCtx Reported(InstInfo& info) {
    InstCtx ctx;
    ctx.info = &info;
    InstReportText(ctx);
    return ctx;
}

bool Warns(const InstCtx& ctx, const std::wstring& part) {
    for (const ReportRow& row : ctx.report)
        if (row.kind == ReportWarning && row.value.find(part) != std::wstring::npos) return true;
    return false;
}

InstInfo Plugin(uint32_t kind, const std::wstring& answer) {
    InstInfo info;
    info.kind = kind;
    info.pluginName = L"x";
    info.pluginFile = L"x.wlx64";
    info.probe.status = ProbeOk;
    info.probe.answer = answer;
    info.entries = LoadPluginSection((int)kind).entries;
    return info;
}

}  // namespace

TEST_CASE("pluginst.inf extensions that a typed extension could not be are reported, not offered") {
    InstallScene scene(L"inst_gate_exts");
    scene.WriteIni(L"[PackerPlugins]\r\nzip=279,C:\\other\\other.wcx\r\n");
    InstInfo info = Plugin(KindPacker, L"95");
    info.inf = ParseInfLines({{L"defaultextension", L"doc:1 zip=1 [x] 7z"}});
    InstCtx ctx = Reported(info);
    REQUIRE(ctx.extChoices.size() == 1);
    CHECK(ctx.extChoices[0].ext == L"7z");
    for (const wchar_t* ext : {L"doc:1", L"zip=1", L"[x]"}) {
        CAPTURE(std::wstring(ext));
        CHECK(Warns(ctx, std::wstring(L"): ") + ext));
        CHECK_FALSE(FirstBadExtToken(ext).empty());  // as typed
    }
    InstallPlan plan = InstPlan(ctx);
    REQUIRE(plan.newEntries.size() == 1);
    CHECK(plan.newEntries[0].packerExts == L"7z:95");
}

TEST_CASE("a plugin's detect string with a line break is shown marked and written nowhere") {
    InstallScene scene(L"inst_gate_detect");
    scene.WriteIni(L"[ListerPlugins]\r\n1=C:\\p\\x.wlx\r\n1_detect=\"EXT=\"PNG\"\"\r\n");
    SUBCASE("a new entry gets none") {
        scene.WriteIni(L"[ListerPlugins]\r\n");
        InstInfo info = Plugin(KindLister, Hostile);
        InstCtx ctx = Reported(info);
        CHECK(ctx.pluginDetect == ShowControlChars(Hostile));
        CHECK(Warns(ctx, ShowControlChars(Hostile)));
        InstallPlan plan = InstPlan(ctx);
        REQUIRE(plan.newEntries.size() == 1);
        CHECK((plan.newEntries[0].hasDetect == 0 && plan.newEntries[0].detect.empty()));
    }
    SUBCASE("an update keeps the user's, and taking the plugin's is not offered") {
        InstInfo info = Plugin(KindLister, Hostile);
        REQUIRE(info.entries.size() == 1);
        info.existing = 0;
        InstCtx ctx = Reported(info);
        CHECK_FALSE(ctx.offerKeepTake);
        ctx.takeNew = 1;
        InstPlan(ctx);
        CHECK(PendingEdits.empty());
    }
    DiscardPending();
}

TEST_CASE("a file system's root name that cannot be a key gives way to the plugin's name") {
    InstallScene scene(L"inst_gate_fs");
    scene.WriteIni(L"[FileSystemPlugins]\r\n");
    for (const wchar_t* root : {L"a\r\nb=c.wfx", L"RedirectSection", L";x"}) {
        CAPTURE(std::wstring(root));
        InstInfo info = Plugin(KindFileSystem, root);
        CHECK(Reported(info).fsName == L"x");
    }
    // One that the file's code page would turn into a section header, as long as the file is ANSI.
    RequireWesternCodePage();
    const std::wstring bracketed = L"\xFF3B" L"Configuration\xFF3D";
    InstInfo info = Plugin(KindFileSystem, bracketed);
    CHECK(Reported(info).fsName == bracketed);
    WriteFileBytes(scene.ini, "[FileSystemPlugins]\r\n");
    CHECK(Reported(info).fsName == L"x");
}

TEST_CASE("pluginst.inf extensions that the ANSI file cannot hold are reported, not offered") {
    RequireWesternCodePage();
    InstallScene scene(L"inst_gate_ansi_exts");
    WriteFileBytes(scene.ini, "[PackerPlugins]\r\n");
    InstInfo info = Plugin(KindPacker, L"95");
    info.inf = ParseInfLines({{L"defaultextension", L"7z \xFF5Aip"}});
    InstCtx ctx = Reported(info);
    REQUIRE(ctx.extChoices.size() == 1);
    CHECK(ctx.extChoices[0].ext == L"7z");
    CHECK(Warns(ctx, CharWithCode(L"\xFF5A")));
}

TEST_CASE("past the dialog, a target the ANSI file cannot hold is refused before a file is copied, and withdrawn") {
    InstallScene scene(L"inst_gate_ansi_target");
    WriteFileBytes(scene.ini, "[ListerPlugins]\r\n[PackerPlugins]\r\n[FileSystemPlugins]\r\n");
    const std::string bytes = ReadFileBytes(scene.ini);
    WriteFileBytes(scene.package + L"\\x.wlx64", "plugin");
    for (uint32_t kind : {KindLister, KindPacker, KindFileSystem}) {
        CAPTURE(kind);
        InstInfo info = Plugin(kind, L"95");
        info.folder = scene.package;
        info.target = scene.tc + L"\\plugins\\\x65E5";
        InstCtx ctx;
        ctx.info = &info;
        ctx.packerCaps = 95;
        ctx.typedExts = L"abc";
        ctx.fsName = L"x";
        FakeInstallHost window;
        InstExecute(window, nullptr, ctx);
        CHECK(GetFileAttributesW(info.target.c_str()) == INVALID_FILE_ATTRIBUTES);
        CHECK(ReadFileBytes(scene.ini) == bytes);
        CHECK(CountPendingChanges() == 0);
        REQUIRE(window.shown.size() == 1);
        std::wstring why = FillVar(Tr("why_ansi"), L"c", CharWithCode(L"\x65E5"));
        CHECK(window.shown[0] == Tr("save_refused_all") + L"\n\n" + RefusedLineText(PlugSectionName((int)kind), L"x", why) + L"\r\n");
    }
}
