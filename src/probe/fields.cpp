// The parent side of /fields: starts the child and reads its lines.
#include "probe/fields.h"

#include <string_view>

#include "foundation/encoding.h"
#include "foundation/text.h"
#include "hostcfg/plugin_files.h"

namespace {

int Number(std::string_view column) { return StrToInt(Utf8ToWide(column)); }

std::vector<std::wstring> UnitList(std::string_view column) {
    std::vector<std::wstring> units;
    if (column.empty()) return units;
    for (std::string_view unit : SplitViews(column, '|')) units.push_back(Utf8ToWide(unit));
    return units;
}

void TakeFieldLine(PvPlugin& result, const std::vector<std::string_view>& columns) {
    if (columns.size() < 5) return;
    if (columns[0] == "F") {
        FieldDef field;
        field.index = Number(columns[1]);
        field.type = Number(columns[2]);
        field.name = Utf8ToWide(columns[3]);
        field.units = UnitList(columns[4]);
        result.fields.push_back(std::move(field));
    } else if (columns[0] == "V") {
        int index = Number(columns[1]);
        for (FieldDef& field : result.fields) {
            if (field.index != index) continue;
            field.values.push_back({Number(columns[3]), Utf8ToWide(columns[4])});
            return;
        }
    }
}

// Windows' own word for a file that is no program for this machine.
constexpr const wchar_t* BadExeFormat = L"193";

uint32_t FieldsTimeoutMs(uint32_t probeTimeoutMs) {
    uint32_t twice = 2u * probeTimeoutMs;
    return twice < 10000 ? 10000 : twice;
}

}  // namespace

void RunFieldsChild(PvPlugin& result, const PvPlugin& row, const std::wstring& file, const ChildSettings& settings) {
    result = row;
    LoadableFile dll = FindLoadableFile(row.path);
    if (dll.path.empty()) {
        // Neither x64 nor x86 (Arm64, damaged): no twin could load it either.
        result.state = dll.anyFile ? PvLoadFailure : PvFileMissing;
        if (dll.anyFile) result.error = BadExeFormat;
        return;
    }
    if (dll.is32Bit && settings.twinExe.empty()) {
        result.state = PvOnly32Bit;
        return;
    }
    ChildRun run;
    RunChildCapture(run, {L"/fields", dll.path, file, settings.contplugIni}, PathDir(dll.path), FieldsTimeoutMs(settings.timeoutMs),
                    dll.is32Bit ? settings.twinExe : L"");
    if (!run.started) {
        result.state = PvNotStarted;
        result.error = ChildStartFailureText(run);
        return;
    }
    ParseFieldsOutput(result, run);
}

void ParseFieldsOutput(PvPlugin& result, const ChildRun& run) {
    // A row asked again starts afresh, so no field is listed twice.
    result.fields.clear();
    result.error.clear();
    bool okSeen = false, endSeen = false;
    for (std::string_view line : SplitViews(std::string_view(run.output), '\n')) {
        if (line == "OK") {
            okSeen = true;
        } else if (line == "END") {
            endSeen = true;
        } else if (line == "NOEXPORT") {
            result.state = PvNotContent;
            return;
        } else if (line.starts_with("LOADFAIL")) {
            result.state = PvLoadFailure;
            result.error = Utf8ToWide(line.substr(line.size() > 9 ? 9 : line.size()));
            return;
        } else if (line != "CRASH") {
            TakeFieldLine(result, SplitViews(line, '\t'));
        }
    }
    // A list that reached "END" is complete even when the child was slow to go.
    if (okSeen && endSeen)
        result.state = PvAnsweredOk;
    else
        result.state = run.timedOut ? PvTimeLimit : PvCrashed;
}
