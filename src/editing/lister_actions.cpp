#include "editing/lister_actions.h"

#include <algorithm>
#include <map>
#include <set>

#include "analyses/lister_check.h"
#include "editing/backups.h"
#include "editing/editing_host.h"
#include "editing/save_changes.h"
#include "editing/save_writers.h"
#include "foundation/ui_globals.h"
#include "editing/pending_ops.h"
#include "editing/tc_control.h"
#include "foundation/ini.h"
#include "foundation/ini_value_check.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

namespace {

enum : UINT { CmdAlways = 1, CmdFront = 2, CmdCopyDetect = 3 };
constexpr UINT InfoBox = MB_OK | MB_ICONINFORMATION;
constexpr UINT Question = MB_YESNO | MB_ICONQUESTION;
constexpr wchar_t ModesSection[] = L"ListerModes";


const LvRow* RowAt(int index) {
    if (index < 0 || (size_t)index >= LvRows.size() || LvRows[(size_t)index].state == LvInfo) return nullptr;
    return &LvRows[(size_t)index];
}

// The row a copy was taken of, after a new check of the file may have rebuilt the
// rows; -1 when the plugin no longer stands there as it stood.
int FindRow(const LvRow& copy) {
    for (size_t i = 0; i < LvRows.size(); ++i) {
        const LvRow& r = LvRows[i];
        if (r.state == copy.state && r.number == copy.number && r.path == copy.path && r.name == copy.name) return (int)i;
    }
    return -1;
}

// The number of the first plugin TC uses with F3; -1 when none.
int FirstCandidate() {
    for (const LvRow& r : LvRows)
        if (r.state == LvF3 && r.number >= 0) return r.number;
    return -1;
}

// The move reorders the entries from the first candidate to the moved one: each
// must stand in the file, sorted by number, as the check showed it, none added or
// gone. The rows stand in their groups, so they are sorted by number first.
bool StandAsShown(const std::vector<PlugEntry>& entries, int first, int number) {
    auto between = [&](int n) { return n >= first && n <= number; };
    std::vector<std::pair<int, std::wstring>> shown, now;
    for (const LvRow& r : LvRows)
        if (r.state != LvInfo && between(r.number)) shown.emplace_back(r.number, r.path);
    std::sort(shown.begin(), shown.end());
    for (const PlugEntry& e : entries)
        if (between(e.number)) now.emplace_back(e.number, e.path);
    return std::equal(shown.begin(), shown.end(), now.begin(), now.end(), [](const auto& a, const auto& b) {
        return a.first == b.first && StrIEquals(a.second, b.second);
    });
}

bool RefusePending(IEditingHost& host, HWND owner) {
    if (CountPendingChanges() == 0) return false;
    host.Message(owner, Tr("un_pending"), InfoBox);
    return true;
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring NumberKey(int n, const wchar_t* what) { return std::to_wstring(n) + what; }

// The view modes may only be written over what the user saw when he agreed:
// TC, closed just before, may have written its own rules meanwhile.
bool ModesUnchanged(SaveIo& io, std::wstring& errors, const std::wstring& file, const IniPairs& seen) {
    if (io.ReadSection(file, ModesSection) == seen) return true;
    errors += Tr("err_changed") + L" [ListerModes] " + file + L"\r\n";
    return false;
}

// The files an action writes, each backed up before its first write; a write
// that does not read back puts every one of them back from its backup.
struct ModeFiles {
    SaveIo& io;
    std::wstring& errors;
    std::vector<std::pair<std::wstring, std::wstring>> backups;  // file, its copy

    bool Prepare(const std::wstring& file) {
        std::wstring copy;
        if (!IniPrepareWrite(errors, file, io, copy)) return false;
        backups.emplace_back(file, copy);
        return true;
    }
    // The section reads as the writes that stand make of its lines before.
    bool Holds(const SectionWrites& w, const IniPairs& before) {
        std::optional<IniPairs> now = io.ReadSection(w.file, w.section);
        return now && SameLines(*now, AfterStanding(before, w));
    }
    bool Failed(const std::wstring& file) {
        errors += Tr("err_write") + L" " + file + L"\r\n";
        bool restored = true;
        std::wstring copies;
        for (const auto& [target, copy] : backups) {
            restored = PutBack(io, copy, target) && restored;
            copies += (copies.empty() ? L"" : L", ") + copy;
        }
        errors += L"   " + (restored ? FillVar(Tr("err_file_restored"), L"b", copies) : Tr("err_restore_hint")) + L"\r\n";
        return false;
    }
};

// The check every value of TC's INI passes, for the rules' values as the file
// stores them: true, after naming the first that cannot stand there, when one cannot.
bool ModeValuesRefused(std::wstring& errors, const std::wstring& file, const std::vector<std::wstring>& values) {
    for (const std::wstring& value : values) {
        const char* control = IniValueProblem(value);
        std::wstring why = control ? Tr(control) : CharRefusal(file, value);
        if (why.empty()) continue;
        errors += RefusedLineText(ModesSection, value, why) + L"\r\n";
        return true;
    }
    return false;
}

struct AlwaysHook {
    SaveIo& io;
    std::wstring modesFile, listerFile;
    IniPairs seen;
    ModeRulePlan plan;
    std::wstring pluginName;

    bool operator()(std::wstring& errors) const {
        if (ModeValuesRefused(errors, modesFile, {plan.exts, plan.fields})) return false;
        ModeFiles files{io, errors, {}};
        if (!ModesUnchanged(io, errors, modesFile, seen) || !files.Prepare(modesFile)) return false;
        bool otherFile = plan.switchModesOn && !StrIEquals(listerFile, modesFile);
        // Without the switch TC would ignore the rule: both files must take the write.
        if (otherFile && !files.Prepare(listerFile)) return false;
        std::wstring extsKey = NumberKey(plan.number, L"exts"), fieldsKey = NumberKey(plan.number, L"fields");
        SectionWrites modes{io, modesFile, ModesSection, {}, 0};
        if (!modes.Set(extsKey, plan.exts, std::nullopt) || !modes.Set(fieldsKey, plan.fields, std::nullopt) ||
            !files.Holds(modes, seen))
            return files.Failed(modesFile);
        if (plan.switchModesOn) {
            std::optional<IniPairs> lister = io.ReadSection(listerFile, L"Lister");
            SectionWrites on{io, listerFile, L"Lister", {}, 0};
            if (!lister || !on.Set(L"ModeByfileType", L"1", std::nullopt) || !files.Holds(on, *lister))
                return files.Failed(listerFile);
        }
        errors += LogChanges({ChangeLogLine(StrNowStamp(), 0, pluginName,
                                            FillVar(Tr("log_mode"), L"m", plan.exts + L" → " + plan.fields))});
        DebugLog(L"lister view: [ListerModes] " + extsKey + L"=" + plan.exts + L", " + fieldsKey + L"=" + plan.fields +
                 L" in " + modesFile);
        return true;
    }
};

struct GapRule {
    std::wstring exts, fields;
};

struct GapHook {
    SaveIo& io;
    std::wstring file;
    IniPairs seen;
    std::vector<std::wstring> keys;
    std::vector<GapRule> rules;
    int gap = -1;

    bool operator()(std::wstring& errors) const {
        std::vector<std::wstring> values;
        for (const GapRule& rule : rules) values.insert(values.end(), {rule.exts, rule.fields});
        if (ModeValuesRefused(errors, file, values)) return false;
        ModeFiles files{io, errors, {}};
        if (!ModesUnchanged(io, errors, file, seen) || !files.Prepare(file)) return false;
        // The rules move only down, and in ascending order each has been written
        // at its new number before its old one is written over; the keys left
        // over go only after all rules read back, whole lines: a single key's read
        // drops the quotes around a value.
        SectionWrites w{io, file, ModesSection, {}, 0};
        std::set<std::wstring> written;
        for (size_t i = 0; i < rules.size(); ++i) {
            std::wstring e = NumberKey((int)i, L"exts"), f = NumberKey((int)i, L"fields");
            if (!w.Set(e, rules[i].exts, std::nullopt) || !w.Set(f, rules[i].fields, std::nullopt))
                return files.Failed(file);
            written.insert({FoldCase(e), FoldCase(f)});
        }
        if (!files.Holds(w, seen)) return files.Failed(file);
        for (const std::wstring& key : keys)
            if (!written.count(FoldCase(key)) && !w.Set(key, std::nullopt, std::nullopt)) return files.Failed(file);
        if (!files.Holds(w, seen)) return files.Failed(file);
        errors += LogChanges({ChangeLogLine(StrNowStamp(), 0, L"[ListerModes]",
                                            FillVar(Tr("log_modegap"), L"n", std::to_wstring(gap)))});
        DebugLog(L"listermodes: gap at " + std::to_wstring(gap) + L" closed, " + std::to_wstring(rules.size()) +
                 L" entries in " + file);
        return true;
    }
};

// TC splits both values of a rule at blanks, tabs, commas and semicolons, with no
// quoting: "*. who" would be two patterns, one of them every file without an
// extension, and "My Plugin.wlx" the two names "My" and "Plugin.wlx".
bool ReadAsOneWord(const std::wstring& text) { return SplitWords(text) == std::vector<std::wstring>{text}; }

// Why no rule can be written for the extension; nullptr when one can.
const char* ExtRefusal(const std::wstring& ext) {
    if (ext.empty() || ext.find_first_of(L"*?") != std::wstring::npos) return "lv_noext";
    return ReadAsOneWord(L"*." + ext) ? nullptr : "lv_ext_split";
}

// Rules are written in lower case; the system's table lowers every letter (ÄRZ to
// ärz), where the C runtime's towlower knows A-Z only.
std::wstring LowerLetters(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(text.data(), (DWORD)text.size());
    return text;
}

std::wstring ExtRefusalText(const char* refusal, const std::wstring& ext) { return FillVar(Tr(refusal), L"e", ext); }

SaveRequest ConfirmedSave(const std::wstring& doneText, SaveHook hook) {
    SaveRequest request;
    request.confirmed = 1;
    request.force = 1;
    request.doneText = doneText;
    request.beforeWrite = std::move(hook);
    return request;
}

std::wstring RestartNote(const wchar_t* lead) { return TcWindowOpen() ? lead + Tr("un_tc") : L""; }

// Every rule of [ListerModes] by number, the first value of each key kept.
std::map<long, GapRule> RulesByNumber(const IniPairs& lines, std::vector<std::wstring>& keys) {
    std::map<long, GapRule> rules;
    std::map<long, std::pair<bool, bool>> seen;
    for (const auto& [key, value] : lines) {
        long n = 0;
        std::wstring rest;
        if (!SplitLeadingNumber(key, n, rest)) continue;
        keys.push_back(key);
        auto& [hasExts, hasFields] = seen[n];
        if (StrIEquals(rest, L"exts") && !hasExts) {
            hasExts = true;
            rules[n].exts = StrTrim(value);
        } else if (StrIEquals(rest, L"fields") && !hasFields) {
            hasFields = true;
            rules[n].fields = StrTrim(value);
        }
    }
    return rules;
}

}  // namespace

ModeRulePlan PlanModeRule(const std::wstring& ext, const std::wstring& pluginPath) {
    ModeRulePlan plan;
    ListerSettings s = LoadListerSettings();
    if (const char* refusal = ExtRefusal(ext)) {
        plan.refusal = refusal;
        plan.refusalText = ExtRefusalText(refusal, ext);
        return plan;
    }
    plan.fields = FileNameOf(pluginPath);
    if (!ReadAsOneWord(plan.fields)) {
        plan.refusal = "lv_plugin_split";
        plan.refusalText = FillVar(Tr("lv_plugin_split"), L"p", plan.fields);
        return plan;
    }
    if (s.modeGap >= 0) {
        plan.refusal = "lv_gap_first";
        plan.refusalText = FillVar(Tr("lv_gap_first"), L"n", std::to_wstring(s.modeGap));
        return plan;
    }
    plan.exts = L"*." + LowerLetters(ext);
    plan.switchModesOn = !s.modeByFileType;
    plan.number = (int)s.listerModes.size();
    for (const ListerMode& m : s.listerModes) {
        if (!RuleMatches(m.patterns, ext)) continue;
        if (m.patterns.size() == 1 && StrIEquals(m.patterns[0], plan.exts)) {
            plan.number = m.number;
            plan.oldFields = m.fields;
        } else {
            plan.refusal = "lv_mode_other";
            plan.refusalText = FillVars(Tr("lv_mode_other"), {{L"e", ext}, {L"m", m.exts + L" → " + m.fields}});
        }
        break;
    }
    return plan;
}

bool LvAlwaysPrepare(IEditingHost& host, HWND owner, int index, SaveRequest& request, SaveIo& io) {
    const LvRow* row = RowAt(index);
    if (!row || SaveIsRunning()) return false;
    const LvRow r = *row;
    std::wstring ext = LvFileExt;
    if (const char* refusal = ExtRefusal(ext)) {
        host.Message(owner, ExtRefusalText(refusal, ext), InfoBox);
        return false;
    }
    if (RefusePending(host, owner)) return false;
    // Read before the plan and the question: a rule TC writes while the user is
    // asked must make the save refuse, not count as what he agreed to write over.
    std::wstring modesFile = EffectiveIniPath(ModesSection);
    IniPairs seen = ReadIniSection(modesFile, ModesSection);
    ModeRulePlan plan = PlanModeRule(ext, r.path);
    if (plan.refusal) {
        host.Message(owner, plan.refusalText, InfoBox);
        return false;
    }
    std::wstring q = FillVars(Tr("lv_ask_mode"), {{L"e", ext}, {L"p", r.name}});
    if (!plan.oldFields.empty()) q += L"\n" + FillVar(Tr("lv_ask_replace"), L"o", plan.oldFields);
    q += RestartNote(L"\n\n");
    if (host.Message(owner, q, Question) != IDYES) return false;
    request = ConfirmedSave(FillVars(Tr("lv_done_mode"), {{L"e", ext}, {L"p", r.name}}),
                            AlwaysHook{io, modesFile, EffectiveIniPath(L"Lister"), std::move(seen), plan, r.name});
    return true;
}

void LvAlways(IEditingHost& host, HWND owner, int index, SaveIo& io) {
    SaveRequest request;
    if (LvAlwaysPrepare(host, owner, index, request, io)) SaveChanges(host, owner, std::move(request), io);
}

void LvMoveToFront(IEditingHost& host, HWND owner, int index, SaveIo& io) {
    const LvRow* row = RowAt(index);
    if (!row || row->state != LvF3 || SaveIsRunning() || RefusePending(host, owner)) return;
    int number = row->number, first = FirstCandidate();
    if (first < 0 || first >= number) return;
    std::vector<PlugEntry> entries = LoadPluginSection(KindLister).entries;
    std::sort(entries.begin(), entries.end(), [](const PlugEntry& a, const PlugEntry& b) { return a.number < b.number; });
    if (!StandAsShown(entries, first, number)) {
        host.Message(owner, Tr("lv_front_changed"), InfoBox);
        host.RecheckLister();
        return;
    }
    PendingOrder rec;
    for (const PlugEntry& e : entries) {
        rec.order.push_back(e.number);
        rec.origPaths[e.number] = e.path;
        rec.origNames[e.number] = e.name;
    }
    auto from = std::find(rec.order.begin(), rec.order.end(), number);
    if (from == rec.order.end() || std::find(rec.order.begin(), rec.order.end(), first) == rec.order.end()) return;
    rec.order.erase(from);
    rec.order.insert(std::find(rec.order.begin(), rec.order.end(), first), number);
    PendingOrders[KindLister] = std::move(rec);
    SaveRequest request;
    request.withdrawUnwritten = 1;
    SaveChanges(host, owner, std::move(request), io);
    PendingOrders.erase(KindLister);
    host.RecheckLister();
}

bool ModeGapFixPrepare(IEditingHost& host, HWND owner, SaveRequest& request, SaveIo& io) {
    ListerSettings s = LoadListerSettings();
    if (s.modeGap < 0) {
        host.PendingChanged();
        return false;
    }
    if (SaveIsRunning() || RefusePending(host, owner)) return false;
    std::wstring file = EffectiveIniPath(ModesSection);
    GapHook hook{io, file, ReadIniSection(file, ModesSection), {}, {}, s.modeGap};
    std::wstring moves;
    for (const auto& [n, rule] : RulesByNumber(hook.seen, hook.keys)) {
        if (rule.exts.empty() || rule.fields.empty()) continue;
        long to = (long)hook.rules.size();
        if (to != n)
            moves += L"   " + std::to_wstring(n) + L" → " + std::to_wstring(to) + L":  " + rule.exts + L" → " +
                     rule.fields + L"\n";
        hook.rules.push_back(rule);
    }
    std::wstring q = FillVar(Tr("gap_ask"), L"n", std::to_wstring(s.modeGap)) + L"\n\n" + moves + RestartNote(L"\n");
    if (host.Message(owner, q, Question) != IDYES) return false;
    std::wstring done = FillVar(Tr("gap_done"), L"k", std::to_wstring(hook.rules.size()));
    request = ConfirmedSave(done, std::move(hook));
    return true;
}

void ModeGapFix(IEditingHost& host, HWND owner, SaveIo& io) {
    SaveRequest request;
    if (ModeGapFixPrepare(host, owner, request, io)) SaveChanges(host, owner, std::move(request), io);
}

void LvCheckMenu(IEditingHost& host, HWND owner, POINT screen, int index) {
    const LvRow* row = RowAt(index);
    if (!row) return;
    std::wstring ext = LvFileExt.empty() ? Tr("ext_noext") : LvFileExt;
    int first = FirstCandidate();
    HMENU menu = CreatePopupMenu();
    bool always = (row->state == LvF3 || row->state == LvKey4) && row->fileExists && !LvFileExt.empty();
    AppendMenuW(menu, MF_STRING | (always ? 0 : MF_GRAYED), CmdAlways,
                FillVars(Tr("cm_lv_always"), {{L"e", ext}, {L"p", row->name}}).c_str());
    if (row->state == LvF3 && first >= 0 && row->number > first)
        AppendMenuW(menu, MF_STRING, CmdFront,
                    FillVars(Tr("cm_lv_front"), {{L"a", EntryNumberText(row->number)}, {L"b", EntryNumberText(first)}})
                        .c_str());
    else
        AppendMenuW(menu, MF_STRING | MF_GRAYED, CmdFront, Tr("cm_lv_front0").c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | (row->hasDetect ? 0 : MF_GRAYED), CmdCopyDetect, Tr("cm_copy_detect").c_str());
    const LvRow shown = *row;
    const std::wstring shownExt = LvFileExt;
    UINT cmd = host.PopupMenu(owner, screen, menu);
    DestroyMenu(menu);
    if (cmd == CmdCopyDetect) {
        UiCopyToClipboard(owner, shown.detect);
        return;
    }
    // A check made while the menu was open rebuilt the rows: the action is for the
    // row and the type the menu named, or for nothing.
    index = LvFileExt == shownExt ? FindRow(shown) : -1;
    if (index < 0) return;
    if (cmd == CmdAlways) LvAlways(host, owner, index);
    else if (cmd == CmdFront) LvMoveToFront(host, owner, index);
}
