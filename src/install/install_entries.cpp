#include "install/install_entries.h"

#include "foundation/env.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/pending.h"
#include "hostcfg/plugin_keys.h"
#include "foundation/path_display.h"
#include "install/package_text.h"

namespace {

void PlanPacker(const InstCtx& ctx, const PlugEntry* e, const std::wstring& path, InstallPlan& plan,
                const std::wstring& stamp) {
    int flags = ctx.packerCaps >= 0 ? ctx.packerCaps : e && !e->packerFlags.empty() ? e->packerFlags.front() : 0;
    std::wstring list;
    // Every extension once: the ticked and fixed ones are known, typed repeats dropped.
    std::vector<std::wstring> seen;
    for (const ExtChoice& c : ctx.extChoices) {
        seen.push_back(c.ext);
        if (c.fixed || !c.checked) continue;
        if (c.ownerName.empty()) AppendKeptPackerExt(list, flags, c.ext);
        else GetPlugState(KindPacker, c.ext, c.ownerValue, c.ownerName).curValue = NumberCommaText(flags, path);
    }
    std::vector<std::wstring> typed = seen;
    AddExtTokens(typed, ctx.typedExts);
    for (size_t i = seen.size(); i < typed.size(); ++i) AppendKeptPackerExt(list, flags, typed[i]);
    if (!list.empty()) {
        KeptEntry entry = MakeInstallEntry(*ctx.info, path, stamp);
        entry.packerExts = list;
        plan.newEntries.push_back(entry);
    }
    if (!e || !ctx.offerTakeCaps || !ctx.takeCaps) return;
    for (size_t i = 0; i < e->iniDetect.items.size() && i < e->packerFlags.size(); ++i) {
        const std::wstring& linePath = i < e->packerPaths.size() ? e->packerPaths[i] : e->path;
        GetPlugState(KindPacker, e->iniDetect.items[i].text, PackerLineAsWritten(*e, i), e->name).curValue =
            NumberCommaText(flags, linePath);
    }
}

template <typename Record>
using Records = std::map<std::wstring, Record>;

template <typename Record>
PlannedChanges<Record> ChangesOf(const Records<Record>& before, const Records<Record>& after) {
    PlannedChanges<Record> changes;
    for (const auto& [key, planned] : after) {
        auto old = before.find(key);
        if (old == before.end()) changes[key] = {std::nullopt, planned};
        else if (!(old->second == planned)) changes[key] = {old->second, planned};
    }
    return changes;
}

// A record the save wrote is gone, one changed since is someone else's.
template <typename Record>
void PutBack(Records<Record>& now, const PlannedChanges<Record>& changes) {
    for (const auto& [key, change] : changes) {
        auto it = now.find(key);
        if (it == now.end() || !(it->second == change.planned)) continue;
        if (change.before) it->second = *change.before;
        else now.erase(it);
    }
}

}  // namespace

void NotePlanned(InstallPlan& plan, const PendingSnapshot& before) {
    plan.edits = ChangesOf(before.edits, PendingEdits);
    plan.states = ChangesOf(before.states, PlugStates);
}

KeptEntry MakeInstallEntry(const InstInfo& info, const std::wstring& path, const std::wstring& stamp) {
    KeptEntry entry;
    entry.kind = info.kind;
    entry.key = L"install|" + FoldCase(path);
    entry.path = path;
    entry.name = info.pluginName;
    entry.stamp = stamp;
    entry.number = InstallEntryNumber;
    entry.isNew = 1;
    return entry;
}

std::wstring InstallEntryPath(const std::wstring& target, std::wstring file) {
    if (PlugKeyName(file) != FoldCase(file)) file.resize(file.size() - 2);
    return WithCommanderPathVar(PathJoin(target, file));
}

InstallPlan InstPlan(const InstCtx& ctx) {
    const InstInfo& info = *ctx.info;
    const PlugEntry* e = info.existing >= 0 ? &info.entries[(size_t)info.existing] : nullptr;
    std::wstring answer = ProbeAnswerUsable(info.probe.status, info.probe.answer) ? info.probe.answer : L"";
    const PendingSnapshot before;
    InstallPlan plan;
    plan.entryPath = e ? e->path : InstallEntryPath(info.target, info.pluginFile);
    std::wstring stamp = StrNowStamp();
    if (info.kind <= KindContent) {
        if (!e) {
            KeptEntry entry = MakeInstallEntry(info, plan.entryPath, stamp);
            entry.detect = answer;
            entry.hasDetect = !StrTrim(answer).empty();
            plan.newEntries.push_back(entry);
        } else if (ctx.takeNew && !answer.empty()) {
            PendingEdit& edit = PendingEditFor(*e);
            edit.explicitDetect = 1;
            edit.explicitDetectText = answer;
        }
    } else if (info.kind == KindFileSystem) {
        if (!e) {
            KeptEntry entry = MakeInstallEntry(info, plan.entryPath, stamp);
            entry.fsName = ctx.fsName;
            plan.newEntries.push_back(entry);
        } else if (ctx.fsName != e->name) {
            GetPlugState(KindFileSystem, e->name, e->path, e->name).curKey = ctx.fsName;
        }
    } else {
        PlanPacker(ctx, e, plan.entryPath, plan, stamp);
    }
    PrunePlugStates();
    NotePlanned(plan, before);
    plan.doneText = FillVar(Tr(e ? "in_done_up" : "in_done"), L"p", info.pluginName);
    DebugLog(L"install: " + info.pluginName + L" -> " + plan.entryPath + (e ? L" (update)" : L""));
    return plan;
}

void WithdrawPlan(const InstallPlan& plan) {
    PutBack(PendingEdits, plan.edits);
    PutBack(PlugStates, plan.states);
}
