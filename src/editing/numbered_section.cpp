// Writing ListerPlugins and ContentPlugins: numbered entries whose keys are the
// number (the path) and the number followed by "_detect" (the quoted detect string).
#include <windows.h>

#include <algorithm>
#include <map>

#include "analyses/inventory.h"
#include "editing/backups.h"
#include "editing/pending_ops.h"
#include "editing/save_writers.h"
#include "foundation/data_folder.h"
#include "foundation/ini.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"

namespace {

constexpr long TempBase = 1000000;

struct Pair {
    std::wstring rest;  // the key after its number: "" or "_detect"
    std::wstring value;
};
using State = std::map<long, std::vector<Pair>>;

struct NumberedKey {
    std::wstring fileKey;  // as the file writes it
    std::wstring value;
};
using KeyMap = std::map<std::wstring, NumberedKey>;  // by lower-cased key

// The numbered keys of the section, each by its first occurrence; the first key
// given twice, when one is.
KeyMap ReadNumberedKeys(const std::wstring& file, const wchar_t* section, std::wstring* repeated) {
    KeyMap keys;
    long number;
    std::wstring rest;
    for (const auto& [key, value] : ReadIniSection(file, section)) {
        if (!SplitLeadingNumber(key, number, rest)) continue;
        bool fresh = keys.try_emplace(StrLower(key), NumberedKey{key, value}).second;
        if (!fresh && repeated && repeated->empty()) *repeated = key;
    }
    return keys;
}

State StateOf(const std::wstring& file, const wchar_t* section) {
    State state;
    long number;
    std::wstring rest;
    std::map<std::wstring, bool> taken;
    for (const auto& [key, value] : ReadIniSection(file, section)) {
        if (!SplitLeadingNumber(key, number, rest) || !taken.try_emplace(StrLower(key), true).second) continue;
        state[number].push_back({rest, value});
    }
    return state;
}

const Pair* FindPair(const State& s, long n, const wchar_t* rest) {
    auto it = s.find(n);
    if (it == s.end()) return nullptr;
    for (const Pair& p : it->second)
        if (StrIEquals(p.rest, rest)) return &p;
    return nullptr;
}

std::wstring PathOf(const State& s, long n) {
    const Pair* p = FindPair(s, n, L"");
    return p ? StrTrim(p->value) : L"";
}

struct Placed {
    long temp;
    int wanted;
    KeptEntry entry;
};

struct Queued {
    KeptEntry entry;
    std::wstring key;  // its Disabled key, written before the section
    long number;
};

// The work on one section.
struct SectionJob {
    SectionJob(SaveRun& r, int k) : run(r), kind(k), section(PlugSectionName(k)) {}
    SaveRun& run;
    int kind;
    const wchar_t* section;
    std::wstring file;
    KeyMap beforeKeys;
    State before, after;
    std::set<long> deleted;
    std::vector<Queued> queued;
    std::vector<Placed> placed;
    std::vector<long> order;
    bool orderApplied = false;
    int count = 0;
    std::vector<std::wstring> log;

    void Error(const std::wstring& line) { run.errors += line + L"\r\n"; }
    void Log(const std::wstring& name, const std::wstring& text) {
        log.push_back(ChangeLogLine(run.stamp, kind, name, text));
    }
};

bool DetectConflict(SectionJob& job, const PendingEdit& e, long n) {
    const Pair* det = FindPair(job.before, n, L"_detect");
    std::wstring now = det ? Unquote(det->value) : L"";
    if ((e.hasDetect != 0) == (det != nullptr) && NormKeyText(e.origDetect) == NormKeyText(now)) return false;
    job.Error(Tr("err_changed") + L" " + EntryNumberText(n) + L" " + e.name);
    job.Error(L"   " + Tr("err_now_ini") + L" " + (det ? now : Tr("det_none")));
    return true;
}

void ApplyDeletion(SectionJob& job, const PendingEdit& e, long n) {
    if (e.deactivate) {
        const Pair* det = FindPair(job.before, n, L"_detect");
        KeptEntry kept;
        kept.kind = (uint32_t)job.kind;
        kept.path = PathOf(job.before, n);
        kept.name = e.name;
        kept.number = (int)n;
        kept.hasDetect = det != nullptr;
        kept.detect = det ? Unquote(det->value) : L"";
        kept.stamp = job.run.stamp;
        // The entry leaves wincmd.ini only once its kept line reads back the same.
        std::wstring key = WriteKeptVerified(kept);
        if (key.empty()) {
            job.Error(Tr("err_write") + L" " + SettingsIniPath() + L" – " + EntryNumberText(n) + L" " + e.name);
            return;
        }
        job.queued.push_back({kept, key, n});
        job.Log(e.name, FillVar(Tr("log_disabled"), L"n", EntryNumberText(n)));
    } else {
        job.Log(e.name, FillVar(Tr("log_deleted"), L"n", EntryNumberText(n)));
    }
    job.deleted.insert(n);
    ++job.count;
}

void ApplyChange(SectionJob& job, const PendingEdit& e, long n, const std::wstring& detect) {
    std::vector<Pair>& pairs = job.after[n];
    if (EntryPathChanged(e)) {
        for (Pair& p : pairs)
            if (p.rest.empty()) {
                p.value = e.newPath;
                break;
            }
        job.Log(e.name, FillVar(FillVar(Tr("log_path"), L"a", e.origPath), L"b", e.newPath));
    }
    if (EditRemovesDetect(e) && EntryDiffers(e)) {
        std::erase_if(pairs, [](const Pair& p) { return StrIEquals(p.rest, L"_detect"); });
        job.Log(e.name, Tr("log_nodetect"));
    } else if (EntryDiffers(e)) {
        auto det = std::find_if(pairs.begin(), pairs.end(), [](const Pair& p) { return StrIEquals(p.rest, L"_detect"); });
        if (det == pairs.end()) det = pairs.insert(pairs.end(), Pair{L"_detect", L""});
        det->value = Quote(detect);
        job.Log(e.name, FillVar(Tr("log_saved"), L"d", DescribeDetectChange(e.origDetect, e.hasDetect, detect, true)));
    }
    ++job.count;
}

void ApplyEdit(SectionJob& job, const PendingEdit& e) {
    long n = e.number;
    std::wstring path = PathOf(job.before, n);
    if (path.empty() || !StrIEquals(path, StrTrim(e.origPath))) {
        job.Error(Tr("err_changed") + L" " + EntryNumberText(n) + L" " + e.name);
        job.Error(L"   " + Tr("err_now_path") + L" " + path);
        return;
    }
    std::wstring detect = NewDetectOf(e);
    const Pair* det = FindPair(job.before, n, L"_detect");
    if (!e.deleted && !EntryPathChanged(e) && EntryDiffers(e) && !EditRemovesDetect(e) && det &&
        NormKeyText(detect) == NormKeyText(Unquote(det->value))) {
        job.Log(e.name, Tr("log_already"));
        return;
    }
    if (DetectConflict(job, e, n)) return;
    if (e.deleted) ApplyDeletion(job, e, n);
    else ApplyChange(job, e, n, detect);
}

void ApplyOrder(SectionJob& job) {
    const PendingOrder& rec = PendingOrders[job.kind];
    for (int n : rec.order) {
        auto orig = rec.origPaths.find(n);
        std::wstring now = PathOf(job.before, n);
        if (orig == rec.origPaths.end() || now.empty() || !StrIEquals(StrTrim(orig->second), now)) {
            job.Error(Tr("err_changed") + L" [" + job.section + L"] " + Tr("prev_order"));
            return;
        }
    }
    for (int n : rec.order)
        if (job.after.count(n) && !job.deleted.count(n)) job.order.push_back(n);
    for (const auto& [n, pairs] : job.after)
        if (!job.deleted.count(n) && std::find(job.order.begin(), job.order.end(), n) == job.order.end())
            job.order.push_back(n);
    job.orderApplied = true;
    ++job.count;
}

void PlaceActivations(SectionJob& job) {
    for (const KeptEntry& k : job.run.activations[(size_t)job.kind]) {
        bool present = std::any_of(job.after.begin(), job.after.end(), [&](const auto& entry) {
            return !job.deleted.count(entry.first) && StrIEquals(PathOf(job.after, entry.first), StrTrim(k.path));
        });
        if (present) {
            job.Error(Tr("err_enable_dup") + L" " + k.name);
            continue;
        }
        long t = TempBase + (long)job.placed.size();
        job.after[t].push_back({L"", k.path});
        if (k.hasDetect) job.after[t].push_back({L"_detect", Quote(k.detect)});
        job.placed.push_back({t, k.number, k});
        ++job.count;
    }
}

// The keys the section will hold, and the moves text.
KeyMap NewKeys(SectionJob& job, std::wstring& moves) {
    if (!job.orderApplied)
        for (const auto& [n, pairs] : job.after)
            if (n < TempBase && !job.deleted.count(n)) job.order.push_back(n);
    long base = job.before.empty() ? 0 : job.before.begin()->first;
    std::stable_sort(job.placed.begin(), job.placed.end(), [](const Placed& a, const Placed& b) { return a.wanted < b.wanted; });
    for (const Placed& p : job.placed) {
        long at = std::clamp((long)p.wanted - base, 0L, (long)job.order.size());
        job.order.insert(job.order.begin() + at, p.temp);
    }
    bool renumber = !job.deleted.empty() || !job.placed.empty() || !std::is_sorted(job.order.begin(), job.order.end());
    KeyMap keys;
    long running = base;
    for (long v : job.order) {
        long number = renumber ? running++ : v;
        if (v < TempBase && number != v)
            moves += (moves.empty() ? L"" : L", ") + EntryNumberText(v) + L"→" + EntryNumberText(number);
        for (const Pair& p : job.after[v]) {
            std::wstring key = std::to_wstring(number) + p.rest;
            keys.try_emplace(StrLower(key), NumberedKey{key, p.value});
        }
    }
    return keys;
}

// Brings the file's numbered keys from one state to the other; false when a write failed.
bool WriteKeys(const std::wstring& file, const wchar_t* section, const KeyMap& from, const KeyMap& to) {
    bool ok = true;
    for (const auto& [lower, key] : from)
        if (!to.count(lower)) ok = ProfileWrite(section, key.fileKey.c_str(), nullptr, file.c_str()) && ok;
    for (const auto& [lower, key] : to) {
        auto old = from.find(lower);
        if (old != from.end() && old->second.value == key.value) continue;
        const std::wstring& name = old != from.end() ? old->second.fileKey : lower;
        ok = ProfileWrite(section, name.c_str(), key.value.c_str(), file.c_str()) && ok;
    }
    return ok;
}

bool ReadsBack(const std::wstring& file, const wchar_t* section, const KeyMap& wanted) {
    KeyMap now = ReadNumberedKeys(file, section, nullptr);
    if (now.size() != wanted.size()) return false;
    for (const auto& [lower, key] : wanted) {
        auto it = now.find(lower);
        if (it == now.end() || StrTrim(it->second.value) != StrTrim(key.value)) return false;
    }
    return true;
}

// The entry of that number is in the section as it was before the save.
bool StillThere(const SectionJob& job, long n) {
    KeyMap now = ReadNumberedKeys(job.file, job.section, nullptr);
    auto it = now.find(std::to_wstring(n));
    return it != now.end() && StrIEquals(StrTrim(it->second.value), PathOf(job.before, n));
}

void Failed(SectionJob& job) {
    DebugLog(L"verify failed for " + job.file);
    KeyMap now = ReadNumberedKeys(job.file, job.section, nullptr);
    bool restored = WriteKeys(job.file, job.section, now, job.beforeKeys) && ReadsBack(job.file, job.section, job.beforeKeys);
    job.Error(Tr("err_write") + L" " + job.file);
    job.Error(L"   " + (restored ? FillVar(Tr("err_section_kept"), L"s", job.section) : Tr("err_restore_hint")));
    // A kept line must not stay beside the entry it was made of.
    for (const Queued& q : job.queued)
        if (StillThere(job, q.number)) RemoveDisabledKey(q.key);
}

void Verified(SectionJob& job, const std::wstring& moves) {
    job.run.logLines.insert(job.run.logLines.end(), job.log.begin(), job.log.end());
    if (!moves.empty())
        job.run.logLines.push_back(job.run.stamp + L"  " + StrPadRight(TabName(job.kind), 12) +
                                   FillVar(Tr(job.orderApplied ? "log_order" : "log_renumbered"), L"m", moves));
    long base = job.before.empty() ? 0 : job.before.begin()->first;
    std::vector<Placed> placed = job.placed;
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.temp < b.temp; });
    for (const Placed& p : placed) {
        long final = base + (long)(std::find(job.order.begin(), job.order.end(), p.temp) - job.order.begin());
        RemoveDisabledKey(p.entry.key);
        PendingReactivations.erase(p.entry.key);
        std::wstring text = FillVar(Tr(p.entry.isNew ? "log_installed" : "log_enabled"), L"n", EntryNumberText(final));
        job.run.logLines.push_back(ChangeLogLine(job.run.stamp, job.kind, p.entry.name, text));
    }
    job.run.changes += job.count;
    NoteSectionSaved(job.kind);
    DebugLog(L"saved " + std::wstring(job.section) + L": " + std::to_wstring(job.count) + L" change(s)" +
             (moves.empty() ? L"" : L", moves " + moves));
}

}  // namespace

void SaveNumberedSection(SaveRun& run, int kind) {
    std::vector<const PendingEdit*> edits;
    for (const PendingEdit& e : run.edits)
        if ((int)e.kind == kind) edits.push_back(&e);
    bool custom = OrderIsCustom(kind);
    if (edits.empty() && !custom && run.activations[(size_t)kind].empty()) return;
    SectionJob job(run, kind);
    job.file = SectionFileOrError(run, kind);
    if (job.file.empty() || !IniPrepareWriteOnce(run.errors, run.backedUp, job.file)) return;
    std::wstring repeated;
    job.beforeKeys = ReadNumberedKeys(job.file, job.section, &repeated);
    if (!repeated.empty()) {
        job.Error(FillVar(Tr("err_dupsection"), L"s", job.section) + L" " + FillVar(Tr("fd_dupkey"), L"k", repeated));
        return;
    }
    job.before = job.after = StateOf(job.file, job.section);
    for (const PendingEdit* e : edits) ApplyEdit(job, *e);
    if (custom) ApplyOrder(job);
    PlaceActivations(job);
    if (job.count == 0) {
        run.logLines.insert(run.logLines.end(), job.log.begin(), job.log.end());
        return;
    }
    std::wstring moves;
    KeyMap wanted = NewKeys(job, moves);
    bool wrote = WriteKeys(job.file, job.section, job.beforeKeys, wanted);
    if (wrote && ReadsBack(job.file, job.section, wanted)) Verified(job, moves);
    else Failed(job);
}
