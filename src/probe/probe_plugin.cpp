#include "probe/probe_plugin.h"

#include <windows.h>

#include <cstdio>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "probe/pe.h"
#include "probe/plugin_info.h"

namespace {

std::wstring FirstLine(const std::string& output) { return AnsiToWide(output.substr(0, output.find('\n'))); }

std::wstring ULong(unsigned long n) { return std::to_wstring(n); }

std::wstring LoadFailText(const std::wstring& firstLine) {
    unsigned long code = static_cast<unsigned long>(StrToInt(firstLine.substr(8)));
    std::wstring text = FillVar(Tr("why_load"), L"n", ULong(code));
    if (code == 126) text += L" \u2013 " + Tr("why_126");
    if (code == 193) text += L" \u2013 " + Tr("why_193");
    return text;
}

std::wstring FailureText(const ChildRun& run, const std::wstring& firstLine) {
    if (run.timedOut) return FillVar(Tr("why_timeout"), L"s", ULong(ProbeTimeoutMs() / 1000));
    if (firstLine.starts_with(L"LOADFAIL")) return LoadFailText(firstLine);
    if (firstLine == L"CRASH") return Tr("why_crash");
    return FillVar(Tr("why_exit"), L"n", ULong(run.exitCode));
}

void ReadExports(ProbeResult& result, const std::wstring& file) {
    PeInfo pe;
    ReadPeExports(pe, file);
    if (pe.valid) result.kindMask = PluginKindMaskOf(pe.exports);
}

// No x64 file to load and no way through the twin: say what the file really is.
void ReportUnloadable(ProbeResult& result, const std::wstring& path) {
    std::wstring file = FileExists(path) ? path : path + L"64";
    result.version = FileVersionText(path, false);
    ReadExports(result, file);
    if (!Find32BitPluginFile(path).empty()) {
        result.status = Probe32Bit;
        result.is32Bit = 1;
        DebugLog(L"probe " + path + L"  -> 32-bit only, not loaded (no Kestrovane32.exe)");
        return;
    }
    // An Arm64 or broken file is no 32-bit plugin; calling it one would send the
    // user looking for a twin that cannot help.
    uint16_t machine = PeMachine(file);
    result.status = ProbeError;
    result.errorText = machine ? Tr("info_arch") + L": " + MachineText(machine) : Tr("info_notpe");
    DebugLog(L"probe " + path + L"  -> " + result.errorText + L", not loaded");
}

void LogProbe(const ProbeResult& result, const std::wstring& dll, bool viaTwin, DWORD started,
              const ChildRun& run) {
    if (!DebugLogOn) return;
    std::wstring firstLine;
    for (char c : run.output.substr(0, run.output.find('\n')))
        firstLine += static_cast<wchar_t>(static_cast<unsigned char>(c));
    DebugLog(L"probe " + dll + (viaTwin ? L" [32]" : L"") + L"  -> " + ProbeStatusWord(result.status) +
             L"  " + ULong(GetTickCount() - started) + L" ms, exit " + ULong(run.exitCode) +
             (run.timedOut ? L", TIMEOUT" : L"") + L", answer '" + firstLine + L"', version '" +
             result.version + L"'");
}

}  // namespace

void ReadProbeOutput(ProbeResult& result, const ChildRun& run) {
    std::wstring firstLine = FirstLine(run.output);
    // The child ends itself with 0 right after its answer; any other end means
    // something ran after it, and then the answer cannot be trusted whole.
    bool clean = run.exitCode == 0 && !run.timedOut;
    if (clean && firstLine == L"OK") {
        size_t lf = run.output.find('\n');
        std::string_view answer = lf == std::string::npos ? "" : std::string_view(run.output).substr(lf + 1);
        result.answer = StrTrim(AnsiToWide(answer));
        result.status = result.answer.empty() ? ProbeNoExport : ProbeOk;
    } else if (clean && firstLine == L"NOEXPORT") {
        result.status = ProbeNoExport;
    } else {
        result.status = ProbeError;
        result.errorText = FailureText(run, firstLine);
    }
}

void ProbePlugin(ProbeResult& result, const std::wstring& path, int kind, bool force) {
    result = ProbeResult{};
    if (!FileExists(path) && !FileExists(path + L"64")) {
        result.status = ProbeMissing;
        return;
    }
    bool someFile = false;
    std::wstring dll = Find64BitPluginFile(path, someFile);
    std::wstring exe;
    if (dll.empty()) {
        std::wstring twin = TwinExePath();
        std::wstring file32 = kind != 3 && !twin.empty() ? Find32BitPluginFile(path) : L"";
        if (file32.empty()) {
            if (someFile) {
                ReportUnloadable(result, path);
            } else {
                result.status = ProbeMissing;
                DebugLog(L"probe " + path + L"  -> no loadable file");
            }
            return;
        }
        dll = file32;
        exe = twin;
        result.is32Bit = 1;
    }
    result.version = FileVersionText(dll, false);
    ReadExports(result, dll);
    if (kind == 3 && !force) {
        result.status = ProbeOk;
        DebugLog(L"probe " + dll + L"  -> file system plugin, exports only");
        return;
    }
    DWORD started = GetTickCount();
    std::wstring args = L"/probe " + Quote(dll) + L" " + PlugKindLetter(kind);
    ChildRun run;
    RunChildCapture(run, args, PathDir(dll), ProbeTimeoutMs(), exe);
    if (!run.started) {
        result.status = ProbeError;
        return;
    }
    ReadProbeOutput(result, run);
    LogProbe(result, dll, !exe.empty(), started, run);
}
