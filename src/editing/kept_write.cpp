#include "editing/save_writers.h"

#include <algorithm>
#include <unordered_set>

#include "foundation/files.h"
#include "foundation/ini_value_check.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

namespace {

bool SameKept(const KeptEntry& a, const KeptEntry& b) {
    return a.kind == b.kind && a.number == b.number && a.hasDetect == b.hasDetect && a.detect == b.detect &&
           a.packerExts == b.packerExts && a.fsName == b.fsName && a.path == b.path && a.name == b.name &&
           a.stamp == b.stamp;
}

std::wstring FirstRepeatedKey(const IniPairs& lines) {
    std::unordered_set<std::wstring> seen;
    for (const auto& [key, value] : lines)
        if (!key.starts_with(L';') && !seen.insert(FoldCase(key)).second) return key;
    return L"";
}

// TC reads a Packer line's flags up to the comma; a line without them is no plugin's.
bool HasPackerNumber(const std::wstring& value) {
    size_t comma = value.find(L',');
    std::wstring number = StrTrim(value.substr(0, comma));
    return comma != std::wstring::npos && !number.empty() && number.find_first_not_of(L"0123456789") == std::wstring::npos;
}

}  // namespace

const char* LineProblem(int kind, const std::wstring& key, const std::wstring& value) {
    const char* why = kind == KindPacker ? ExtensionProblem(key) : IniKeyProblem(key);
    if (!why) why = IniValueProblem(value);
    if (!why && kind == KindPacker && !HasPackerNumber(value)) why = "why_flags";
    return why;
}

std::wstring RefusedLineText(const std::wstring& section, const std::wstring& label, const char* why) {
    return FillVar(FillVar(FillVar(Tr("err_unwritable"), L"s", section), L"k", ShowControlChars(label)), L"w", Tr(why)) +
           L"\r\n";
}

bool RefusesLines(SaveRun& run, int kind, const std::wstring& label, const IniPairs& lines) {
    bool refused = false;
    for (const auto& [key, value] : lines)
        if (const char* why = LineProblem(kind, key, value)) {
            run.errors += RefusedLineText(PlugSectionName(kind), label, why);
            refused = true;
        }
    return refused;
}

std::wstring WriteKeptVerified(const KeptEntry& entry) {
    std::optional<std::wstring> key = WriteDisabledEntry(entry);
    if (!key) return L"";
    for (const KeptEntry& read : ReadDisabled((int)entry.kind))
        if (read.key == *key) return SameKept(read, entry) ? *key : L"";
    return L"";
}

std::wstring SectionFileOrError(SaveRun& run, int kind) {
    std::wstring file = WincmdIniPath.empty() ? L"" : FullPath(EffectiveIniPath(PlugSectionName(kind)));
    if (!file.empty() && FileExists(file)) return file;
    run.errors += Tr("err_write") + L" " + file + L"\r\n";
    return L"";
}

bool SectionRepeatsKey(SaveRun& run, const std::wstring& file, const std::wstring& section, const IniPairs& lines) {
    std::wstring place = FoldCase(file) + L"|" + section;
    auto known = run.sectionRefused.find(place);
    if (known != run.sectionRefused.end()) return known->second;
    std::wstring repeated = FirstRepeatedKey(lines);
    if (!repeated.empty())
        run.errors += FillVar(Tr("err_dupsection"), L"s", section) + L" " + FillVar(Tr("fd_dupkey"), L"k", repeated) +
                      L"\r\n";
    return run.sectionRefused[place] = !repeated.empty();
}

bool SectionWrites::Set(const std::wstring& key, const std::optional<std::wstring>& value,
                        const std::optional<std::wstring>& before) {
    steps.push_back({key, before, value, false});
    standing = steps.size();
    // The last guard: a line that slipped past its change's check is not written.
    if (value && (IniKeyProblem(key) || IniValueProblem(*value))) return false;
    steps.back().done = io.WriteProfile(file, section, key.c_str(), value ? value->c_str() : nullptr);
    return steps.back().done;
}

bool SectionWrites::Undo() {
    while (standing > 0) {
        const Step& step = steps[standing - 1];
        if (step.done && !io.WriteProfile(file, section, step.key.c_str(), step.before ? step.before->c_str() : nullptr))
            return false;
        --standing;
    }
    return true;
}

IniPairs AfterStanding(IniPairs lines, const SectionWrites& w) {
    for (size_t i = 0; i < w.standing; ++i) {
        const SectionWrites::Step& step = w.steps[i];
        if (!step.done) continue;
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return StrIEquals(l.first, step.key); });
        if (!step.after) {
            if (line != lines.end()) lines.erase(line);
        } else if (line != lines.end()) {
            line->second = *step.after;  // the profile functions keep the key as the file spells it
        } else {
            lines.emplace_back(step.key, *step.after);
        }
    }
    return lines;
}
