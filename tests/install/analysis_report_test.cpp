// Analysing packages and the report an install shows, on a scratch TC with the
// fake plugins of this build; the test program answers as the /probe child.
#include <doctest/doctest.h>

#include "foundation/texts.h"
#include "install/install_report.h"
#include "install/package_text.h"
#include "install_fixture.h"

namespace {

// The program asks plugins as a 64-bit process; a 32-bit build would hand them to its twin.
const auto AskedPlugins = doctest::skip(sizeof(void*) != 8);
const wchar_t* const Suffix = L"64";

bool HasRow(const InstCtx& ctx, int kind, const std::wstring& part) {
    for (const ReportRow& row : ctx.report)
        if (row.kind == kind && (row.value + row.label).find(part) != std::wstring::npos) return true;
    return false;
}

InstCtx Report(InstInfo& info) {
    InstCtx ctx;
    ctx.info = &info;
    InstReportText(ctx);
    return ctx;
}

}  // namespace

TEST_CASE("a new Lister plugin goes to the folder its neighbours share and is asked last" * AskedPlugins) {
    InstallScene scene(L"inst_new");
    scene.WriteIni(L"[ListerPlugins]\r\n6=%COMMANDER_PATH%\\plugins\\wlx\\Other\\other.wlx\r\n6_detect=\"EXT=\"TXT\"\"\r\n"
                   L"2=%COMMANDER_PATH%\\plugins\\wlx\\Pics\\pics.wlx\r\n2_detect=\"EXT=\"JPG\"\"\r\n");
    std::wstring file = scene.package + L"\\lister.wlx" + Suffix;
    REQUIRE(CopyInto(FakePlugin(L"lister", L"wlx"), scene.package, L"lister.wlx" + std::wstring(Suffix)));

    InstInfo info = InstAnalyze(file);
    REQUIRE(info.error.empty());
    CHECK(info.pluginName == L"lister");
    CHECK(info.kind == 0);
    CHECK(info.existing == -1);
    CHECK(info.newNumber == 7);
    CHECK(info.target == scene.tc + L"\\plugins\\wlx\\lister");
    CHECK(info.probe.status == ProbeOk);

    InstCtx ctx = Report(info);
    CHECK(ctx.extText == L"TXT; LOG");
    CHECK(ctx.extCount == 2);
    CHECK(ctx.conditions.empty());
    CHECK(ctx.report.front().kind == ReportWarning);
    CHECK(HasRow(ctx, ReportWarning, L"other"));
    CHECK_FALSE(HasRow(ctx, ReportWarning, L"pics"));
    CHECK(HasRow(ctx, ReportNote, L"becomes #7"));
    CHECK(HasRow(ctx, ReportNote, L"64 bit only"));
}

TEST_CASE("a plugin registered elsewhere under the same name is updated in its own folder" * AskedPlugins) {
    InstallScene scene(L"inst_update");
    std::wstring old = scene.dir + L"\\old";
    CreateDirectoryW(old.c_str(), nullptr);
    scene.WriteIni(L"[ListerPlugins]\r\n3=" + old + L"\\Lister.wlx\r\n3_detect=\"EXT=\"TXT\"\"\r\n");
    REQUIRE(CopyInto(FakePlugin(L"lister", L"wlx"), scene.package));

    InstInfo info = InstAnalyze(scene.package + L"\\lister.wlx" + Suffix);
    REQUIRE(info.error.empty());
    CHECK(info.existing == 0);
    CHECK(info.target == old);
    InstCtx ctx = Report(info);
    CHECK(ctx.update == 1);
    CHECK(ctx.extraLine.find(L"Already installed") == 0);
    CHECK(ctx.extraLine.find(L"(#3)") != std::wstring::npos);
    CHECK(ctx.offerKeepTake == 1);
    CHECK(HasRow(ctx, ReportNote, L"LOG"));
    CHECK(HasRow(ctx, ReportNote, Tr("in_up_own")));
}

TEST_CASE("builds of one plugin are found together; one that cannot load is reported, not refused") {
    InstallScene scene(L"inst_builds");
    WritePeStub(scene.package + L"\\x.wlx", 0x14c);
    WritePeStub(scene.package + L"\\x.wlx64", 0x8664);
    InstInfo info = InstAnalyze(scene.package + L"\\x.wlx64");
    REQUIRE(info.error.empty());
    CHECK(info.pluginFile == L"x.wlx");
    CHECK(info.files.size() == 2);
    CHECK((info.has32 && info.has64));
    CHECK(info.target == scene.tc + L"\\plugins\\wlx\\x");
    InstCtx ctx = Report(info);
    CHECK(HasRow(ctx, ReportWarning, L"could not ask the plugin"));
    CHECK_FALSE(HasRow(ctx, ReportNote, L"64 bit only"));

    DeleteFileW((scene.package + L"\\x.wlx64").c_str());
    InstInfo only32 = InstAnalyze(scene.package + L"\\x.wlx");
    CHECK(Report(only32).report.front().value == Tr("in_only32"));
}

TEST_CASE("a pluginst.inf names only files inside its package, and without a name its folder must hold one plugin") {
    InstallScene scene(L"inst_inf");
    std::wstring inf = scene.package + L"\\pluginst.inf";
    WritePeStub(scene.dir + L"\\evil.wlx", 0x8664);
    for (const wchar_t* hostile : {L"..\\evil.wlx", L"C:\\Windows\\notepad.exe", L"sub\\x.wlx"}) {
        WriteFileBytes(inf, StrToUtf8(L"[plugininstall]\r\ntype=wlx\r\nfile=" + std::wstring(hostile) + L"\r\n"));
        InstInfo info = InstAnalyze(inf);
        CHECK_MESSAGE(info.error == FillVar(Tr("in_err_infunsafe"), L"f", hostile), hostile);
        CHECK(info.files.empty());
    }
    WriteFileBytes(inf, "[plugininstall]\r\ntype=wlx\r\nfile=x.wlx64\r\n");
    CHECK(InstAnalyze(inf).error == FillVar(Tr("in_err_inffile"), L"f", L"x.wlx64"));
    WritePeStub(scene.package + L"\\x64.wlx", 0x8664);
    CHECK(InstAnalyze(inf).pluginFile == L"x64.wlx");

    WriteFileBytes(inf, "[plugininstall]\r\ntype=wlx\r\n");
    WritePeStub(scene.package + L"\\b.wdx", 0x8664);
    WritePeStub(scene.package + L"\\a.wlx", 0x8664);
    DeleteFileW((scene.package + L"\\x64.wlx").c_str());
    CHECK(InstAnalyze(inf).error == FillVar(Tr("in_err_many"), L"f", L"a.wlx, b.wdx"));
}

TEST_CASE("without TC's folder and without registered neighbours there is no target") {
    InstallScene scene(L"inst_notc");
    ScopedEnv noTc(L"COMMANDER_PATH", nullptr);
    WritePeStub(scene.package + L"\\x.wlx", 0x8664);
    InstInfo info = InstAnalyze(scene.package + L"\\x.wlx");
    CHECK(info.error == Tr("ar_notc"));
    CHECK(info.target.empty());
}

TEST_CASE("a packer offers its pluginst.inf extensions and names their owners" * AskedPlugins) {
    InstallScene scene(L"inst_packer");
    scene.WriteIni(L"[PackerPlugins]\r\nzip=279,C:\\other\\other.wcx\r\n");
    REQUIRE(CopyInto(FakePlugin(L"packer", L"wcx"), scene.package));
    WriteFileBytes(scene.package + L"\\pluginst.inf", "[plugininstall]\r\ndefaultextension=*.ZIP, abc\r\n");
    InstInfo info = InstAnalyze(scene.package + L"\\packer.wcx" + Suffix);
    REQUIRE(info.error.empty());
    InstCtx ctx = Report(info);
    CHECK(ctx.packerCaps == 12);
    REQUIRE(ctx.extChoices.size() == 2);
    CHECK(ctx.extChoices[0].ownerName == L"other");
    CHECK(ctx.extChoices[0].ownerValue == L"279,C:\\other\\other.wcx");
    CHECK(ctx.extChoices[0].checked == 0);
    CHECK(ctx.extChoices[1].checked == 1);
    CHECK(HasRow(ctx, ReportWarning, L".zip belongs to other"));
}

TEST_CASE("a packer whose pluginst.inf lists 100,000 extensions offers the first ones and says so" * AskedPlugins) {
    InstallScene scene(L"inst_packer_many");
    REQUIRE(CopyInto(FakePlugin(L"packer", L"wcx"), scene.package));
    std::string many = "[plugininstall]\r\ndefaultextension=";
    for (int i = 0; i < 100000; ++i) many.append("x").append(std::to_string(i)).append(",");
    WriteFileBytes(scene.package + L"\\pluginst.inf", many + "\r\n");
    InstInfo info = InstAnalyze(scene.package + L"\\packer.wcx" + Suffix);
    REQUIRE(info.error.empty());
    InstCtx ctx = Report(info);
    REQUIRE(ctx.extChoices.size() == kInfMaxExtensions);
    CHECK(ctx.extChoices.back().ext == L"x" + std::to_wstring(kInfMaxExtensions - 1));
    CHECK(HasRow(ctx, ReportWarning, L"pluginst.inf lists 100000 extensions \u2013 only the first 100 are offered"));
}

TEST_CASE("a file-system plugin takes its root name, and a name in use is reported" * AskedPlugins) {
    InstallScene scene(L"inst_fs");
    scene.WriteIni(L"[FileSystemPlugins]\r\nfake root=C:\\x\\y.wfx\r\n");
    REQUIRE(CopyInto(FakePlugin(L"fs", L"wfx"), scene.package));
    InstInfo info = InstAnalyze(scene.package + L"\\fs.wfx" + Suffix);
    InstCtx ctx = Report(info);
    CHECK(ctx.fsName == L"Fake Root");
    CHECK(HasRow(ctx, ReportWarning, L"name already used by fake root"));
}

TEST_CASE("a packer line taken over keeps the value its own line holds, however its path is spelled") {
    InstallScene scene(L"inst_owner_lines");
    scene.WriteIni(L"[PackerPlugins]\r\nzip=279,%COMMANDER_PATH%\\plugins\\wcx\\other\\other.wcx\r\nabc=31," + scene.tc +
                   L"\\plugins\\wcx\\other\\other.wcx\r\n");
    InstInfo info;
    info.kind = 2;
    info.pluginName = L"packer";
    info.entries = LoadPluginSection(2).entries;
    REQUIRE(info.entries.size() == 1);
    info.inf.extensions = {L"abc", L"zip"};
    InstCtx ctx = Report(info);
    REQUIRE(ctx.extChoices.size() == 2);
    CHECK(ctx.extChoices[0].ownerValue == L"31," + scene.tc + L"\\plugins\\wcx\\other\\other.wcx");
    CHECK(ctx.extChoices[1].ownerValue == L"279,%COMMANDER_PATH%\\plugins\\wcx\\other\\other.wcx");
}

TEST_CASE("the conditions of a detect string count only outside its quoted texts") {
    InstInfo info;
    info.kind = 0;
    info.pluginName = L"viewer";
    info.probe.status = ProbeOk;
    auto conditions = [&](const std::wstring& detect) {
        info.probe.answer = detect;
        return Report(info).conditions;
    };
    CHECK(conditions(L"EXT=\"INI\" & FIND(\"[INFO]\")") == Tr("in_c_find"));
    CHECK(conditions(L"EXT=\"TXT\" | EXT=\"SIZE [1]\"") == L"");
    CHECK(conditions(L"[0]=77 & SIZE>10") == Tr("in_c_size") + L"  \u00b7  " + Tr("in_c_head"));
}
