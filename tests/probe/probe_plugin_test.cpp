// ProbePlugin and RunFieldsChild end to end: the test program is the child copy,
// and a copy of the 32-bit build's Kestrovane32.exe beside it is the twin.
#include "probe/probe_plugin.h"
#include "probe_test_support.h"

namespace {

// Status word, answer and error text, and "32" for a plugin that is only 32-bit.
std::wstring Text(const ProbeResult& r) {
    return ProbeStatusWord(r.status) + (L"|" + r.answer) + L"|" + r.errorText + (r.is32Bit ? L"|32" : L"");
}

ProbeResult Probe(const std::wstring& path, int kind, bool force = false) {
    ProbeResult r;
    ProbePlugin(r, path, kind, force, CurrentChildSettings());
    return r;
}

std::wstring ProbeIni(const wchar_t* file) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"Kestrovane_probe\\" + file;
}

// Puts the twin beside the test program for the scope, as it lies beside the program.
struct TwinBeside {
    std::wstring path = PathJoin(AppDir(), L"Kestrovane32.exe");
    explicit TwinBeside(bool present) {
        DeleteFileW(path.c_str());
        if (present) CopyFileW(TwinExeBuilt().c_str(), path.c_str(), FALSE);
    }
    ~TwinBeside() { DeleteFileW(path.c_str()); }
};

const std::wstring Lister = L"ok|EXT=\"TXT\" | EXT=\"LOG\"|", Crashed = L"error||crashed while being queried";
const std::wstring TimedOut = L"error||no answer within 2 s (Settings \u203a timeout)";

}  // namespace

TEST_CASE("each plugin's behaviour becomes its probe status" * doctest::test_suite("64-bit")) {
    UseTestSettings();
    const std::tuple<const wchar_t*, const wchar_t*, int, bool, std::wstring> cases[] = {
        {L"lister", L"wlx", 0, false, Lister},
        {L"lister_empty", L"wlx", 0, false, L"noexport||"},
        {L"lister_blank", L"wlx", 0, false, L"noexport||"},
        {L"content", L"wdx", 1, false, L"ok|EXT=\"JPG\" & SIZE>100|"},
        {L"packer", L"wcx", 2, false, L"ok|12|"},
        {L"fs", L"wfx", 3, false, L"ok||"},
        {L"fs", L"wfx", 3, true, L"ok|Fake Root|"},
        {L"content", L"wdx", 0, false, L"noexport||"},
        // Printing and crashing while being unloaded must not touch the answer.
        {L"lister_unload", L"wlx", 0, false, Lister},
        {L"record", L"wlx", 0, false, L"ok|L size=272 version=2.13 ini=" + ProbeIni(L"lsplugin.ini") + L"|"},
        {L"record", L"wlx", 1, false, L"ok|C size=272 version=2.12 ini=" + ProbeIni(L"contplug.ini") + L"|"},
        {L"record", L"wlx", 2, false, L"ok|27221|"},
        {L"crash", L"wlx", 0, false, Crashed},
        {L"failattach", L"wlx", 0, false, L"error||could not be loaded (Windows error 1114)"},
        {L"missingdep", L"wlx", 0, false, L"error||could not be loaded (Windows error 126) \u2013 a DLL it needs is missing"},
        {L"print", L"wlx", 0, false, L"error||ended without an answer (code 0)"},
        {L"hang", L"wlx", 0, false, TimedOut},
    };
    for (const auto& [name, ext, kind, force, want] : cases) {
        CAPTURE(StrToUtf8(name));
        CHECK(Text(Probe(Configured(name, ext), kind, force)) == want);
    }
    CHECK(Text(Probe(L"Z:\\no\\such\\plugin.wlx", 0)) == L"missing||");
    CHECK(Probe(Configured(L"fs", L"wfx"), 3).kindMask == 8);
}

TEST_CASE("32-bit plugins go through the twin; other machines are named" * doctest::test_suite("64-bit")) {
    UseTestSettings();
    REQUIRE_MESSAGE(!TwinExeBuilt().empty(), "build the x86 preset first: it supplies Kestrovane32.exe");
    std::wstring folder = FreshTempDir(L"probe_twin");
    for (const wchar_t* name : {L"lister", L"crash"}) REQUIRE(CopyInto(FakePlugin32(name, L"wlx"), folder));
    REQUIRE((CopyInto(FakePlugin32(L"fs", L"wfx"), folder) && CopyInto(FakePlugin32(L"content", L"wdx"), folder)));
    WriteFileBytes(PathJoin(folder, L"arm.wlx64"), PeHeaderBytes(0xaa64));
    WriteFileBytes(PathJoin(folder, L"arm.wdx64"), PeHeaderBytes(0xaa64));
    WriteFileBytes(PathJoin(folder, L"junk.wlx"), "just some text, no program");
    std::wstring lister = PathJoin(folder, L"lister.wlx");
    auto fields = [](const std::wstring& path) {  // RunFieldsChild asks the loadable file of a Content plugin
        PvPlugin row, result;
        row.path = path;
        row.name = L"kept";
        RunFieldsChild(result, row, L"C:\\x.jpg", CurrentChildSettings());
        CHECK(result.name == L"kept");
        return result;
    };
    SUBCASE("with the twin") {
        TwinBeside twin(true);
        CHECK(Text(Probe(lister, 0)) == Lister + L"|32");
        CHECK(Text(Probe(PathJoin(folder, L"crash.wlx"), 0)) == Crashed + L"|32");
        // File-system plugins never go to the twin.
        CHECK(Text(Probe(PathJoin(folder, L"fs.wfx"), 3, true)) == L"32bit|||32");
        // Neither x64 nor x86: no twin can help, so it is not called 32-bit.
        CHECK(Text(Probe(PathJoin(folder, L"arm.wlx"), 0)) == L"error||Architecture: ARM64");
        CHECK(Text(Probe(PathJoin(folder, L"junk.wlx"), 0)) == L"error||not a valid program file");
        CHECK(fields(PathJoin(folder, L"content.wdx")).fields.size() == 17);
        PvPlugin arm = fields(PathJoin(folder, L"arm.wdx"));
        CHECK((arm.state == PvLoadFailure && arm.error == L"193"));
        PvPlugin direct = fields(Configured(L"content", L"wdx"));
        CHECK((direct.state == PvAnsweredOk && direct.fields.size() == 17));
        CHECK(fields(PathJoin(folder, L"none.wdx")).state == PvFileMissing);
    }
    SUBCASE("without the twin only the exports are read") {
        TwinBeside twin(false);
        ProbeResult r = Probe(lister, 0);
        CHECK((Text(r) == L"32bit|||32" && r.kindMask == 1));
        CHECK(fields(PathJoin(folder, L"content.wdx")).state == PvOnly32Bit);
    }
    SUBCASE("the 64-bit file wins when both are there") {
        TwinBeside twin(true);
        REQUIRE(CopyInto(FakePlugin(L"lister_empty", L"wlx"), folder, L"lister.wlx64"));
        CHECK(Text(Probe(lister, 0)) == L"noexport||");
    }
}

TEST_CASE("the program itself answers /probe and /fields without a window") {
    ChildRun run = RunSelf({L"/PROBE", FakePlugin(L"packer", L"wcx"), L"P"}, 20000, ProgramExe());
    CHECK((run.output == "OK\n12" && run.exitCode == 0));
    run = RunSelf({L"/fields", FakePlugin(L"failattach", L"wlx"), L"", L""}, 20000, ProgramExe());
    CHECK((run.output == "LOADFAIL 1114\n" && run.exitCode == 2));
}

TEST_CASE("probe output is trusted only when the child ended cleanly") {
    UseTestSettings();
    const std::tuple<std::string, uint32_t, uint8_t, std::wstring> cases[] = {
        {"OK\n  EXT=\"A\"\r\n", 0, 0, L"ok|EXT=\"A\"|"},
        {"OK", 0, 0, L"noexport||"},
        {"LOADFAIL 193\n", 2, 0, L"error||could not be loaded (Windows error 193) \u2013 wrong architecture (32/64 bit)"},
        {"OK\nEXT=\"A\"CRASH\n", 3, 0, L"error||ended without an answer (code 3)"},
        {"OK\nEXT=\"A\"", 1, 1, TimedOut},
    };
    for (const auto& [output, exitCode, timedOut, want] : cases) {
        CAPTURE(output);
        ProbeResult r;
        ReadProbeOutput(r, ChildRun{1, timedOut, exitCode, output, L"", 0}, 2000);
        CHECK(Text(r) == want);
    }
}

TEST_CASE("an answer with a line break inside is kept to be shown, but is no detect string to write") {
    ProbeResult r;
    ReadProbeOutput(r, ChildRun{1, 0, 0, "OK\nEXT=\"TXT\"\r\n[Configuration]\r\nEditor=evil.exe\r\n", L"", 0}, 2000);
    CHECK(r.status == ProbeOk);
    CHECK(r.answer == L"EXT=\"TXT\"\r\n[Configuration]\r\nEditor=evil.exe");
    CHECK_FALSE(ProbeAnswerUsable(r.status, r.answer));
    CHECK(ProbeAnswerUsable(ProbeOk, L"EXT=\"TXT\""));
    CHECK(ProbeAnswerUsable(ProbeOk, L"EXT=\"TXT\"\t| EXT=\"LOG\""));  // a tab breaks no line
    CHECK_FALSE(ProbeAnswerUsable(ProbeNoExport, L""));
}

TEST_CASE("a child that cannot be started is told as such, never as the plugin's failure" * doctest::test_suite("64-bit")) {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"probe_nostart");
    WriteFileBytes(PathJoin(folder, L"old.wlx"), PeHeaderBytes(0x14c));
    WriteFileBytes(PathJoin(folder, L"old.wdx"), PeHeaderBytes(0x14c));
    ChildSettings settings = CurrentChildSettings();
    settings.twinExe = PathJoin(folder, L"Kestrovane32.exe");  // named, but not there
    const std::wstring why = L"the program could not start its child process: CreateProcessW failed (Windows error 2)";
    ProbeResult r;
    ProbePlugin(r, PathJoin(folder, L"old.wlx"), 0, false, settings);
    CHECK((Text(r) == L"error||" + why + L"|32" && r.notStarted == 1));
    PvPlugin row, result;
    row.path = PathJoin(folder, L"old.wdx");
    RunFieldsChild(result, row, L"C:\\x.jpg", settings);
    CHECK((result.state == PvNotStarted && result.error == why));
}
