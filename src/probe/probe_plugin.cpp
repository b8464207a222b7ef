#include "probe/probe_plugin.h"

#include <windows.h>

#include <cstdio>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "probe_record/pe.h"
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

std::wstring FailureText(const ChildRun& run, const std::wstring& firstLine, uint32_t timeoutMs) {
    if (run.timedOut) return FillVar(Tr("why_timeout"), L"s", ULong(timeoutMs / 1000));
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
void ReportUnloadable(ProbeResult& result, const std::wstring& path, bool is32Bit) {
    std::wstring file = FileExists(path) ? path : path + L"64";
    result.version = FileVersionText(path, false);
    ReadExports(result, file);
    if (is32Bit) {
        result.status = Probe32Bit;
        result.is32Bit = 1;
        DebugLog(L"probe " + path + L"  -> 32-bit only, not loaded (no Kestrovane32.exe)");
        return;
    }
    // An Arm64 or broken file is no 32-bit plugin; calling it one would send the
    // user looking for a twin that cannot help.
    result.status = ProbeError;
    result.errorText = NoPluginMachineText(path);
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

void ReadProbeOutput(ProbeResult& result, const ChildRun& run, uint32_t timeoutMs) {
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
        result.errorText = FailureText(run, firstLine, timeoutMs);
    }
}

void ProbePlugin(ProbeResult& result, const std::wstring& path, int kind, bool force,
                 const ChildSettings& settings) {
    result = ProbeResult{};
    LoadableFile file = FindLoadableFile(path);
    if (!file.anyFile) {
        result.status = ProbeMissing;
        DebugLog(L"probe " + path + L"  -> no plugin file");
        return;
    }
    // File-system plugins never go to the twin: TC would not load them that way either.
    bool viaTwin = file.is32Bit && kind != KindFileSystem && !settings.twinExe.empty();
    if (file.path.empty() || (file.is32Bit && !viaTwin)) {
        ReportUnloadable(result, path, file.is32Bit);
        return;
    }
    const std::wstring& dll = file.path;
    result.is32Bit = file.is32Bit;
    result.version = FileVersionText(dll, false);
    ReadExports(result, dll);
    if (kind == KindFileSystem && !force) {
        result.status = ProbeOk;
        DebugLog(L"probe " + dll + L"  -> file system plugin, exports only");
        return;
    }
    DWORD started = GetTickCount();
    ChildRun run;
    RunChildCapture(run, {L"/probe", dll, std::wstring(1, PlugKindLetter(kind))}, PathDir(dll), settings.timeoutMs, viaTwin ? settings.twinExe : L"");
    if (!run.started) {
        // The plugin was never asked: nothing is known of it, and the user must not read otherwise.
        result.status = ProbeError;
        result.notStarted = 1;
        result.errorText = ChildStartFailureText(run);
        DebugLog(L"probe " + dll + L"  -> not asked: " + result.errorText);
        return;
    }
    ReadProbeOutput(result, run, settings.timeoutMs);
    LogProbe(result, dll, viaTwin, started, run);
}
