#include "editing/pending_ops.h"

#include <algorithm>

#include "dsx/detect_spec.h"
#include "dsx/edit.h"
#include "foundation/text.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

const wchar_t kOr[] = L" | ";

void AppendTerm(std::wstring& terms, const std::wstring& ext) {
    if (!terms.empty()) terms += kOr;
    terms += MakeExtTerm(ext);
}

std::wstring ComposeListForm(const PendingEdit& edit, const DetectSpec& spec) {
    std::wstring terms;
    if (spec.negatedListForm) {
        for (const auto& ext : spec.excluded)
            if (!edit.removedExts.count(ext)) AppendTerm(terms, ext);
    } else {
        for (const auto& item : spec.items)
            if (item.kind == DetItemExt && !edit.removedExts.count(item.text)) AppendTerm(terms, item.text);
    }
    for (const auto& ext : edit.addedExts) AppendTerm(terms, ext);
    if (terms.empty()) return L"";
    return spec.prefix + (spec.negatedListForm ? L" !(" : L" (") + terms + L")";
}

std::wstring ComposePlainForm(const PendingEdit& edit, const DetectSpec& spec) {
    std::wstring text = edit.origDetect;
    if (!edit.removedExts.empty()) {
        text.clear();
        for (const auto& item : spec.items) {
            std::wstring term;
            if (item.kind == DetItemMultimedia) term = L"MULTIMEDIA";
            else if (item.kind == DetItemForce) term = L"FORCE";
            else if (item.kind == DetItemExt && !edit.removedExts.count(item.text)) term = MakeExtTerm(item.text);
            if (term.empty()) continue;
            text += (text.empty() ? L"" : kOr) + term;
        }
    }
    for (const auto& ext : edit.addedExts) {
        if (StrTrim(text).empty()) text = MakeExtTerm(ext);
        else text += kOr + MakeExtTerm(ext);
    }
    return text;
}

}  // namespace

std::wstring ComposeDetectString(const PendingEdit& edit) {
    if (edit.explicitDetect) return edit.explicitDetectText;
    DetectSpec spec = CompileDetect(edit.origDetect, edit.hasDetect != 0);
    if (spec.listForm || spec.negatedListForm) return ComposeListForm(edit, spec);
    if (spec.complex) return DsxEditExts(edit.origDetect, edit.removedExts, edit.addedExts, nullptr);
    return ComposePlainForm(edit, spec);
}

bool EntryDiffers(const PendingEdit& edit) {
    if (edit.explicitDetect) {
        if (StrTrim(edit.explicitDetectText).empty()) return edit.hasDetect != 0;
        if (!edit.hasDetect) return true;
        return NormKeyText(edit.origDetect) != NormKeyText(edit.explicitDetectText);
    }
    if (edit.addedExts.empty() && edit.removedExts.empty()) return false;
    return NormKeyText(edit.origDetect) != NormKeyText(ComposeDetectString(edit));
}

uint32_t CountPendingChanges() {
    uint32_t count = 0;
    for (const auto& [key, edit] : PendingEdits)
        if (edit.deleted || EntryPathChanged(edit) || EntryDiffers(edit)) ++count;
    for (const auto& [key, state] : PlugStates)
        if (PlugStateNeeded(state)) ++count;
    count += OrderIsCustom(KindLister) + OrderIsCustom(KindContent);
    return count + (uint32_t)PendingReactivations.size();
}

void DropPendingIfUnchanged(int kind, int number) {
    auto it = PendingEdits.find(EntryEditKey(kind, number));
    if (it == PendingEdits.end()) return;
    const PendingEdit& edit = it->second;
    if (!edit.deleted && !EntryPathChanged(edit) && !EntryDiffers(edit)) PendingEdits.erase(it);
}

bool RowHasPending(const PlugEntry& entry) {
    if (entry.kind <= KindContent) {
        const PendingEdit* edit = FindEntryEdit((int)entry.kind, entry.number);
        return edit && (edit->deleted || EntryPathChanged(*edit) || EntryDiffers(*edit));
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
