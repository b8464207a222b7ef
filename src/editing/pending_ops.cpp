#include "editing/pending_ops.h"

#include <algorithm>
#include <set>
#include <vector>

#include "dsx/detect_spec.h"
#include "editing/editing_host.h"
#include "editing/save_request.h"
#include "dsx/edit.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "foundation/labels.h"

namespace {

std::set<std::wstring> UpperSet(const std::set<std::wstring>& exts) {
    std::set<std::wstring> out;
    for (const auto& e : exts) out.insert(UpperCase(e));
    return out;
}

std::wstring JoinTerms(const std::vector<std::wstring>& exts) {
    std::wstring out;
    for (const auto& e : exts) out += (out.empty() ? L"" : L" | ") + MakeExtTerm(e);
    return out;
}

// The extensions that stay, in their order, followed by the added ones.
std::vector<std::wstring> KeptThenAdded(const std::vector<std::wstring>& have, const PendingEdit& edit) {
    std::set<std::wstring> removed = UpperSet(edit.removedExts);
    std::vector<std::wstring> out;
    for (const auto& e : have)
        if (!removed.count(UpperCase(e))) out.push_back(e);
    out.insert(out.end(), edit.addedExts.begin(), edit.addedExts.end());
    return out;
}

bool IsLeaf(const DsxNode& n, bool extAllowed) {
    return n.kind == DsxMultimedia || n.kind == DsxForce || (extAllowed && n.kind == DsxExtEq);
}

// A bare list of alternatives (EXT terms, MULTIMEDIA, FORCE): rebuilding it from
// its items keeps what it says.
bool IsFlatAlternatives(const DsxTree& tree) {
    const DsxNode& root = tree.nodes[tree.root];
    if (root.kind != DsxOr) return IsLeaf(root, true);
    return std::all_of(root.children.begin(), root.children.end(),
                       [&](int c) { return IsLeaf(tree.nodes[c], true); });
}

// MULTIMEDIA and FORCE joined by & to exactly one EXT term; -1 when the string is
// no such chain, else the EXT node.
int AndChainExtNode(const DsxTree& tree) {
    const DsxNode& root = tree.nodes[tree.root];
    if (root.kind != DsxAnd) return -1;
    int ext = -1;
    for (int c : root.children) {
        const DsxNode& n = tree.nodes[c];
        if (n.kind == DsxExtEq && ext < 0) ext = c;
        else if (!IsLeaf(n, false)) return -1;
    }
    return ext;
}

std::wstring ComposeListForm(const DetectSpec& spec, const PendingEdit& edit) {
    std::vector<std::wstring> have;
    if (spec.negatedListForm) {
        have = spec.excluded;
    } else {
        for (const auto& item : spec.items)
            if (item.kind == DetItemExt) have.push_back(item.text);
    }
    std::vector<std::wstring> terms = KeptThenAdded(have, edit);
    if (terms.empty()) return L"";
    return spec.prefix + (spec.negatedListForm ? L" !(" : L" (") + JoinTerms(terms) + L")";
}

// The chain keeps its conditions; only its one EXT term becomes the new list.
std::wstring ComposeAndChain(const DsxTree& tree, int extNode, const PendingEdit& edit) {
    const DsxNode& n = tree.nodes[extNode];
    const std::wstring& text = edit.origDetect;
    std::vector<std::wstring> terms;
    if (!UpperSet(edit.removedExts).count(n.text)) terms.push_back(text.substr((size_t)n.start, (size_t)(n.end - n.start)));
    for (const auto& ext : edit.addedExts) terms.push_back(MakeExtTerm(ext));
    if (terms.empty()) return L"";
    std::wstring list = terms[0];
    for (size_t i = 1; i < terms.size(); ++i) list += L" | " + terms[i];
    if (terms.size() > 1) list = L"(" + list + L")";
    return text.substr(0, (size_t)n.start) + list + text.substr((size_t)n.end);
}

std::wstring ComposeAlternatives(const DetectSpec& spec, const PendingEdit& edit) {
    std::wstring text = edit.origDetect;
    if (!edit.removedExts.empty()) {
        std::set<std::wstring> removed = UpperSet(edit.removedExts);
        text.clear();
        for (const auto& item : spec.items) {
            std::wstring term;
            if (item.kind == DetItemMultimedia) term = L"MULTIMEDIA";
            else if (item.kind == DetItemForce) term = L"FORCE";
            else if (item.kind == DetItemExt && !removed.count(item.text)) term = MakeExtTerm(item.text);
            if (!term.empty()) text += (text.empty() ? L"" : L" | ") + term;
        }
    }
    if (edit.addedExts.empty()) return text;
    if (StrTrim(text).empty()) return JoinTerms(edit.addedExts);
    return text + L" | " + JoinTerms(edit.addedExts);
}

std::wstring SectionOf(int kind) { return PlugSectionName(kind); }

// Yes, and the rows still hold the entry: they may have been refilled while the question was open.
bool AskYes(IEditingHost& host, HWND owner, const std::wstring& what, const PlugEntry& e) {
    std::wstring q = FillVars(Tr("ask_delete"), {{L"n", what}, {L"s", SectionOf((int)e.kind)}});
    return host.Message(owner, q, MB_YESNO | MB_ICONQUESTION) == IDYES && FindTabEntry(MarkOf(e)) >= 0;
}

bool ToggleNumbered(IEditingHost& host, HWND owner, const PlugEntry& e) {
    PendingEdit* edit = FindEntryEdit((int)e.kind, e.number);
    if (edit && edit->deleted) {
        edit->deleted = edit->deactivate = 0;
        DropPendingIfUnchanged((int)e.kind, e.number);
        return true;
    }
    if (!AskYes(host, owner, EntryNumberText(e.number) + L" " + e.name, e)) return false;
    PendingEdit& made = PendingEditFor(e);
    made.deleted = 1;
    made.deactivate = 0;
    return true;
}

bool TogglePacker(IEditingHost& host, HWND owner, const PlugEntry& e, const std::wstring& ext) {
    std::vector<size_t> lines = FindEntryByName(e, ext);
    bool allMarked = !lines.empty() && std::all_of(lines.begin(), lines.end(), [&](size_t i) {
        const PlugState* s = FindPlugState(KindPacker, e.iniDetect.items[i].text);
        return s && s->deleted;
    });
    if (allMarked) {
        for (size_t i : lines) FindPlugState(KindPacker, e.iniDetect.items[i].text)->deleted = 0;
        return true;
    }
    std::wstring names;
    for (size_t i : lines) names += (names.empty() ? L"" : L", ") + e.iniDetect.items[i].text;
    if (!AskYes(host, owner, names + L" (" + e.name + L")", e)) return false;
    for (size_t i : lines) {
        int flags = i < e.packerFlags.size() ? e.packerFlags[i] : 0;
        const std::wstring& path = i < e.packerPaths.size() ? e.packerPaths[i] : e.path;
        GetPlugState(KindPacker, e.iniDetect.items[i].text, NumberCommaText(flags, path), e.name).deleted = 1;
    }
    return true;
}

bool ToggleFileSystem(IEditingHost& host, HWND owner, const PlugEntry& e) {
    PlugState* s = FindPlugState(KindFileSystem, e.name);
    if (s && s->deleted) {
        s->deleted = 0;
        return true;
    }
    if (!AskYes(host, owner, e.name, e)) return false;
    GetPlugState(KindFileSystem, e.name, e.path, e.name).deleted = 1;
    return true;
}

}  // namespace

std::wstring ComposeDetectString(const PendingEdit& edit) {
    if (edit.explicitDetect) return edit.explicitDetectText;
    DetectSpec spec = CompileDetect(edit.origDetect, edit.hasDetect != 0);
    if (spec.listForm || spec.negatedListForm) return ComposeListForm(spec, edit);
    if (!edit.hasDetect || StrTrim(edit.origDetect).empty()) return ComposeAlternatives(spec, edit);
    DsxTree tree = dsx::Parse(edit.origDetect);
    bool parsed = tree.error.code == DsxErrNone && tree.root >= 0;
    if (parsed && IsFlatAlternatives(tree)) return ComposeAlternatives(spec, edit);
    int chainExt = parsed ? AndChainExtNode(tree) : -1;
    if (chainExt >= 0) return ComposeAndChain(tree, chainExt, edit);
    // Further conditions (SIZE, byte tests, FIND) stay as written: the in-place
    // editor keeps every extension it cannot take out without changing them.
    return DsxEditExts(edit.origDetect, UpperSet(edit.removedExts), edit.addedExts, nullptr);
}

bool EntryDiffers(const PendingEdit& edit) {
    if (edit.explicitDetect) {
        if (StrTrim(edit.explicitDetectText).empty()) return edit.hasDetect != 0;
        if (!edit.hasDetect) return true;
        return NormKeyText(edit.origDetect) != NormKeyText(edit.explicitDetectText);
    }
    if (edit.addedExts.empty() && edit.removedExts.empty()) return false;
    std::wstring composed = ComposeDetectString(edit);
    // Taking out every extension would leave n_detect="", which TC reads as any
    // file; such an edit is no change, whoever made it.
    if (StrTrim(composed).empty()) return false;
    return NormKeyText(edit.origDetect) != NormKeyText(composed);
}

bool EditRemovesDetect(const PendingEdit& edit) {
    return edit.explicitDetect && StrTrim(edit.explicitDetectText).empty();
}

bool EditNeedsSave(const PendingEdit& edit) {
    return edit.deleted || EntryPathChanged(edit) || EntryDiffers(edit);
}

uint32_t CountPendingChanges() {
    uint32_t n = 0;
    for (const auto& [key, edit] : PendingEdits) n += EditNeedsSave(edit);
    for (const auto& [key, state] : PlugStates) n += PlugStateNeeded(state);
    n += OrderIsCustom(KindLister);
    n += OrderIsCustom(KindContent);
    return n + (uint32_t)PendingReactivations.size();
}

void DropPendingIfUnchanged(int kind, int number) {
    auto it = PendingEdits.find(EntryEditKey(kind, number));
    if (it != PendingEdits.end() && !EditNeedsSave(it->second)) PendingEdits.erase(it);
}

bool TakePluginDetect(const PlugEntry& entry) {
    if (entry.kind > KindContent || !PluginDetectUsable(entry)) return false;
    PendingEdit& edit = PendingEditFor(entry);
    edit.explicitDetect = 1;
    edit.explicitDetectText = entry.probeAnswer;
    DropPendingIfUnchanged((int)entry.kind, entry.number);
    return true;
}

bool RowHasPending(const PlugEntry& entry) {
    if (entry.kind <= KindContent) {
        const PendingEdit* edit = FindEntryEdit((int)entry.kind, entry.number);
        return edit && EditNeedsSave(*edit);
    }
    if (entry.kind == KindFileSystem) {
        const PlugState* s = FindPlugState(KindFileSystem, entry.name);
        return s && PlugStateNeeded(*s);
    }
    return std::any_of(entry.iniDetect.items.begin(), entry.iniDetect.items.end(), [](const DetectItem& item) {
        const PlugState* s = FindPlugState(KindPacker, item.text);
        return s && PlugStateNeeded(*s);
    });
}

void AskMarkDelete(IEditingHost& host, HWND owner, int row, const std::wstring& ext) {
    if (row < 0 || (size_t)row >= TabEntries.size()) return;
    const PlugEntry e = TabEntries[(size_t)row];  // the question may outlast the rows
    bool changed = e.kind <= KindContent ? ToggleNumbered(host, owner, e)
                   : e.kind == KindPacker ? TogglePacker(host, owner, e, ext)
                                          : ToggleFileSystem(host, owner, e);
    if (!changed) return;
    PrunePlugStates();
    host.PendingChanged();
}

void DiscardAllPending(IEditingHost& host, HWND owner) {
    if (CountPendingChanges() < 1 || SaveIsRunning()) return;
    if (host.Message(owner, Tr("ask_discard"), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    DiscardPending();
    host.RefillShownTab();
    host.UpdateStatusBar();
}
