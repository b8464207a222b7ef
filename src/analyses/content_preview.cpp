#include "analyses/content_preview.h"

#include <memory>

#include "analyses/builtin_fields.h"
#include "analyses/detect_notes.h"
#include "analyses/preview_state.h"
#include "dsx/eval.h"
#include "dsx/reach.h"
#include "foundation/data_folder.h"
#include "foundation/ini.h"
#include "foundation/ini_escape.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/workers.h"

std::vector<PvPlugin> PvPlugins;
std::set<int> PvChecked;
uint8_t PvChoiceMade = 0;
std::map<std::wstring, std::set<std::wstring>> PvLastChoice;
std::wstring PvCurrentExt;
std::wstring PvWhyText;
int32_t PvJobsPending = 0;
int32_t PvAnswered = 0;

namespace {

bool IsValidRow(int index) { return index >= 0 && static_cast<size_t>(index) < PvPlugins.size(); }

bool NeedsQuery(const PvPlugin& row) { return row.state == PvSkipped || row.state == PvNoMatch; }

PvPlugin BuiltInRow(const std::wstring& file) {
    PvPlugin row;
    row.name = L"tc (pseudo)";
    row.key = L"tc";
    row.match = 1;
    row.builtIn = 1;
    row.state = PvAnsweredOk;
    AddBuiltInFields(row, file);
    return row;
}

PvPlugin EntryRow(const PlugEntry& entry, const FileFacts& facts) {
    PvPlugin row;
    row.number = entry.number;
    row.name = entry.name;
    row.path = entry.expandedPath;
    row.key = PlugKey(entry.expandedPath);
    row.match = entry.hasDetect ? DetectMatches(Unquote(entry.detectText), facts) : 1;
    EntryReach reach = DetectReachOfEntry(entry);
    row.specialist = reach.valid && reach.reach == ReachSpecific;
    return row;
}

// A query that could not start says so in its rows, as plugins not asked, and no
// longer counts as running.
void MarkNotStarted(const FieldsJob& job, DWORD error) {
    for (const FieldsItem& item : job.items) {
        PvPlugin& row = PvPlugins[item.index];
        row.state = PvNotStarted;
        row.error = WorkerStartFailureText(error);
    }
    PvJobsPending -= static_cast<int32_t>(job.items.size());
}

// Hands the job to a preview worker; false when no thread could be made.
bool StartWorker(IPreviewView& view, std::unique_ptr<FieldsJob> job) {
    if (DWORD error = view.StartWorker(PreviewFieldsThread, job.get())) {
        MarkNotStarted(*job, error);
        return false;
    }
    job.release();
    return true;
}

std::unique_ptr<FieldsJob> NewJob(IPreviewView& view) {
    auto job = std::make_unique<FieldsJob>();
    job->window = view.ResultWindow();
    job->generation = PvFieldsGen.load();
    job->settings = CurrentChildSettings();
    job->file = PreviewFile;
    return job;
}

std::wstring ExtText() { return PvCurrentExt.empty() ? Tr("ext_noext") : PvCurrentExt; }

// The best answered plugin: a specialist before the others, then the most fields
// with a value; ties keep the earlier row.
int BestRow() {
    int best = -1, bestCount = 0;
    for (size_t i = 0; i < PvPlugins.size(); ++i) {
        const PvPlugin& row = PvPlugins[i];
        int count = PvCountValuedFields(row);
        if (row.builtIn || row.state != PvAnsweredOk || count == 0) continue;
        bool better = best < 0 || (row.specialist && !PvPlugins[best].specialist) ||
                      (row.specialist == PvPlugins[best].specialist && count > bestCount);
        if (better) best = static_cast<int>(i), bestCount = count;
    }
    return best;
}

void ChooseBestRow() {
    int best = BestRow();
    if (best < 0) return;
    const PvPlugin& row = PvPlugins[best];
    PvChecked.insert(best);
    PvWhyText = FillVars(Tr(row.specialist ? "pv_why_spec" : "pv_why_most"),
                         {{L"p", row.name}, {L"e", ExtText()}, {L"n", std::to_wstring(PvCountValuedFields(row))}});
}

void ClearModel() {
    PvPlugins.clear();
    PvJobsPending = PvAnswered = 0;
    PvChecked.clear();
    PvWhyText.clear();
    PvCurrentExt.clear();
    PvChoiceMade = 0;
}

}  // namespace

std::set<std::wstring> LoadPreviewSkip() {
    std::set<std::wstring> keys;
    for (const auto& [key, value] : ReadIniSection(SettingsIniPath(), L"PreviewSkip"))
        if (StrTrim(value) == L"1") keys.insert(FoldCase(IniUnescape(key)));
    return keys;
}

int PvCountValuedFields(const PvPlugin& row) {
    int count = 0;
    for (const FieldDef& field : row.fields)
        for (const FieldValue& value : field.values)
            if (value.result > 0 || value.result == -4) {
                ++count;
                break;
            }
    return count;
}

bool PvIsLoadFail1114(const PvPlugin& row) { return StrTrim(row.error) == L"1114"; }

bool PvRunning() { return PvAnswered < PvJobsPending; }

void PvRefresh(IPreviewView& view) {
    ++PvFieldsGen;
    ClearModel();
    view.Clear();
    if (PreviewFile.empty() || WincmdIniPath.empty()) {
        view.FillPluginList();
        view.FillFieldList();
        view.UpdateStatusBar();
        return;
    }
    PluginSection section = LoadPluginSection(KindContent);
    FileFacts facts = DetFileFacts(PreviewFile);
    PvCurrentExt = StrLower(facts.extension);
    std::set<std::wstring> skip = LoadPreviewSkip();
    std::unique_ptr<FieldsJob> job = NewJob(view);
    PvPlugins.push_back(BuiltInRow(PreviewFile));
    for (const PlugEntry& entry : section.entries) {
        PvPlugin row = EntryRow(entry, facts);
        if (skip.count(row.key))
            row.state = PvSkipped;
        else if (row.match)
            job->items.push_back({static_cast<uint32_t>(PvPlugins.size()), row});
        else
            row.state = PvNoMatch;
        PvPlugins.push_back(std::move(row));
    }
    PvJobsPending = static_cast<int32_t>(job->items.size());
    view.FillPluginList();
    if (!job->items.empty()) {
        view.FillFieldList();
        view.UpdateStatusBar();
        if (StartWorker(view, std::move(job))) return;
        view.FillPluginList();
    }
    UpdatePreviewVerdict(view);
    view.UpdateStatusBar();
}

void StartFieldsJob(IPreviewView& view, int index) {
    if (!IsValidRow(index) || PvPlugins[index].builtIn) return;
    PvPlugin& row = PvPlugins[index];
    row.state = PvQuerying;
    ++PvJobsPending;
    std::unique_ptr<FieldsJob> job = NewJob(view);
    job->items.push_back({static_cast<uint32_t>(index), row});
    job->items.back().row.fields.clear();  // the answer brings the fields anew
    job->items.back().row.error.clear();
    StartWorker(view, std::move(job));
}

void PvTakeAnswer(IPreviewView& view, uint32_t generation, uint32_t index, const PvPlugin& answer) {
    if (generation != PvFieldsGen.load() || index >= PvPlugins.size()) return;
    view.SaveGroupStates();
    PvPlugin& row = PvPlugins[index];
    uint8_t expanded = row.expanded, specialist = row.specialist;
    row = answer;
    row.expanded = expanded;
    row.specialist = specialist;
    ++PvAnswered;
    bool shown = view.PanesShown();
    if (shown) view.FillPluginList();
    if (PvChoiceMade) {
        if (shown) view.RefreshGroup(static_cast<int>(index));
    } else if (PvRunning()) {
        if (shown) view.ShowIntro();
    } else {
        // The choice is the model's: it is made whether or not the tab is in view.
        UpdatePreviewVerdict(view);
    }
    view.UpdateStatusBar();
}

void UpdatePreviewVerdict(IPreviewView& view) {
    if (PvChoiceMade) return;
    PvWhyText.clear();
    auto remembered = PvLastChoice.find(FoldCase(PvCurrentExt));
    if (remembered != PvLastChoice.end()) {
        for (size_t i = 0; i < PvPlugins.size(); ++i) {
            if (!remembered->second.count(PvPlugins[i].key)) continue;
            PvChecked.insert(static_cast<int>(i));
            if (NeedsQuery(PvPlugins[i])) StartFieldsJob(view, static_cast<int>(i));
        }
    }
    if (!PvChecked.empty())
        PvWhyText = FillVar(Tr("pv_why_mem"), L"e", ExtText());
    else
        ChooseBestRow();
    for (int index : PvChecked) PvPlugins[index].expanded = 1;
    PvChoiceMade = 1;
    view.FillPluginList();
    view.FillFieldList();
}

void PvCheckPlugin(IPreviewView& view, int index, bool checked) {
    if (!IsValidRow(index)) return;
    PvWhyText.clear();
    if (checked) {
        PvChecked.insert(index);
        PvPlugins[index].expanded = 1;
        if (NeedsQuery(PvPlugins[index])) StartFieldsJob(view, index);
    } else {
        PvChecked.erase(index);
    }
    if (!PvCurrentExt.empty() || !PreviewFile.empty()) {
        // x.ärz and x.ÄRZ are one type, though the shown extension keeps its letters.
        std::set<std::wstring>& keys = PvLastChoice[FoldCase(PvCurrentExt)];
        keys.clear();
        for (int i : PvChecked) keys.insert(FoldCase(PvPlugins[i].key));
    }
    if (PvChoiceMade) view.FillFieldList();
    view.FillPluginList();
    view.UpdateStatusBar();
}
