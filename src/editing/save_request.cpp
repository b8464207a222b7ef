#include "editing/save_request.h"

#include <algorithm>

#include "analyses/inventory.h"
#include "editing/editing_host.h"
#include "editing/pending_ops.h"

SaveRun BuildSaveRun(const std::vector<KeptEntry>& newEntries) {
    SaveRun run;
    for (const auto& [key, edit] : PendingEdits)
        if (EditNeedsSave(edit)) run.edits.push_back(edit);
    std::stable_sort(run.edits.begin(), run.edits.end(), [](const PendingEdit& a, const PendingEdit& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
    });
    for (const auto& [key, state] : PlugStates)
        if (PlugStateNeeded(state)) {
            run.states.push_back(state);
            run.stateKeys.push_back(key);
        }
    for (int kind = 0; kind < 4; ++kind)
        for (KeptEntry& kept : ReadDisabled(kind))
            if (PendingReactivations.count(kept.key)) run.activations[(size_t)kind].push_back(std::move(kept));
    for (const KeptEntry& e : newEntries)
        if (e.kind < 4) run.activations[e.kind].push_back(e);
    return run;
}

void WriteProgress::Wrote() {
    total = std::max(total, ++done);
    Show();
}

void WriteProgress::Show() {
    if (host) host->SaveProgress(done, total);
}

bool SaveRunEmpty(const SaveRun& run) {
    if (!run.edits.empty() || !run.states.empty() || OrderIsCustom(0) || OrderIsCustom(1)) return false;
    return std::all_of(run.activations.begin(), run.activations.end(), [](const auto& list) { return list.empty(); });
}

std::wstring NewDetectOf(const PendingEdit& edit) {
    return EditRemovesDetect(edit) ? L"" : ComposeDetectString(edit);
}

void NoteSectionSaved(int kind) { SavedKinds.insert(kind); }

void DiscardWritten(const SaveRun& run) {
    std::map<std::wstring, PendingEdit> edits;
    for (const auto& [key, edit] : PendingEdits)
        if (run.untouchedKinds.count((int)edit.kind)) edits.insert({key, edit});
    std::map<int, PendingOrder> orders;
    for (const auto& [kind, order] : PendingOrders)
        if (run.untouchedKinds.count(kind)) orders.insert({kind, order});
    std::map<std::wstring, PlugState> states;
    for (size_t i : run.untouchedStates) states.insert({run.stateKeys[i], run.states[i]});
    std::set<std::wstring> reactivations;
    for (const std::wstring& key : run.untouchedActivations)
        if (PendingReactivations.count(key)) reactivations.insert(key);
    DiscardPending();
    PendingEdits = std::move(edits);
    PendingOrders = std::move(orders);
    PlugStates = std::move(states);
    PendingReactivations = std::move(reactivations);
}
