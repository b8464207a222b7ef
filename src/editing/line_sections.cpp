// Writing PackerPlugins and FileSystemPlugins: one line per key (an extension or
// a file-system name), each checked, written and read back on its own.
#include <windows.h>

#include <algorithm>
#include <optional>

#include "editing/backups.h"
#include "editing/save_writers.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"

namespace {

std::wstring LabelOf(const PlugState& s) { return (s.strayLine ? L"wincmd.ini: " : L"") + s.origKey; }

void Error(SaveRun& run, const std::wstring& line) { run.errors += line + L"\r\n"; }

// The key exactly as spelled, with its value.
const std::pair<std::wstring, std::wstring>* FindExact(const IniPairs& pairs, const std::wstring& key) {
    for (const auto& p : pairs)
        if (p.first == key) return &p;
    return nullptr;
}

size_t CopiesOf(const IniSections& sections, const std::wstring& name) {
    return (size_t)std::count_if(sections.begin(), sections.end(),
                                 [&](const auto& section) { return StrIEquals(section.first, name); });
}

IniSections Without(IniSections sections, const std::wstring& name) {
    std::erase_if(sections, [&](const auto& section) { return StrIEquals(section.first, name); });
    return sections;
}

void DeleteSection(SaveRun& run, const PlugState& s, size_t index) {
    const std::wstring& file = s.sectionIniPath;
    if (!FileExists(file)) return;
    if (!IniPrepareWriteOnce(run, file)) {
        run.untouchedStates.insert(index);
        return;
    }
    IniSections before = ReadIniFile(file);
    size_t copies = CopiesOf(before, s.origKey);
    if (copies == 0) {
        Error(run, Tr("err_changed") + L" [" + s.origKey + L"]");
        return;
    }
    // A deletion by name takes the first copy only: the one shown would go and the others stay.
    if (copies > 1) {
        Error(run, FillVar(Tr("err_section_twice"), L"s", s.origKey) + L" " + file);
        run.untouchedStates.insert(index);
        return;
    }
    bool written = run.io->WriteProfile(file, s.origKey, nullptr, nullptr);
    IniSections now = ReadIniFile(file);
    if (!written || now != Without(before, s.origKey)) {
        Error(run, Tr("err_write") + L" [" + s.origKey + L"] " + file);
        if (SettleFailed(run, file, s.origKey, now == before)) run.untouchedStates.insert(index);
        return;
    }
    LandedChange landed = Landing(file, s.origKey, (int)s.kind, 1);
    landed.log.push_back(ChangeLogLine(run.stamp, (int)s.kind, FileStem(file) + L".ini",
                                       FillVar(Tr("log_delsection"), L"s", s.origKey)));
    landed.state = index;
    landed.pluginSection = false;
    Land(run, std::move(landed));
}

bool ChangedOutside(const PlugState& s, const std::wstring& now) {
    if (s.strayLine) return StrTrim(now) != StrTrim(s.origValue);
    if (s.kind == KindPacker) return !CompareIndexKeys(now, s.origValue);
    return !StrIEquals(StrTrim(now), StrTrim(s.origValue));
}

// The kept line of a deactivated Packer or File-system line, with only the line
// itself (own); a Packer library's line gathers the extensions of all its
// deactivated lines, so what it held before comes first.
KeptEntry KeptOf(const SaveRun& run, const PlugState& s, KeptEntry& own, std::optional<KeptEntry>& previous) {
    own.kind = s.kind;
    own.name = s.name;
    own.stamp = run.stamp;
    if (s.kind == KindFileSystem) {
        own.path = StrTrim(s.origValue);
        own.fsName = s.origKey;
        return own;
    }
    size_t comma = s.origValue.find(L',');
    own.path = comma == std::wstring::npos ? L"" : StrTrim(s.origValue.substr(comma + 1));
    own.packerExts = s.origKey + L":" + StrTrim(comma == std::wstring::npos ? s.origValue : s.origValue.substr(0, comma));
    previous = FindKeptLine(own);
    KeptEntry k = own;
    if (previous) k.packerExts = previous->packerExts + L";" + own.packerExts;
    return k;
}

bool WriteRenamed(SectionWrites& w, const PlugState& s, const std::wstring& fileKey, const std::wstring& value) {
    if (!StrIEquals(s.curKey, fileKey))
        return w.Set(s.curKey, s.curValue, std::nullopt) && w.Set(fileKey, std::nullopt, value);
    // A rename that changes only the case can be written only as delete and write.
    return w.Set(fileKey, std::nullopt, value) && w.Set(s.curKey, s.curValue, std::nullopt);
}

bool LineReadsBack(const IniPairs& now, const PlugState& s, const std::wstring& fileKey) {
    if (s.deleted) return !KvFindNoCase(now, fileKey);
    if (s.curKey == s.origKey) {
        auto got = KvFindNoCase(now, fileKey);
        return got && StrTrim(got->second) == StrTrim(s.curValue);
    }
    // A rename is verified with its exact spelling, and the old key must be gone.
    auto got = FindExact(now, s.curKey);
    if (!got || StrTrim(got->second) != StrTrim(s.curValue)) return false;
    return StrIEquals(s.curKey, fileKey) ? !FindExact(now, fileKey) : !KvFindNoCase(now, fileKey);
}

std::wstring LogText(const PlugState& s, bool kept) {
    if (s.deleted) return FillVar(Tr(kept ? "log_disabled" : "log_deleted"), L"n", LabelOf(s));
    return FillVars(Tr("log_entry_changed"), {{L"a", s.origKey + L"=" + s.origValue}, {L"b", s.curKey + L"=" + s.curValue}});
}

// The section as read before the writes of one line, or nothing (with an error
// line) when it may not be written: then the record stays pending.
std::optional<IniPairs> SectionToWrite(SaveRun& run, const std::wstring& file, const wchar_t* section) {
    if (file.empty() || !IniPrepareWriteOnce(run, file)) return std::nullopt;
    std::optional<IniPairs> pairs = run.io->ReadSection(file, section);
    if (!pairs) Error(run, Tr("err_write") + L" " + file);
    else if (SectionRepeatsKey(run, file, section, *pairs)) return std::nullopt;
    return pairs;
}

// The line a changed record writes, checked; a deletion writes none.
bool StateLineRefused(SaveRun& run, const PlugState& s, const std::wstring& file) {
    if (file.empty() || s.deleted) return false;
    std::wstring label = LabelOf(s) + (s.curKey != s.origKey ? L" → " + s.curKey : L"");
    return RefusesLines(run, (int)s.kind, label, {{s.curKey, s.curValue}}, file);
}

void SaveLine(SaveRun& run, size_t index) {
    const PlugState& s = run.states[index];
    const wchar_t* section = PlugSectionName((int)s.kind);
    bool renamed = !s.deleted && s.curKey != s.origKey;
    std::wstring file = s.strayLine ? FullPath(WincmdIniPath) : SectionFileOrError(run, (int)s.kind);
    bool refused = StateLineRefused(run, s, file);
    std::optional<IniPairs> pairs = refused ? std::nullopt : SectionToWrite(run, file, section);
    if (!pairs) {
        run.untouchedStates.insert(index);
        return;
    }
    auto found = KvFindNoCase(*pairs, s.origKey);
    if (!found || ChangedOutside(s, found->second)) {
        Error(run, Tr("err_changed") + L" " + LabelOf(s));
        Error(run, L"   " + Tr("err_now_ini") + L" " + (found ? found->second : Tr("det_none")));
        return;
    }
    const std::wstring& fileKey = found->first;
    if (renamed && !StrIEquals(s.curKey, s.origKey) && KvFindNoCase(*pairs, s.curKey)) {
        Error(run, Tr("err_fsdup") + L" " + s.curKey);
        return;
    }
    bool keep = s.deleted && s.deactivate && !s.strayLine && s.kind >= KindPacker;
    KeptEntry own;  // what the line adds to the Disabled section
    if (keep) {
        // The line leaves wincmd.ini only once its kept line reads back the same.
        std::optional<KeptEntry> previous;
        KeptEntry kept = KeptOf(run, s, own, previous);
        own.key = WriteKeptOrNone(*run.io, kept, previous);
        if (own.key.empty()) {
            Error(run, Tr("err_write") + L" " + SettingsIniPath() + L" – " + LabelOf(s));
            Error(run, L"   " + FillVar(Tr("err_section_kept"), L"s", section));
            run.untouchedStates.insert(index);
            return;
        }
    }
    SectionWrites w{*run.io, file, section, {}, 0, &run.progress};
    bool ok = s.deleted ? w.Set(fileKey, std::nullopt, found->second)
              : renamed ? WriteRenamed(w, s, fileKey, found->second)
                        : w.Set(fileKey, s.curValue, found->second);
    std::optional<IniPairs> now = ok ? run.io->ReadSection(file, section) : std::nullopt;
    if (!now || !LineReadsBack(*now, s, fileKey) || !SameLines(*now, AfterStanding(*pairs, w))) {
        Error(run, Tr("err_write") + L" " + LabelOf(s));
        bool nothing = TakeBack(run, w, *pairs, now, true);
        if (nothing || !LineReadsBack(now ? *now : AfterStanding(*pairs, w), s, fileKey)) {
            if (keep) TakeOutOfKept(own);
            if (nothing) run.untouchedStates.insert(index);
            return;
        }
    }
    LandedChange landed = Landing(file, section, (int)s.kind, 1);
    landed.log.push_back(ChangeLogLine(run.stamp, (int)s.kind, s.deleted && s.strayLine ? s.origKey : s.name, LogText(s, keep)));
    if (keep) landed.kept.push_back(own);
    landed.state = index;
    landed.pluginSection = !s.strayLine;
    Land(run, std::move(landed));
    DebugLog(L"saved " + std::wstring(section) + L" " + LabelOf(s) +
             (s.deleted ? L" deleted" : L" -> " + s.curKey + L"=" + s.curValue));
}

std::vector<std::pair<std::wstring, std::wstring>> LinesOf(const KeptEntry& k) {
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    if (k.kind == KindFileSystem) {
        lines.emplace_back(k.fsName, k.path);
        return lines;
    }
    size_t start = 0;
    for (;;) {
        size_t end = k.packerExts.find(L';', start);
        std::wstring item = k.packerExts.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        size_t colon = item.find(L':');
        if (colon != std::wstring::npos) lines.emplace_back(item.substr(0, colon), item.substr(colon + 1) + L"," + k.path);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

bool LinesStand(const IniPairs& now, const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    return std::all_of(lines.begin(), lines.end(), [&](const auto& l) {
        auto got = KvFindNoCase(now, l.first);
        return got && StrTrim(got->second) == StrTrim(l.second);
    });
}

// The kept line still holds what the activation writes: a line deactivated in
// this run may have joined it, none may have left it.
bool KeptStillHolds(const KeptEntry& k) {
    if (k.isNew) return true;
    std::optional<KeptEntry> kept = FindKeptLine(k);
    if (!kept) return false;
    auto held = LinesOf(*kept), wanted = LinesOf(k);
    return std::all_of(wanted.begin(), wanted.end(), [&](const auto& line) {
        return std::find(held.begin(), held.end(), line) != held.end();
    });
}

bool ActivationRefused(SaveRun& run, int kind, const KeptEntry& k, const std::wstring& file) {
    return !file.empty() && RefusesLines(run, kind, k.name, LinesOf(k), file);
}

void Activate(SaveRun& run, int kind, const KeptEntry& k) {
    const wchar_t* section = PlugSectionName(kind);
    auto lines = LinesOf(k);
    std::wstring file = SectionFileOrError(run, kind);
    std::optional<IniPairs> pairs = ActivationRefused(run, kind, k, file) ? std::nullopt : SectionToWrite(run, file, section);
    if (!pairs) {
        run.untouchedActivations.insert(k.key);
        return;
    }
    bool taken = std::any_of(lines.begin(), lines.end(), [&](const auto& l) { return KvFindNoCase(*pairs, l.first).has_value(); });
    if (lines.empty() || taken || std::any_of(lines.begin(), lines.end(), [](const auto& l) { return StrTrim(l.first).empty(); })) {
        Error(run, Tr("err_enable_dup") + L" " + k.name);
        return;
    }
    if (!KeptStillHolds(k)) {
        Error(run, Tr("err_changed") + L" " + k.name);
        return;
    }
    SectionWrites w{*run.io, file, section, {}, 0, &run.progress};
    bool ok = std::all_of(lines.begin(), lines.end(),
                          [&](const auto& l) { return w.Set(l.first, l.second, std::nullopt); });
    std::optional<IniPairs> now = ok ? run.io->ReadSection(file, section) : std::nullopt;
    if (!now || !LinesStand(*now, lines) || !SameLines(*now, AfterStanding(*pairs, w))) {
        Error(run, Tr("err_write") + L" " + k.name);
        bool nothing = TakeBack(run, w, *pairs, now, true);
        if (nothing) run.untouchedActivations.insert(k.key);
        if (nothing || !LinesStand(now ? *now : AfterStanding(*pairs, w), lines)) return;
    }
    std::wstring what = kind == KindFileSystem ? k.fsName : k.packerExts;
    LandedChange landed = Landing(file, section, kind, 1);
    landed.log.push_back(
        ChangeLogLine(run.stamp, kind, k.name, FillVar(Tr(k.isNew ? "log_installed" : "log_enabled"), L"n", what)));
    landed.activated.push_back(k);
    Land(run, std::move(landed));
}

}  // namespace

void SavePlugLines(SaveRun& run) {
    for (size_t i = 0; i < run.states.size(); ++i) {
        if (run.states[i].wholeSection) DeleteSection(run, run.states[i], i);
        else SaveLine(run, i);
    }
}

bool PlugLinesRefused(SaveRun& run) {
    bool refused = false;
    for (const PlugState& s : run.states)
        if (!s.wholeSection)
            refused = StateLineRefused(run, s, s.strayLine ? FullPath(WincmdIniPath) : SectionFile((int)s.kind)) || refused;
    for (int kind : {KindPacker, KindFileSystem}) {
        std::wstring file = SectionFile(kind);
        for (const KeptEntry& k : run.activations[(size_t)kind])
            refused = ActivationRefused(run, kind, k, file) || refused;
    }
    return refused;
}

void SaveLineActivations(SaveRun& run) {
    for (int kind : {KindPacker, KindFileSystem})
        for (const KeptEntry& k : run.activations[(size_t)kind]) Activate(run, kind, k);
}
