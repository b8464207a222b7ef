// ProbePlugin end to end: the test program is the child copy, and a copy of the
// 32-bit build's Kestrovane32.exe beside it is the twin.
#include <windows.h>

#include <doctest/doctest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "probe/fields.h"
#include "probe/probe_plugin.h"
#include "probe_test_support.h"
#include "support/test_support.h"

namespace {

// The configured form of a fake: the path without "64", as wincmd.ini names it.
std::wstring Configured(const std::wstring& name, const std::wstring& ext) {
    std::wstring file = FakePlugin(name, ext);
    return file.ends_with(L"64") ? file.substr(0, file.size() - 2) : file;
}

ProbeResult Probe(const std::wstring& path, int kind, bool force = false) {
    ProbeResult result;
    ProbePlugin(result, path, kind, force);
    return result;
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

}  // namespace

TEST_CASE("ProbePlugin turns each plugin's behaviour into its status" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    struct Case {
        const wchar_t* name;
        const wchar_t* ext;
        int kind;
        bool force;
        int status;
        std::wstring answer;
        int kindMask;
        std::wstring errorText;
    };
    const Case cases[] = {
        {L"lister", L"wlx", 0, false, ProbeOk, L"EXT=\"TXT\" | EXT=\"LOG\"", 1, L""},
        {L"lister_empty", L"wlx", 0, false, ProbeNoExport, L"", 1, L""},
        {L"lister_blank", L"wlx", 0, false, ProbeNoExport, L"", 1, L""},
        {L"content", L"wdx", 1, false, ProbeOk, L"EXT=\"JPG\" & SIZE>100", 2, L""},
        {L"packer", L"wcx", 2, false, ProbeOk, L"12", 4, L""},
        {L"fs", L"wfx", 3, false, ProbeOk, L"", 8, L""},
        {L"fs", L"wfx", 3, true, ProbeOk, L"Fake Root", 8, L""},
        {L"content", L"wdx", 0, false, ProbeNoExport, L"", 2, L""},
        {L"lister_unload", L"wlx", 0, false, ProbeOk, L"EXT=\"TXT\" | EXT=\"LOG\"", 1, L""},
        {L"crash", L"wlx", 0, false, ProbeError, L"", 1, L"crashed while being queried"},
        {L"failattach", L"wlx", 0, false, ProbeError, L"", 1, L"could not be loaded (Windows error 1114)"},
        {L"missingdep", L"wlx", 0, false, ProbeError, L"", 1,
         L"could not be loaded (Windows error 126) \u2013 a DLL it needs is missing"},
        {L"print", L"wlx", 0, false, ProbeError, L"", 1, L"ended without an answer (code 0)"},
        {L"hang", L"wlx", 0, false, ProbeError, L"", 1, L"no answer within 2 s (Settings \u203a timeout)"},
    };
    for (const Case& c : cases) {
        CAPTURE(StrToUtf8(c.name));
        ProbeResult r = Probe(Configured(c.name, c.ext), c.kind, c.force);
        CHECK(r.status == c.status);
        CHECK(r.answer == c.answer);
        CHECK(r.kindMask == c.kindMask);
        CHECK(r.errorText == c.errorText);
        CHECK(r.is32Bit == 0);
    }
    CHECK(Probe(L"Z:\\no\\such\\plugin.wlx", 0).status == ProbeMissing);
}

TEST_CASE("a file neither x64 nor x86 is reported as what it is" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"probe_arch");
    WriteFileBytes(PathJoin(folder, L"arm.wlx64"), PeHeaderBytes(0xaa64));
    WriteFileBytes(PathJoin(folder, L"junk.wlx"), "just some text, no program");
    TwinBeside twin(true);

    ProbeResult arm = Probe(PathJoin(folder, L"arm.wlx"), 0);
    CHECK(arm.status == ProbeError);
    CHECK(arm.errorText == L"Architecture: ARM64");
    CHECK(arm.is32Bit == 0);
    ProbeResult junk = Probe(PathJoin(folder, L"junk.wlx"), 0);
    CHECK(junk.status == ProbeError);
    CHECK(junk.errorText == L"not a valid program file");
    CHECK(junk.is32Bit == 0);
}

TEST_CASE("32-bit plugins are asked through the twin beside the program" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    REQUIRE_MESSAGE(!TwinExeBuilt().empty(), "build the x86 preset first: it supplies Kestrovane32.exe");
    std::wstring folder = FreshTempDir(L"probe_twin");
    for (const wchar_t* name : {L"lister", L"crash"}) REQUIRE(CopyInto(FakePlugin32(name, L"wlx"), folder));
    REQUIRE(CopyInto(FakePlugin32(L"fs", L"wfx"), folder));
    std::wstring lister = PathJoin(folder, L"lister.wlx");

    SUBCASE("with the twin") {
        TwinBeside twin(true);
        ProbeResult r = Probe(lister, 0);
        CHECK(r.status == ProbeOk);
        CHECK(r.answer == L"EXT=\"TXT\" | EXT=\"LOG\"");
        CHECK(r.is32Bit == 1);
        ProbeResult crashed = Probe(PathJoin(folder, L"crash.wlx"), 0);
        CHECK(crashed.status == ProbeError);
        CHECK(crashed.errorText == L"crashed while being queried");
        CHECK(crashed.is32Bit == 1);
        // File-system plugins never go to the twin.
        ProbeResult fs = Probe(PathJoin(folder, L"fs.wfx"), 3, true);
        CHECK(fs.status == Probe32Bit);
        CHECK(fs.kindMask == 8);
    }
    SUBCASE("without the twin only the exports are read") {
        TwinBeside twin(false);
        ProbeResult r = Probe(lister, 0);
        CHECK(r.status == Probe32Bit);
        CHECK(r.is32Bit == 1);
        CHECK(r.kindMask == 1);
        CHECK(r.answer.empty());
    }
    SUBCASE("the 64-bit file wins when both are there") {
        TwinBeside twin(true);
        REQUIRE(CopyInto(FakePlugin(L"lister_empty", L"wlx"), folder, L"lister.wlx64"));
        ProbeResult r = Probe(lister, 0);
        CHECK(r.status == ProbeNoExport);
        CHECK(r.is32Bit == 0);
    }
}

TEST_CASE("the program itself answers /probe and /fields without a window") {
    ChildRun run;
    RunChildCapture(run, L"/PROBE \"" + FakePlugin(L"packer", L"wcx") + L"\" P", L"", 20000, ProgramExe());
    CHECK(run.output == "OK\n12");
    CHECK(run.exitCode == 0);
    RunChildCapture(run, L"/fields \"" + FakePlugin(L"failattach", L"wlx") + L"\" \"\" \"\"", L"", 20000, ProgramExe());
    CHECK(run.output == "LOADFAIL 1114\n");
    CHECK(run.exitCode == 2);
}

TEST_CASE("probe output is trusted only when the child ended cleanly") {
    struct Case {
        std::string output;
        uint32_t exitCode;
        uint8_t timedOut;
        int status;
        std::wstring answer;
        std::wstring errorText;
    };
    UseTestSettings();
    const Case cases[] = {
        {"OK\n  EXT=\"A\"\r\n", 0, 0, ProbeOk, L"EXT=\"A\"", L""},
        {"OK", 0, 0, ProbeNoExport, L"", L""},
        {"NOEXPORT\n", 0, 0, ProbeNoExport, L"", L""},
        {"LOADFAIL 193\n", 2, 0, ProbeError, L"", L"could not be loaded (Windows error 193) \u2013 wrong architecture (32/64 bit)"},
        {"OK\nEXT=\"A\"CRASH\n", 3, 0, ProbeError, L"", L"ended without an answer (code 3)"},
        {"OK\nEXT=\"A\"", 1, 1, ProbeError, L"", L"no answer within 2 s (Settings \u203a timeout)"},
        {"", 0xC0000005, 0, ProbeError, L"", L"ended without an answer (code 3221225477)"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.output);
        ChildRun run;
        run.started = 1;
        run.output = c.output;
        run.exitCode = c.exitCode;
        run.timedOut = c.timedOut;
        ProbeResult r;
        ReadProbeOutput(r, run);
        CHECK(r.status == c.status);
        CHECK(r.answer == c.answer);
        CHECK(r.errorText == c.errorText);
    }
}

TEST_CASE("RunFieldsChild asks the loadable file of a Content plugin" * doctest::skip(sizeof(void*) != 8)) {
    UseTestSettings();
    std::wstring folder = FreshTempDir(L"fields_files");
    REQUIRE(CopyInto(FakePlugin32(L"content", L"wdx"), folder));
    WriteFileBytes(PathJoin(folder, L"arm.wdx64"), PeHeaderBytes(0xaa64));
    auto ask = [](const std::wstring& path, const std::wstring& file) {
        PvPlugin row, result;
        row.path = path;
        row.name = L"kept";
        RunFieldsChild(result, row, file);
        CHECK(result.name == L"kept");
        return result;
    };

    PvPlugin direct = ask(Configured(L"content", L"wdx"), L"C:\\x.jpg");
    CHECK(direct.state == PvAnsweredOk);
    CHECK(direct.fields.size() == 17);
    CHECK(direct.fields[0].values.size() == 1);
    {
        TwinBeside twin(true);
        PvPlugin via32 = ask(PathJoin(folder, L"content.wdx"), L"");
        CHECK(via32.state == PvAnsweredOk);
        CHECK(via32.fields.size() == 17);
    }
    {
        TwinBeside twin(false);
        CHECK(ask(PathJoin(folder, L"content.wdx"), L"").state == PvOnly32Bit);
    }
    PvPlugin arm = ask(PathJoin(folder, L"arm.wdx"), L"");
    CHECK(arm.state == PvLoadFailure);
    CHECK(arm.error == L"193");
    CHECK(ask(PathJoin(folder, L"none.wdx"), L"").state == PvFileMissing);
}
