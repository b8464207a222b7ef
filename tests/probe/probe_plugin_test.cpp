// ProbePlugin and RunFieldsChild end to end: the test program is the child copy,
// and a copy of the 32-bit build's Kestrovane32.exe beside it is the twin.
#include "probe/fields.h"
#include "probe/probe_plugin.h"
#include "probe_test_support.h"

namespace {

struct Want {
    int status;
    std::wstring answer, errorText;
    uint8_t is32Bit = 0;
};

void CheckResult(const ProbeResult& r, const Want& want) {
    CHECK(r.status == want.status);
    CHECK(r.answer == want.answer);
    CHECK(r.errorText == want.errorText);
    CHECK(r.is32Bit == want.is32Bit);
}

ProbeResult Probe(const std::wstring& path, int kind, bool force = false) {
    CAPTURE(path);
    ProbeResult r;
    ProbePlugin(r, path, kind, force);
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

const std::wstring ListerAnswer = L"EXT=\"TXT\" | EXT=\"LOG\"", Crashed = L"crashed while being queried";
const std::wstring TimedOut = L"no answer within 2 s (Settings \u203a timeout)";

}  // namespace

TEST_CASE("each plugin's behaviour becomes its probe status" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    const std::tuple<const wchar_t*, const wchar_t*, int, bool, Want> cases[] = {
        {L"lister", L"wlx", 0, false, {ProbeOk, ListerAnswer, L""}},
        {L"lister_empty", L"wlx", 0, false, {ProbeNoExport, L"", L""}},
        {L"lister_blank", L"wlx", 0, false, {ProbeNoExport, L"", L""}},
        {L"content", L"wdx", 1, false, {ProbeOk, L"EXT=\"JPG\" & SIZE>100", L""}},
        {L"packer", L"wcx", 2, false, {ProbeOk, L"12", L""}},
        {L"fs", L"wfx", 3, false, {ProbeOk, L"", L""}},
        {L"fs", L"wfx", 3, true, {ProbeOk, L"Fake Root", L""}},
        {L"content", L"wdx", 0, false, {ProbeNoExport, L"", L""}},
        // Printing and crashing while being unloaded must not touch the answer.
        {L"lister_unload", L"wlx", 0, false, {ProbeOk, ListerAnswer, L""}},
        {L"record", L"wlx", 0, false, {ProbeOk, L"L size=272 version=2.13 ini=" + ProbeIni(L"lsplugin.ini"), L""}},
        {L"record", L"wlx", 1, false, {ProbeOk, L"C size=272 version=2.12 ini=" + ProbeIni(L"contplug.ini"), L""}},
        {L"record", L"wlx", 2, false, {ProbeOk, L"27221", L""}},
        {L"crash", L"wlx", 0, false, {ProbeError, L"", Crashed}},
        {L"failattach", L"wlx", 0, false, {ProbeError, L"", L"could not be loaded (Windows error 1114)"}},
        {L"missingdep", L"wlx", 0, false,
         {ProbeError, L"", L"could not be loaded (Windows error 126) \u2013 a DLL it needs is missing"}},
        {L"print", L"wlx", 0, false, {ProbeError, L"", L"ended without an answer (code 0)"}},
        {L"hang", L"wlx", 0, false, {ProbeError, L"", TimedOut}},
    };
    for (const auto& [name, ext, kind, force, want] : cases) CheckResult(Probe(Configured(name, ext), kind, force), want);
    CheckResult(Probe(L"Z:\\no\\such\\plugin.wlx", 0), {ProbeMissing, L"", L""});
    CHECK(Probe(Configured(L"fs", L"wfx"), 3).kindMask == 8);
}

TEST_CASE("32-bit plugins go through the twin; other machines are named" * doctest::skip(sizeof(void*) != 8)) {
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
        RunFieldsChild(result, row, L"C:\\x.jpg");
        CHECK(result.name == L"kept");
        return result;
    };
    SUBCASE("with the twin") {
        TwinBeside twin(true);
        CheckResult(Probe(lister, 0), {ProbeOk, ListerAnswer, L"", 1});
        CheckResult(Probe(PathJoin(folder, L"crash.wlx"), 0), {ProbeError, L"", Crashed, 1});
        // File-system plugins never go to the twin.
        CheckResult(Probe(PathJoin(folder, L"fs.wfx"), 3, true), {Probe32Bit, L"", L"", 1});
        // Neither x64 nor x86: no twin can help, so it is not called 32-bit.
        CheckResult(Probe(PathJoin(folder, L"arm.wlx"), 0), {ProbeError, L"", L"Architecture: ARM64"});
        CheckResult(Probe(PathJoin(folder, L"junk.wlx"), 0), {ProbeError, L"", L"not a valid program file"});
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
        CheckResult(r, {Probe32Bit, L"", L"", 1});
        CHECK(r.kindMask == 1);
        CHECK(fields(PathJoin(folder, L"content.wdx")).state == PvOnly32Bit);
    }
    SUBCASE("the 64-bit file wins when both are there") {
        TwinBeside twin(true);
        REQUIRE(CopyInto(FakePlugin(L"lister_empty", L"wlx"), folder, L"lister.wlx64"));
        CheckResult(Probe(lister, 0), {ProbeNoExport, L"", L""});
    }
}

TEST_CASE("the program itself answers /probe and /fields without a window") {
    ChildRun run = RunSelf(L"/PROBE \"" + FakePlugin(L"packer", L"wcx") + L"\" P", 20000, ProgramExe());
    CHECK((run.output == "OK\n12" && run.exitCode == 0));
    run = RunSelf(L"/fields \"" + FakePlugin(L"failattach", L"wlx") + L"\" \"\" \"\"", 20000, ProgramExe());
    CHECK((run.output == "LOADFAIL 1114\n" && run.exitCode == 2));
}

TEST_CASE("probe output is trusted only when the child ended cleanly") {
    UseTestSettings();
    const std::tuple<std::string, uint32_t, uint8_t, Want> cases[] = {
        {"OK\n  EXT=\"A\"\r\n", 0, 0, {ProbeOk, L"EXT=\"A\"", L""}},
        {"OK", 0, 0, {ProbeNoExport, L"", L""}},
        {"LOADFAIL 193\n", 2, 0,
         {ProbeError, L"", L"could not be loaded (Windows error 193) \u2013 wrong architecture (32/64 bit)"}},
        {"OK\nEXT=\"A\"CRASH\n", 3, 0, {ProbeError, L"", L"ended without an answer (code 3)"}},
        {"OK\nEXT=\"A\"", 1, 1, {ProbeError, L"", TimedOut}},
    };
    for (const auto& [output, exitCode, timedOut, want] : cases) {
        CAPTURE(output);
        ProbeResult r;
        ReadProbeOutput(r, ChildRun{1, timedOut, exitCode, output});
        CheckResult(r, want);
    }
}
