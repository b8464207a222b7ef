#include "editing/save_writers.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "foundation/encoding.h"
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

// Lines as the profile functions compare them: the writes and their undoing may
// move a key within its section, and values are read trimmed.
IniPairs Comparable(IniPairs lines) {
    for (auto& line : lines) line.second = StrTrim(line.second);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The file was put back from its backup: no change landed in it stands, so each
// is taken back from the Disabled section and stays pending.
void Withdraw(SaveRun& run, const std::wstring& fileKey) {
    for (auto it = run.landed.rbegin(); it != run.landed.rend(); ++it) {
        if (it->withdrawn || it->file != fileKey) continue;
        for (const KeptEntry& k : it->kept) TakeOutOfKept(k);
        if (it->state) run.untouchedStates.insert(*it->state);
        else if (it->kind <= KindContent) KeepKindPending(run, it->kind);
        for (const KeptEntry& k : it->activated) run.untouchedActivations.insert(k.key);
        it->withdrawn = true;
    }
}

// "ext:flags" items of a Packer kept line.
std::vector<std::wstring> PackerItems(const std::wstring& exts) {
    std::vector<std::wstring> items;
    for (size_t start = 0; start <= exts.size();) {
        size_t end = std::min(exts.find(L';', start), exts.size());
        if (end > start) items.push_back(exts.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::wstring ItemExt(const std::wstring& item) { return FoldCase(item.substr(0, item.find(L':'))); }

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

// Outside the section and the sections that the run's standing changes of the
// file wrote, the file reads as its backup does. An undone write may have landed
// elsewhere, as a key that the code page turned into a section header does; a
// file that cannot be read holds nothing as before.
bool RestAsInBackup(const SaveRun& run, const std::wstring& fileKey, const std::wstring& section) {
    auto backup = run.backups.find(fileKey);
    if (backup == run.backups.end() || backup->second.copy.empty()) return false;
    std::set<std::wstring> written{FoldCase(section)};
    for (const LandedChange& change : run.landed)
        if (!change.withdrawn && change.file == fileKey) written.insert(FoldCase(change.section));
    auto rest = [&](IniSections sections) {
        std::erase_if(sections, [&](const auto& s) { return written.count(FoldCase(s.first)) != 0; });
        return sections;
    };
    std::optional<IniSections> now = ReadWholeIniFile(backup->second.file);
    std::optional<IniSections> before = ReadWholeIniFile(backup->second.copy);
    return now && before && rest(*now) == rest(*before);
}

std::wstring SectionPath(int kind) {
    return WincmdIniPath.empty() ? L"" : FullPath(EffectiveIniPath(PlugSectionName(kind)));
}

}  // namespace

const char* LineProblem(int kind, const std::wstring& key, const std::wstring& value) {
    const char* why = kind == KindPacker ? ExtensionProblem(key) : IniKeyProblem(key);
    if (!why) why = IniValueProblem(value);
    if (!why && kind == KindPacker && !HasPackerNumber(value)) why = "why_flags";
    return why;
}

std::wstring CharRefusal(const std::wstring& file, const std::wstring& text) {
    std::wstring lacked = CharIniCannotHold(file, text);
    return lacked.empty() ? L"" : FillVar(Tr("why_ansi"), L"c", CharWithCode(lacked));
}

std::wstring LineRefusal(int kind, const std::wstring& file, const std::wstring& key, const std::wstring& value) {
    if (const char* why = LineProblem(kind, key, value)) return Tr(why);
    return CharRefusal(file, key + L"=" + value);
}

std::wstring RefusedLineText(const std::wstring& section, const std::wstring& label, const std::wstring& why) {
    return FillVars(Tr("err_unwritable"), {{L"s", section}, {L"k", ShowControlChars(label)}, {L"w", why}});
}

bool RefusesLines(SaveRun& run, int kind, const std::wstring& label, const IniPairs& lines, const std::wstring& file) {
    bool refused = false;
    for (const auto& [key, value] : lines) {
        std::wstring why = LineRefusal(kind, file, key, value);
        if (why.empty()) continue;
        run.errors += RefusedLineText(PlugSectionName(kind), label, why) +
                      (run.withdraw ? L"" : L" " + Tr("err_stays_pending")) + L"\r\n";
        refused = true;
    }
    return refused;
}

std::wstring WriteKeptVerified(const KeptEntry& entry) {
    std::optional<std::wstring> key = WriteDisabledEntry(entry);
    if (!key) return L"";
    KeptEntry written = entry;
    written.key = *key;
    std::optional<KeptEntry> read = FindKeptLine(written);
    return read && SameKept(*read, entry) ? *key : L"";
}

std::wstring SectionFile(int kind) {
    std::wstring file = SectionPath(kind);
    return !file.empty() && FileExists(file) ? file : L"";
}

std::wstring SectionFileOrError(SaveRun& run, int kind) {
    std::wstring file = SectionFile(kind);
    if (file.empty()) run.errors += Tr("err_write") + L" " + SectionPath(kind) + L"\r\n";
    return file;
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
    if (!Writable(key, value)) return false;
    steps.back().done = io.WriteProfile(file, section, key.c_str(), value ? value->c_str() : nullptr);
    if (progress) progress->Wrote();
    return steps.back().done;
}

bool SectionWrites::Writable(const std::wstring& key, const std::optional<std::wstring>& value) {
    if (value && (IniKeyProblem(key) || IniValueProblem(*value))) return false;
    if (AnsiHolds(key) && (!value || AnsiHolds(*value))) return true;
    if (!holdsAll) holdsAll = FileHasUtf16Bom(file);
    return *holdsAll;
}

bool SectionWrites::Undo() {
    if (progress) progress->Plan(standing);
    while (standing > 0) {
        // A write that reported failure may still have taken effect: it is taken back too.
        const Step& step = steps[standing - 1];
        bool undone = io.WriteProfile(file, section, step.key.c_str(), step.before ? step.before->c_str() : nullptr);
        if (progress) progress->Wrote();
        if (!undone) return false;
        --standing;
    }
    return true;
}

bool SameLines(const IniPairs& a, const IniPairs& b) { return Comparable(a) == Comparable(b); }

bool SameLinesInOrder(const IniPairs& a, const IniPairs& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.first == y.first && StrTrim(x.second) == StrTrim(y.second);
    });
}

void KeepKindPending(SaveRun& run, int kind) {
    run.untouchedKinds.insert(kind);
    for (const KeptEntry& k : run.activations[(size_t)kind]) run.untouchedActivations.insert(k.key);
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    // Two reads that both fail prove nothing.
    std::optional<std::string> x = ReadWholeFile(a), y = ReadWholeFile(b);
    return x && y && *x == *y;
}

bool PutBack(SaveIo& io, const std::wstring& copy, const std::wstring& file) {
    if (copy.empty()) return false;
    // What the file then holds decides, not what the step reported.
    io.ReplaceWithCopy(copy, file);
    return SameBytes(copy, file);
}

void TakeOutOfKept(const KeptEntry& entry) {
    std::optional<KeptEntry> kept = FindKeptLine(entry);
    if (!kept) return;
    std::wstring rest;
    if (entry.kind == KindPacker) {
        std::set<std::wstring> gone;
        for (const std::wstring& item : PackerItems(entry.packerExts)) gone.insert(ItemExt(item));
        for (const std::wstring& item : PackerItems(kept->packerExts))
            if (!gone.count(ItemExt(item))) rest += (rest.empty() ? L"" : L";") + item;
    }
    if (rest.empty()) {
        RemoveDisabledKey(kept->key);
        return;
    }
    kept->packerExts = rest;
    WriteDisabledEntry(*kept);
}

std::wstring WriteKeptOrNone(SaveIo& io, const KeptEntry& entry, const std::optional<KeptEntry>& previous) {
    std::vector<KeptEntry> before = ReadDisabled((int)entry.kind);
    std::wstring key = io.WriteKept(entry);
    if (!key.empty()) return key;
    // A line that did not read back the same may still have been written.
    for (const KeptEntry& k : ReadDisabled((int)entry.kind))
        if (std::none_of(before.begin(), before.end(), [&](const KeptEntry& b) { return b.key == k.key; }))
            RemoveDisabledKey(k.key);
    if (previous) WriteDisabledEntry(*previous);
    return L"";
}

LandedChange Landing(const std::wstring& file, const std::wstring& section, int kind, int count) {
    LandedChange change;
    change.file = FoldCase(FullPath(file));
    change.section = section;
    change.kind = kind;
    change.count = count;
    return change;
}

void Land(SaveRun& run, LandedChange change) { run.landed.push_back(std::move(change)); }

void SettleLanded(SaveRun& run) {
    for (const LandedChange& change : run.landed) {
        if (change.withdrawn) continue;
        run.changes += change.count;
        run.logLines.insert(run.logLines.end(), change.log.begin(), change.log.end());
        if (change.count > 0 && change.pluginSection) NoteSectionSaved(change.kind);
        for (const KeptEntry& k : change.activated) {
            TakeOutOfKept(k);
            PendingReactivations.erase(k.key);
        }
    }
}

bool SettleFailed(SaveRun& run, const std::wstring& file, const std::wstring& section, bool asBefore) {
    std::wstring key = FoldCase(FullPath(file));
    if (asBefore && RestAsInBackup(run, key, section)) {
        run.errors += L"   " + FillVar(Tr("err_section_kept"), L"s", section) + L"\r\n";
        return true;
    }
    auto backup = run.backups.find(key);
    if (backup == run.backups.end() || !PutBack(*run.io, backup->second.copy, file)) {
        run.errors += L"   " + Tr("err_restore_hint") + L"\r\n";
        return false;
    }
    Withdraw(run, key);
    run.errors += L"   " + FillVar(Tr("err_file_restored"), L"b", backup->second.copy) + L"\r\n";
    return true;
}

bool TakeBack(SaveRun& run, SectionWrites& w, const IniPairs& before, std::optional<IniPairs>& now, bool inOrder) {
    w.Undo();
    now = run.io->ReadSection(w.file, w.section);
    bool asBefore = now && (inOrder ? SameLinesInOrder(*now, before) : SameLines(*now, before));
    return SettleFailed(run, w.file, w.section, asBefore);
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
