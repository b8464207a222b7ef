#include "analyses/lister_check.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "analyses/lister_state.h"
#include "dsx/parse.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "probe_record/pe.h"
#include "probe/plugin_info.h"

std::vector<LvRow> LvRows;
std::wstring LvFileExt;

namespace {

const wchar_t kPartSep[] = L"  ·  ";
const wchar_t kArrow[] = L" → ";

// What TC decides for the file type before it walks the plugin order.
struct TypeFacts {
    bool noPlugin = false;
    bool noMedia = false;
    bool ownViewer = false;
    const ListerMode* rule = nullptr;
    bool Blocked() const { return noPlugin || noMedia; }
};

TypeFacts ReadTypeFacts(const ListerSettings& s, const std::wstring& ext) {
    TypeFacts t;
    if (!s.loaded) return t;
    t.noPlugin = TypeListMatches(s.noPluginTypes, ext);
    t.noMedia = TypeListMatches(s.noMediaTypes, ext);
    t.ownViewer = !ext.empty() && IsTcOwnViewerExt(s, ext);
    t.rule = RuleFind(s, ext);
    return t;
}

void AddLvRow(std::vector<LvRow>& rows, const std::wstring& caption, const std::wstring& text) {
    LvRow row;
    row.caption = caption;
    row.reason = text;
    rows.push_back(std::move(row));
}

bool RuleFixesPlugin(const ListerMode* rule) {
    return rule && !rule->fieldWords.empty() && ModeWordNamesPlugin(rule->fieldWords[0]);
}

bool RuleNamesPlugin(const ListerMode* rule, const std::wstring& path) {
    if (!RuleFixesPlugin(rule)) return false;
    std::wstring key = PlugKey(path);
    return std::any_of(rule->fieldWords.begin(), rule->fieldWords.end(),
                       [&](const std::wstring& w) { return ModeWordNamesPlugin(w) && PlugKey(w) == key; });
}

std::wstring ModeRuleText(const ListerMode& rule) {
    std::wstring words;
    for (const auto& w : rule.fieldWords) words += (words.empty() ? L"" : L", ") + ModeWordText(w);
    return rule.exts + kArrow + words;
}

void AddDecisionRows(std::vector<LvRow>& rows, const TypeFacts& t, const std::wstring& extText) {
    if (t.noPlugin) AddLvRow(rows, Tr("lv_pre_block_t"), FillVar(Tr("h_noplugin"), L"e", extText));
    if (t.noMedia) AddLvRow(rows, Tr("lv_pre_block_t"), FillVar(Tr("h_nomedia"), L"e", extText));
    if (t.rule) AddLvRow(rows, Tr("lv_pre_mode_t"), FillVar(Tr("lv_pre_mode"), L"m", ModeRuleText(*t.rule)));
    if (t.ownViewer) AddLvRow(rows, Tr("lv_pre_int_t"), FillVar(Tr("lv_pre_int"), L"e", extText));
    if (rows.empty()) AddLvRow(rows, Tr("lv_pre_none_t"), Tr("lv_pre_none"));
}

// The trees of the detect strings seen in this run: checking file after file
// parses each string once. UI thread only.
const DsxTree& ParsedTree(const std::wstring& detect) {
    static std::unordered_map<std::wstring, DsxTree> trees;
    auto [it, isNew] = trees.try_emplace(detect);
    if (isNew) it->second = dsx::Parse(detect);
    return it->second;
}

// One parse per entry serves the syntax check, MULTIMEDIA and both evaluations.
struct ParsedDetect {
    const DsxTree* tree = nullptr;
    bool blank = true;
    bool syntaxError = false;
    bool multimedia = false;

    ParsedDetect(const std::wstring& detect, const DsxTree& parsed) {
        if (StrTrimView(detect).empty()) return;
        blank = false;
        tree = &parsed;
        syntaxError = tree->error.code != DsxErrNone || tree->root < 0;
        multimedia = !syntaxError && std::any_of(tree->nodes.begin(), tree->nodes.end(),
                                                 [](const DsxNode& n) { return n.kind == DsxMultimedia; });
    }
    // As TC offers a plugin: a blank or broken detect string takes every file.
    bool Accepts(const FileFacts& facts) const {
        return blank || syntaxError || DsxEval(*tree, tree->root, facts);
    }
};

// The machine of a candidate file of a plugin path (PluginCandidate) the load saw,
// read once per version of the file, so that checking file after file does not
// open every plugin again. A stamp is never 0. UI thread only.
uint16_t SeenMachine(const std::wstring& path, int which, uint64_t stamp) {
    static std::unordered_map<std::wstring, std::array<std::pair<uint64_t, uint16_t>, 3>> machines;
    auto& seen = machines.try_emplace(path).first->second[which];
    if (seen.first != stamp) seen = {stamp, PeMachine(PluginCandidate(path, which))};
    return seen.second;
}

// Why TC cannot load the entry's file; "" when it can.
std::wstring UnloadableReason(const PlugEntry& e, bool tc32) {
    if (!e.fileExists) return L"";
    if (tc32) return LacksFileOf32BitTc(e) ? Tr("lv_r_64") : L"";
    FilePresence presence;  // empty until the disk must be asked
    // Entries made without a load have not looked at the disk yet.
    const PluginFileSeen files = e.files.bits ? e.files : SeePluginFiles(presence, e.expandedPath);
    auto machine = [&](int which) { return SeenMachine(e.expandedPath, which, files.stamps[which]); };
    for (int which : {1, 0})
        if ((files.bits & (1 << which)) && machine(which) == PeMachineX64) return L"";
    // The rare "foo64.wlx" beside a 32-bit "foo.wlx" is looked for only now.
    std::wstring twin = PluginCandidate(e.expandedPath, 2);
    if (!twin.empty()) {
        auto stamp = FileSeen(presence, twin);
        if (stamp && SeenMachine(e.expandedPath, 2, *stamp) == PeMachineX64) return L"";
    }
    if ((files.bits & 1) && machine(0) == PeMachineX86) return Tr("lv_r_32");
    if (e.expandedPath.ends_with(L"64") && FindLoadableFile(e.expandedPath).is32Bit) return Tr("lv_r_32");
    // An ARM64 or damaged file is no 32-bit plugin: a 32-bit TC would not take it either.
    return NoPluginMachineText(e.expandedPath);
}

std::wstring MatchingPartsText(const std::vector<DetectTerm>& terms) {
    std::wstring text;
    int counted = 0;
    for (const auto& term : terms) {
        if (!term.value || term.kind == DsxExtNe) continue;
        if (++counted <= 3) text += (text.empty() ? L"" : kPartSep) + term.text;
    }
    if (counted == 0) return Tr("lv_r_match");
    if (counted > 3) text += L"  …";
    return text;
}

struct CheckContext {
    TypeFacts type;
    FileFacts facts;   // as F3 sees the file: FORCE false
    FileFacts forced;  // as key 4 sees it
    std::wstring extText;
    bool tc32 = false;
};

std::pair<int, std::wstring> Classify(const PlugEntry& e, const LvRow& row, const DsxTree& tree,
                                      const CheckContext& c) {
    if (!e.fileExists) return {LvNoMatch, Tr("lv_r_missing")};
    if (std::wstring why = UnloadableReason(e, c.tc32); !why.empty()) return {LvNoMatch, why};
    ParsedDetect detect(row.detect, tree);
    bool key4 = detect.Accepts(c.forced);
    if (c.type.Blocked()) {
        if (key4) return {LvKey4, FillVar(Tr("lv_r_blocked"), L"e", c.extText)};
        return {LvNoMatch, LvCheckReasonText(row)};
    }
    if (c.type.ownViewer && !detect.multimedia) return {LvNoMatch, FillVar(Tr("lv_r_nomm"), L"e", c.extText)};
    if (detect.syntaxError) return {LvF3, Tr("lv_r_syntax")};
    if (detect.Accepts(c.facts))
        return {LvF3, row.hasDetect ? MatchingPartsText(row.terms) : Tr("lv_r_every")};
    if (key4) return {LvKey4, Tr("lv_r_force")};
    return {LvNoMatch, LvCheckReasonText(row)};
}

LvRow PluginRow(const PlugEntry& e, const CheckContext& c) {
    LvRow row;
    row.number = e.number;
    row.name = e.name;
    row.path = e.path;
    row.hasDetect = e.hasDetect;
    row.fileExists = e.fileExists;
    if (e.hasDetect) row.detect = e.detectText;  // read from wincmd.ini already unquoted
    const DsxTree& tree = ParsedTree(row.detect);
    row.terms = DetectTermValues(tree, row.detect, c.facts);
    row.modeRule = RuleNamesPlugin(c.type.rule, e.expandedPath);
    auto [state, reason] = Classify(e, row, tree, c);
    row.state = state;
    row.reason = row.modeRule ? FillVar(Tr("lv_r_fixed"), L"e", c.extText) + kPartSep + reason : reason;
    return row;
}

// Where key 4 starts: the view-mode plugin, or the first F3 match; -1 for none.
int CycleStart(const std::vector<LvRow>& rows, const TypeFacts& t) {
    if (t.rule) {
        if (!RuleFixesPlugin(t.rule)) return -1;
        for (const auto& word : t.rule->fieldWords) {
            if (!ModeWordNamesPlugin(word)) continue;
            std::wstring key = PlugKey(word);
            for (size_t i = 0; i < rows.size(); ++i)
                if (rows[i].state != LvInfo && PlugKey(rows[i].path) == key) return (int)i;
        }
        return -1;
    }
    if (t.Blocked() || t.ownViewer) return -1;
    auto first = std::find_if(rows.begin(), rows.end(), [](const LvRow& r) { return r.state == LvF3; });
    return first == rows.end() ? -1 : (int)(first - rows.begin());
}

void InsertKey4Cycle(std::vector<LvRow>& rows, const TypeFacts& t) {
    int start = CycleStart(rows, t);
    if (start < 0) return;
    std::wstring names;
    auto take = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            if (rows[i].state == LvF3 || rows[i].state == LvKey4) names += kArrow + rows[i].name;
    };
    take((size_t)start + 1, rows.size());
    take(0, (size_t)start);
    if (names.empty()) return;
    LvRow cycle;
    cycle.caption = Tr("lv_pre_k4_t");
    cycle.reason = FillVar(Tr(t.rule ? "lv_pre_k4_mode" : "lv_pre_k4"), L"p",
                           rows[start].name + names + kArrow + rows[start].name);
    auto firstPlugin = std::find_if(rows.begin(), rows.end(), [](const LvRow& r) { return r.state != LvInfo; });
    rows.insert(firstPlugin, std::move(cycle));
}

}  // namespace

bool TcExeIs32Bit(const std::wstring& exePath) { return StrUpper(exePath).ends_with(L"\\TOTALCMD.EXE"); }

std::vector<LvRow> LvComputeRows(const PluginSection& lister, const FileFacts& facts, bool tc32) {
    CheckContext c;
    c.facts = facts;
    c.facts.force = 0;
    c.type = ReadTypeFacts(lister.lister, facts.extension);
    c.forced = c.facts;
    c.forced.force = 1;
    c.extText = facts.extension.empty() ? Tr("ext_noext") : facts.extension;
    c.tc32 = tc32;

    std::vector<LvRow> rows;
    rows.reserve(lister.entries.size() + 6);
    AddDecisionRows(rows, c.type, c.extText);
    std::vector<const PlugEntry*> ordered;
    for (const auto& e : lister.entries) ordered.push_back(&e);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const PlugEntry* a, const PlugEntry* b) { return a->number < b->number; });
    for (const PlugEntry* e : ordered) rows.push_back(PluginRow(*e, c));
    InsertKey4Cycle(rows, c.type);
    return rows;
}

std::wstring LvCheckReasonText(const LvRow& row) {
    const std::vector<DetectTerm>& terms = row.terms;
    if (terms.empty()) return Tr("lv_r_nomatch");
    bool anyExt = false, extHolds = false;
    for (const auto& t : terms) {
        if (t.kind != DsxExtEq) continue;
        anyExt = true;
        extHolds = extHolds || t.value;
    }
    if (anyExt && !extHolds) return Tr("lv_r_ext");
    static const std::pair<int, const char*> kFailing[] = {
        {DsxExtNe, "lv_r_excl"}, {DsxSize, "lv_r_size"}, {DsxFind, "lv_r_find"}, {DsxByte, "lv_r_head"}};
    for (const auto& [kind, key] : kFailing)
        for (const auto& t : terms)
            if (t.kind == kind && !t.value) return Tr(key) + L": " + t.text;
    return Tr("lv_r_nomatch");
}

std::wstring LvRowDetailText(int index) {
    if (index < 0 || (size_t)index >= LvRows.size()) return L"";
    const LvRow& r = LvRows[(size_t)index];
    if (r.state == LvInfo) return r.caption + L":\t" + r.reason;
    const char* stateKey = r.state == LvF3 ? "lv_d_f3" : r.state == LvKey4 ? "lv_d_f4" : "lv_d_no";
    std::wstring text = Tr("lv_d_plugin") + L"\t" + r.name + L"  (" + EntryNumberText(r.number) + L")\r\n";
    text += Tr("lv_d_detect") + L"\t" + (r.hasDetect ? r.detect : Tr("det_none")) + L"\r\n";
    text += Tr("lv_d_result") + L"\t" + Tr(stateKey) + L" – " + r.reason + L"\r\n";
    if (!r.terms.empty()) {
        std::wstring parts;
        for (const auto& t : r.terms) {
            std::wstring mark = t.value ? L"✓" : (t.kind == DsxForce ? Tr("lv_d_key4") : L"✗");
            parts += (parts.empty() ? L"" : L"   ") + mark + L" " + t.text;
        }
        text += Tr("lv_d_parts") + L"\t" + parts + L"\r\n";
    }
    return text + Tr("lv_d_note") + L"\t" + Tr("lv_note");
}
