// The parent side of /fields: starts the child and reads its lines.
#include "probe/fields.h"

#include <string_view>

#include "foundation/data_folder.h"
#include "foundation/encoding.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/tc_discovery.h"

namespace {

std::vector<std::string_view> SplitBytes(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

int Number(std::string_view column) { return StrToInt(Utf8ToWide(column)); }

std::vector<std::wstring> UnitList(std::string_view column) {
    std::vector<std::wstring> units;
    if (column.empty()) return units;
    for (std::string_view unit : SplitBytes(column, '|')) units.push_back(Utf8ToWide(unit));
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

uint32_t FieldsTimeoutMs() {
    uint32_t twice = 2u * static_cast<uint32_t>(ProbeTimeoutMs());
    return twice < 10000 ? 10000 : twice;
}

}  // namespace

void RunFieldsChild(PvPlugin& result, const PvPlugin& row, const std::wstring& file) {
    result = row;
    bool someFile = false;
    std::wstring dll = Find64BitPluginFile(row.path, someFile);
    std::wstring exe;
    if (dll.empty() && someFile) {
        std::wstring file32 = Find32BitPluginFile(row.path);
        if (file32.empty()) {
            // Neither x64 nor x86 (Arm64, damaged): no twin could load it either.
            result.state = PvLoadFailure;
            result.error = BadExeFormat;
            return;
        }
        exe = TwinExePath();
        if (!exe.empty()) dll = file32;
    }
    if (dll.empty()) {
        result.state = someFile ? PvOnly32Bit : PvFileMissing;
        return;
    }
    std::wstring ini = PathJoin(PathDir(WincmdIniPath), L"contplug.ini");
    std::wstring args = L"/fields " + Quote(dll) + L" " + Quote(file) + L" " + Quote(ini);
    ChildRun run;
    RunChildCapture(run, args, PathDir(dll), FieldsTimeoutMs(), exe);
    if (!run.started) {
        result.state = PvLoadFailure;
        return;
    }
    ParseFieldsOutput(result, run);
}

void ParseFieldsOutput(PvPlugin& result, const ChildRun& run) {
    bool okSeen = false, endSeen = false;
    for (std::string_view line : SplitBytes(run.output, '\n')) {
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
            TakeFieldLine(result, SplitBytes(line, '\t'));
        }
    }
    // A list that reached "END" is complete even when the child was slow to go.
    if (okSeen && endSeen)
        result.state = PvAnsweredOk;
    else
        result.state = run.timedOut ? PvTimeLimit : PvCrashed;
}
