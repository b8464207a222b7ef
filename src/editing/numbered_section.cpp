// Writing ListerPlugins and ContentPlugins: numbered entries whose keys are the
// number (the path) and the number followed by "_detect" (the quoted detect string).
#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "analyses/inventory.h"
#include "editing/backups.h"
#include "editing/pending_ops.h"
#include "editing/save_writers.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"

namespace {

// Numbers from here on are the writer's own, for entries being activated until
// they get their place; a key of the file numbered so high stays as it is.
constexpr long TempBase = 1000000;

struct Pair {
    std::wstring rest;  // the key after its number: "" or "_detect"
    std::wstring value;
};
using State = std::map<long, std::vector<Pair>>;
using Values = std::map<std::wstring, std::wstring>;  // by folded key

// The keys this writer renumbers; every other key of the section stays as it is.
bool OwnedKey(const std::wstring& key, long& number, std::wstring& rest) {
    return EntryKeyNumber(key, number, rest) && number < TempBase;
}

IniPairs LinesOwned(const IniPairs& lines, bool owned) {
    IniPairs out;
    long number;
    std::wstring rest;
    for (const auto& line : lines)
        if (OwnedKey(line.first, number, rest) == owned) out.push_back(line);
    return out;
}

IniPairs OwnedLines(const IniPairs& lines) { return LinesOwned(lines, true); }

Values ValuesOf(const IniPairs& lines) {
    Values values;
    for (const auto& [key, value] : lines) values.try_emplace(FoldCase(key), value);
    return values;
}

State StateOf(const IniPairs& owned) {
    State state;
    long number;
    std::wstring rest;
    for (const auto& [key, value] : owned)
        if (EntryKeyNumber(key, number, rest)) state[number].push_back({rest, value});
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

// The entry's keys and values as the profile functions compare them.
std::map<std::wstring, std::wstring> Content(const State& s, long n) {
    std::map<std::wstring, std::wstring> content;
    auto it = s.find(n);
    if (it != s.end())
        for (const Pair& p : it->second) content[FoldCase(p.rest)] = StrTrim(p.value);
    return content;
}

// One change the user asked for; it counts once it is in the file.
struct Item {
    enum What { Already, Edit, Deletion, Order, Activation } what;
    long number;                    // before the save; an activation's temporary number
    std::vector<std::wstring> log;  // its change-log lines
    std::wstring keptKey;           // a deactivated entry's Disabled line
    KeptEntry entry;                // an activation, or a deactivated entry's kept line
    int wanted = 0;                 // an activation's place
};

// An entry as the section will hold it.
struct Target {
    long source;  // its number before, or its temporary number
    long number;
};

struct SectionJob {
    SectionJob(SaveRun& r, int k) : run(r), kind(k), section(PlugSectionName(k)) {}
    SaveRun& run;
    int kind;
    const wchar_t* section;
    std::wstring file;
    Values beforeValues;     // the owned keys
    IniPairs others;         // the section's other lines
    Values spelling;         // folded key -> as the file writes it
    State before, after;
    std::set<long> deleted;
    std::vector<Item> items;
    std::vector<long> order;
    bool orderApplied = false;

    void Error(const std::wstring& line) { run.errors += line + L"\r\n"; }
    std::wstring Line(const std::wstring& name, const std::wstring& text) const {
        return ChangeLogLine(run.stamp, kind, name, text);
    }
    bool Counts() const {
        return std::any_of(items.begin(), items.end(), [](const Item& i) { return i.what != Item::Already; });
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
    Item item{Item::Deletion, n, {}, L"", {}};
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
        item.keptKey = kept.key = WriteKeptOrNone(*job.run.io, kept, std::nullopt);
        item.entry = kept;
        if (item.keptKey.empty()) {
            job.Error(Tr("err_write") + L" " + SettingsIniPath() + L" – " + EntryNumberText(n) + L" " + e.name);
            return;
        }
        item.log.push_back(job.Line(e.name, FillVar(Tr("log_disabled"), L"n", EntryNumberText(n))));
    } else {
        item.log.push_back(job.Line(e.name, FillVar(Tr("log_deleted"), L"n", EntryNumberText(n))));
    }
    job.deleted.insert(n);
    job.items.push_back(std::move(item));
}

void ApplyChange(SectionJob& job, const PendingEdit& e, long n, const std::wstring& detect) {
    Item item{Item::Edit, n, {}, L"", {}};
    std::vector<Pair>& pairs = job.after[n];
    if (EntryPathChanged(e)) {
        for (Pair& p : pairs)
            if (p.rest.empty()) {
                p.value = e.newPath;
                break;
            }
        item.log.push_back(job.Line(e.name, FillVars(Tr("log_path"), {{L"a", e.origPath}, {L"b", e.newPath}})));
    }
    if (EditRemovesDetect(e) && EntryDiffers(e)) {
        std::erase_if(pairs, [](const Pair& p) { return StrIEquals(p.rest, L"_detect"); });
        item.log.push_back(job.Line(e.name, Tr("log_nodetect")));
    } else if (EntryDiffers(e)) {
        auto det = std::find_if(pairs.begin(), pairs.end(), [](const Pair& p) { return StrIEquals(p.rest, L"_detect"); });
        if (det == pairs.end()) det = pairs.insert(pairs.end(), Pair{L"_detect", L""});
        det->value = Quote(detect);
        item.log.push_back(
            job.Line(e.name, FillVar(Tr("log_saved"), L"d", DescribeDetectChange(e.origDetect, e.hasDetect, detect, true))));
    }
    job.items.push_back(std::move(item));
}

void ApplyEdit(SectionJob& job, const PendingEdit& e) {
    long n = e.number;
    if (n >= TempBase) {
        job.Error(Tr("err_number_kept") + L" " + EntryNumberText(n) + L" " + e.name);
        return;
    }
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
        job.items.push_back({Item::Already, n, {job.Line(e.name, Tr("log_already"))}, L"", {}});
        return;
    }
    if (DetectConflict(job, e, n)) return;
    if (e.deleted) ApplyDeletion(job, e, n);
    else ApplyChange(job, e, n, detect);
}

void ApplyOrder(SectionJob& job) {
    const PendingOrder& rec = PendingOrders[job.kind];
    for (int n : rec.order) {
        if (n >= TempBase) continue;
        auto orig = rec.origPaths.find(n);
        std::wstring now = PathOf(job.before, n);
        if (orig == rec.origPaths.end() || now.empty() || !StrIEquals(StrTrim(orig->second), now)) {
            job.Error(Tr("err_changed") + L" [" + job.section + L"] " + Tr("prev_order"));
            return;
        }
    }
    std::vector<long> order;
    for (int n : rec.order)
        if (job.after.count(n) && !job.deleted.count(n)) order.push_back(n);
    for (const auto& [n, pairs] : job.after)
        if (!job.deleted.count(n) && std::find(order.begin(), order.end(), n) == order.end()) order.push_back(n);
    if (std::is_sorted(order.begin(), order.end())) return;  // moves nothing
    job.order = std::move(order);
    job.orderApplied = true;
    job.items.push_back({Item::Order, 0, {}, L"", {}});
}

void PlaceActivations(SectionJob& job) {
    long placed = 0;
    for (const KeptEntry& k : job.run.activations[(size_t)job.kind]) {
        bool present = std::any_of(job.after.begin(), job.after.end(), [&](const auto& entry) {
            return !job.deleted.count(entry.first) && StrIEquals(PathOf(job.after, entry.first), StrTrim(k.path));
        });
        if (present) {
            job.Error(Tr("err_enable_dup") + L" " + k.name);
            continue;
        }
        long t = TempBase + placed++;
        job.after[t].push_back({L"", k.path});
        if (k.hasDetect) job.after[t].push_back({L"_detect", Quote(k.detect)});
        job.items.push_back({Item::Activation, t, {}, L"", k, k.number});
    }
}

long Base(const SectionJob& job) { return job.before.empty() ? 0 : job.before.begin()->first; }

// Where each entry goes: the order, the activations at their places, and the
// numbers closed up where entries left or joined.
std::vector<Target> Targets(SectionJob& job) {
    std::vector<long> order = job.order;
    if (!job.orderApplied)
        for (const auto& [n, pairs] : job.after)
            if (n < TempBase && !job.deleted.count(n)) order.push_back(n);
    std::vector<const Item*> placed;
    for (const Item& i : job.items)
        if (i.what == Item::Activation) placed.push_back(&i);
    std::stable_sort(placed.begin(), placed.end(), [](const Item* a, const Item* b) { return a->wanted < b->wanted; });
    long base = Base(job);
    for (const Item* p : placed) {
        long at = std::clamp((long)p->wanted - base, 0L, (long)order.size());
        order.insert(order.begin() + at, p->number);
    }
    bool renumber = !job.deleted.empty() || !placed.empty() || !std::is_sorted(order.begin(), order.end());
    std::vector<Target> targets;
    long running = base;
    for (long v : order) targets.push_back({v, renumber ? running++ : v});
    return targets;
}

std::wstring KeyOf(long number, const std::wstring& rest) { return std::to_wstring(number) + rest; }

Values WantedValues(const SectionJob& job, const std::vector<Target>& targets) {
    Values wanted;
    for (const Target& t : targets)
        for (const Pair& p : job.after.at(t.source)) wanted.try_emplace(FoldCase(KeyOf(t.number, p.rest)), p.value);
    return wanted;
}

// A key as the file writes it; a new one as folded.
std::wstring Spelled(const SectionJob& job, const std::wstring& lower) {
    auto it = job.spelling.find(lower);
    return it == job.spelling.end() ? lower : it->second;
}

std::optional<std::wstring> BeforeValue(const SectionJob& job, const std::wstring& lower) {
    auto it = job.beforeValues.find(lower);
    return it == job.beforeValues.end() ? std::nullopt : std::optional<std::wstring>(it->second);
}

// The keys of a target that its write changes, with those of its number that no
// entry keeps, which go with it: an entry placed over another one's path would
// otherwise stand with that one's detect string until the old keys are cleared.
std::vector<std::wstring> KeysToWrite(const SectionJob& job, const Target& t, const Values& wanted) {
    std::vector<std::wstring> keys;
    for (const Pair& p : job.after.at(t.source)) {
        std::wstring lower = FoldCase(KeyOf(t.number, p.rest));
        if (BeforeValue(job, lower) != wanted.at(lower)) keys.push_back(lower);
    }
    long number;
    std::wstring rest;
    for (const auto& [lower, value] : job.beforeValues)
        if (!wanted.count(lower) && EntryKeyNumber(lower, number, rest) && number == t.number) keys.push_back(lower);
    return keys;
}

std::optional<std::wstring> WantedValue(const Values& wanted, const std::wstring& lower) {
    auto it = wanted.find(lower);
    return it == wanted.end() ? std::nullopt : std::optional<std::wstring>(it->second);
}

// The entry whose old keys the target would write over while that entry still
// needs them; -1 when none does.
long Blocker(const SectionJob& job, const Target& t, const Values& wanted, const std::set<long>& secured) {
    for (const std::wstring& lower : KeysToWrite(job, t, wanted)) {
        long owner;
        std::wstring rest;
        if (BeforeValue(job, lower) && EntryKeyNumber(lower, owner, rest) && owner != t.source && !secured.count(owner))
            return owner;
    }
    return -1;
}

bool Holds(const std::optional<IniPairs>& read, const Values& wanted) {
    if (!read) return false;
    Values now = ValuesOf(*read);
    return std::all_of(wanted.begin(), wanted.end(), [&](const auto& kv) {
        auto it = now.find(kv.first);
        return it != now.end() && StrTrim(it->second) == StrTrim(kv.second);
    });
}

// Every wanted key and no other of the writer's; the other lines as they were.
bool HoldsExactly(const std::optional<IniPairs>& read, const Values& wanted, const Values& gone, const IniPairs& others) {
    if (!read || !Holds(read, wanted) || OwnedLines(*read).size() != wanted.size()) return false;
    if (!SameLines(LinesOwned(*read, false), others)) return false;
    Values now = ValuesOf(*read);
    return std::none_of(gone.begin(), gone.end(), [&](const auto& kv) { return now.count(kv.first) != 0; });
}

// One profile write: the value its key takes (nothing: deleted), and the one it had.
struct KeyWrite {
    std::wstring key;
    std::optional<std::wstring> value, before;
};

// The section's writes in the order they are made: first every entry at its new
// place, then the old keys and the spare copies go.
struct SectionPlan {
    std::vector<KeyWrite> place, clear;
    Values spares;  // copies at spare numbers, by folded key
};

// Every entry at its new place, an entry only once those whose keys it takes over
// are safe elsewhere (deleted, kept, written at their own new place or copied to a
// spare number): the first target in line that nothing blocks, else a spare copy
// of what blocks the first. So at every step each entry stands somewhere in the file.
void PlanPlacing(const SectionJob& job, const std::vector<Target>& targets, const Values& wanted, SectionPlan& plan) {
    std::set<long> secured = job.deleted;
    std::set<size_t> waiting, ready;  // indexes into targets
    std::map<long, size_t> takingOver;  // an entry's number before -> the target written over its keys
    for (size_t i = 0; i < targets.size(); ++i) {
        if (KeysToWrite(job, targets[i], wanted).empty()) secured.insert(targets[i].source);
        else waiting.insert(i);
        takingOver[targets[i].number] = i;
    }
    for (size_t i : waiting)
        if (Blocker(job, targets[i], wanted, secured) < 0) ready.insert(i);
    // A target can only be blocked by the entry whose number it takes.
    auto secure = [&](long source) {
        secured.insert(source);
        auto next = takingOver.find(source);
        if (next != takingOver.end() && waiting.count(next->second) &&
            Blocker(job, targets[next->second], wanted, secured) < 0)
            ready.insert(next->second);
    };
    long spare = job.before.empty() ? 0 : job.before.rbegin()->first;
    for (const Target& t : targets) spare = std::max(spare, t.number);
    while (!waiting.empty()) {
        if (ready.empty()) {
            // Entries that take each other's places: one of them goes to a spare number first.
            long owner = Blocker(job, targets[*waiting.begin()], wanted, secured);
            ++spare;
            for (const Pair& p : job.before.at(owner)) {
                std::wstring lower = FoldCase(KeyOf(spare, p.rest));
                plan.spares[lower] = p.value;
                plan.place.push_back({lower, p.value, std::nullopt});
            }
            secure(owner);
            continue;
        }
        size_t i = *ready.begin();
        ready.erase(ready.begin());
        waiting.erase(i);
        for (const std::wstring& lower : KeysToWrite(job, targets[i], wanted))
            plan.place.push_back({Spelled(job, lower), WantedValue(wanted, lower), BeforeValue(job, lower)});
        secure(targets[i].source);
    }
}

SectionPlan PlanWrites(const SectionJob& job, const std::vector<Target>& targets, const Values& wanted) {
    SectionPlan plan;
    PlanPlacing(job, targets, wanted, plan);
    std::set<std::wstring> gone;  // with an entry placed at their number
    for (const KeyWrite& k : plan.place)
        if (!k.value) gone.insert(FoldCase(k.key));
    for (const auto& [lower, value] : job.beforeValues)
        if (!wanted.count(lower) && !gone.count(lower)) plan.clear.push_back({Spelled(job, lower), std::nullopt, value});
    for (const auto& [lower, value] : plan.spares) plan.clear.push_back({lower, std::nullopt, value});
    return plan;
}

bool WriteAll(SectionWrites& w, const std::vector<KeyWrite>& writes) {
    return std::all_of(writes.begin(), writes.end(), [&](const KeyWrite& k) { return w.Set(k.key, k.value, k.before); });
}

// The plan's writes, read back after each half.
bool WriteSection(SectionJob& job, const std::vector<Target>& targets, const Values& wanted, SectionWrites& w) {
    SectionPlan plan = PlanWrites(job, targets, wanted);
    job.run.progress.Plan(plan.place.size() + plan.clear.size());
    job.run.progress.Show();
    if (!WriteAll(w, plan.place) || !Holds(job.run.io->ReadSection(job.file, job.section), wanted)) return false;
    job.run.progress.Show();
    return WriteAll(w, plan.clear) &&
           HoldsExactly(job.run.io->ReadSection(job.file, job.section), wanted, plan.spares, job.others);
}

// What of the section's changes is in the file (now, when not verified): all once
// verified, else what the file holds; counted, logged, and the kept lines squared with it.
void Conclude(SectionJob& job, const std::vector<Target>& targets, bool verified, const State& now) {
    std::map<long, long> numberOf;  // source -> number
    for (const Target& t : targets) numberOf[t.source] = t.number;
    // At its new place, and no longer at its old one as well.
    auto placed = [&](long source) {
        long number = numberOf.at(source);
        bool left = number == source || source >= TempBase || Content(now, source) != Content(job.before, source);
        return verified || (left && Content(now, number) == Content(job.after, source));
    };
    bool allPlaced = std::all_of(targets.begin(), targets.end(), [&](const Target& t) { return placed(t.source); });
    std::wstring moves;
    for (const Target& t : targets)
        if (t.source < TempBase && t.number != t.source && placed(t.source))
            moves += (moves.empty() ? L"" : L", ") + EntryNumberText(t.source) + L"→" + EntryNumberText(t.number);
    LandedChange landed = Landing(job.file, job.section, job.kind, 0);
    std::vector<std::wstring> activated;
    for (const Item& item : job.items) {
        bool done = item.what == Item::Already ||
                    (item.what == Item::Deletion && (verified || Content(now, item.number) != Content(job.before, item.number))) ||
                    (item.what == Item::Order && allPlaced) ||
                    ((item.what == Item::Edit || item.what == Item::Activation) && placed(item.number));
        if (item.what == Item::Deletion && !item.keptKey.empty()) {
            if (done) landed.kept.push_back(item.entry);
            else RemoveDisabledKey(item.keptKey);
        }
        if (!done) continue;
        landed.count += item.what != Item::Already;
        landed.log.insert(landed.log.end(), item.log.begin(), item.log.end());
        if (item.what != Item::Activation) continue;
        landed.activated.push_back(item.entry);
        std::wstring text = FillVar(Tr(item.entry.isNew ? "log_installed" : "log_enabled"), L"n",
                                    EntryNumberText(numberOf[item.number]));
        activated.push_back(job.Line(item.entry.name, text));
    }
    if (!moves.empty())
        landed.log.push_back(job.run.stamp + L"  " + StrPadRight(TabName(job.kind), 12) +
                             FillVar(Tr(job.orderApplied ? "log_order" : "log_renumbered"), L"m", moves));
    landed.log.insert(landed.log.end(), activated.begin(), activated.end());
    if (verified && landed.count > 0)
        DebugLog(L"saved " + std::wstring(job.section) + L": " + std::to_wstring(landed.count) + L" change(s)" +
                 (moves.empty() ? L"" : L", moves " + moves));
    Land(job.run, std::move(landed));
}

// The section as the failed writes left it once taken back: as before when the
// file holds nothing of them, and then its changes stay pending.
State Failed(SectionJob& job, SectionWrites& w, const IniPairs& read, const IniPairs& owned) {
    DebugLog(L"verify failed for " + job.file);
    job.Error(Tr("err_write") + L" " + job.file);
    std::optional<IniPairs> now;
    // TC reads these entries by their numbers, whatever the order of the lines.
    if (TakeBack(job.run, w, read, now, false)) {
        KeepKindPending(job.run, job.kind);
        return job.before;
    }
    return StateOf(now ? OwnedLines(*now) : AfterStanding(owned, w));
}

// The lines of the entries that move, read back from the file and written under
// their new numbers, pass the same check: a file may hold what its code page
// does not (a read through another one), and the write would change it.
bool MovedLinesRefused(SectionJob& job, const std::vector<Target>& targets) {
    bool refused = false;
    for (const Target& t : targets) {
        if (t.source >= TempBase || t.number == t.source) continue;
        IniPairs lines;
        for (const Pair& p : job.after.at(t.source)) lines.emplace_back(KeyOf(t.number, p.rest), p.value);
        std::wstring label = EntryNumberText(t.source) + L" " + FileStem(PathOf(job.after, t.source));
        refused = RefusesLines(job.run, job.kind, label, lines, job.file) || refused;
    }
    return refused;
}

// A section refused after its deactivated entries got their kept lines: they go again.
void DropKeptLines(const SectionJob& job) {
    for (const Item& item : job.items)
        if (item.what == Item::Deletion && !item.keptKey.empty()) RemoveDisabledKey(item.keptKey);
}

}  // namespace

// A path or a detect string (the plugin's own answer or typed) that cannot stand
// on one line refuses the section whole.
bool NumberedLinesRefused(SaveRun& run, int kind, const std::wstring& file) {
    bool refused = false;
    for (const PendingEdit& e : run.edits) {
        if ((int)e.kind != kind || e.deleted) continue;
        std::wstring number = std::to_wstring(e.number);
        IniPairs lines;
        if (EntryPathChanged(e)) lines.emplace_back(number, e.newPath);
        if (EntryDiffers(e) && !EditRemovesDetect(e)) lines.emplace_back(number + L"_detect", Quote(NewDetectOf(e)));
        refused = RefusesLines(run, kind, EntryNumberText(e.number) + L" " + e.name, lines, file) || refused;
    }
    for (const KeptEntry& k : run.activations[(size_t)kind]) {
        IniPairs lines{{L"0", k.path}};
        if (k.hasDetect) lines.emplace_back(L"0_detect", Quote(k.detect));
        refused = RefusesLines(run, kind, k.name, lines, file) || refused;
    }
    return refused;
}

void SaveNumberedSection(SaveRun& run, int kind) {
    std::vector<const PendingEdit*> edits;
    for (const PendingEdit& e : run.edits)
        if ((int)e.kind == kind) edits.push_back(&e);
    bool custom = OrderIsCustom(kind);
    if (edits.empty() && !custom && run.activations[(size_t)kind].empty()) return;
    SectionJob job(run, kind);
    job.file = SectionFileOrError(run, kind);
    if (job.file.empty() || NumberedLinesRefused(run, kind, job.file) || !IniPrepareWriteOnce(run, job.file))
        return KeepKindPending(run, kind);
    std::optional<IniPairs> read = run.io->ReadSection(job.file, job.section);
    if (!read) {
        job.Error(Tr("err_write") + L" " + job.file);
        return KeepKindPending(run, kind);
    }
    IniPairs owned = OwnedLines(*read);
    if (SectionRepeatsKey(run, job.file, job.section, owned)) return KeepKindPending(run, kind);
    job.beforeValues = ValuesOf(owned);
    job.others = LinesOwned(*read, false);
    for (const auto& [key, value] : owned) job.spelling.try_emplace(FoldCase(key), key);
    job.before = job.after = StateOf(owned);
    for (const PendingEdit* e : edits) ApplyEdit(job, *e);
    if (custom) ApplyOrder(job);
    PlaceActivations(job);
    std::vector<Target> targets = Targets(job);
    if (MovedLinesRefused(job, targets)) {
        DropKeptLines(job);
        return KeepKindPending(run, kind);
    }
    SectionWrites w{*run.io, job.file, job.section, {}, 0, &run.progress};
    bool verified = !job.Counts() || WriteSection(job, targets, WantedValues(job, targets), w);
    Conclude(job, targets, verified, verified ? State{} : Failed(job, w, *read, owned));
}
