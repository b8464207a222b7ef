#include "hostcfg/pending.h"

#include "foundation/text.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"

std::map<std::wstring, PendingEdit> PendingEdits;
std::map<std::wstring, PlugState> PlugStates;
std::map<int, PendingOrder> PendingOrders;
std::set<std::wstring> PendingReactivations;

namespace {

// Walks the plug states of a Packer or File-system entry's lines; false
// when the entry has none or one line has no state.
template <typename Test>
bool AllLinesMarked(const PlugEntry& entry, Test test) {
    if (entry.kind == KindFileSystem) {
        const PlugState* s = FindPlugState(KindFileSystem, entry.name);
        return s && test(*s);
    }
    if (entry.iniDetect.items.empty()) return false;
    for (const auto& item : entry.iniDetect.items) {
        const PlugState* s = FindPlugState(KindPacker, item.text);
        if (!s || !test(*s)) return false;
    }
    return true;
}

}  // namespace

PendingEdit* FindEntryEdit(int kind, int number) {
    if (kind < 0 || kind > KindContent) return nullptr;
    auto it = PendingEdits.find(EntryEditKey(kind, number));
    return it == PendingEdits.end() ? nullptr : &it->second;
}

PendingEdit& PendingEditFor(const PlugEntry& entry) {
    auto [it, isNew] = PendingEdits.try_emplace(EntryEditKey((int)entry.kind, entry.number));
    if (isNew) {
        PendingEdit& e = it->second;
        e.kind = entry.kind;
        e.number = entry.number;
        e.name = entry.name;
        e.origPath = entry.path;
        e.origDetect = entry.detectText;
        e.hasDetect = entry.hasDetect;
        e.fileExists = entry.fileExists;
    }
    return it->second;
}

bool EntryPathChanged(const PendingEdit& edit) {
    return edit.pathChanged && !StrIEquals(StrTrim(edit.origPath), StrTrim(edit.newPath));
}

PlugState* FindPlugState(int kind, const std::wstring& key) {
    auto it = PlugStates.find(MakePlugKey(kind, false, key));
    return it == PlugStates.end() ? nullptr : &it->second;
}

PlugState& GetPlugState(int kind, const std::wstring& key, const std::wstring& value, const std::wstring& name) {
    auto [it, isNew] = PlugStates.try_emplace(MakePlugKey(kind, false, key));
    if (isNew) {
        PlugState& s = it->second;
        s.kind = (uint32_t)kind;
        s.origKey = s.curKey = key;
        s.origValue = s.curValue = value;
        s.name = name;
    }
    return it->second;
}

bool PlugStateNeeded(const PlugState& state) {
    return state.deleted || state.curKey != state.origKey || StrTrim(state.curValue) != StrTrim(state.origValue);
}

void PrunePlugStates() {
    std::erase_if(PlugStates, [](const auto& kv) { return !PlugStateNeeded(kv.second); });
}

bool EntryMarkedDelete(const PlugEntry& entry) {
    if (entry.kind <= KindContent) {
        const PendingEdit* e = FindEntryEdit((int)entry.kind, entry.number);
        return e && e->deleted;
    }
    return AllLinesMarked(entry, [](const PlugState& s) { return s.deleted != 0; });
}

bool EntryMarkedDisable(const PlugEntry& entry) {
    if (entry.kind <= KindContent) {
        const PendingEdit* e = FindEntryEdit((int)entry.kind, entry.number);
        return e && e->deleted && e->deactivate;
    }
    return AllLinesMarked(entry, [](const PlugState& s) { return s.deactivate != 0; });
}

void TakePackerCaps(size_t row) {
    if (row >= TabEntries.size()) return;
    const PlugEntry& e = TabEntries[row];
    if (e.kind != KindPacker || e.probeStatus != ProbeOk) return;
    std::wstring caps = std::to_wstring(StrToInt(e.probeAnswer));
    for (size_t i = 0; i < e.iniDetect.items.size(); ++i) {
        const std::wstring& ext = e.iniDetect.items[i].text;
        const PlugState* old = FindPlugState(KindPacker, ext);
        if (old && old->deleted) continue;
        // Each line is compared with what it says itself: lines of one library may
        // spell the path differently, and a borrowed path would look like a change
        // made outside the program when the save checks the line.
        int flags = i < e.packerFlags.size() ? e.packerFlags[i] : 0;
        const std::wstring& linePath = i < e.packerPaths.size() ? e.packerPaths[i] : e.path;
        PlugState& s = GetPlugState(KindPacker, ext, std::to_wstring(flags) + L"," + linePath, e.name);
        size_t comma = s.curValue.find(L',');
        std::wstring path = comma == std::wstring::npos ? linePath : StrTrim(s.curValue.substr(comma + 1));
        s.curValue = caps + L"," + path;
    }
    PrunePlugStates();
}

bool OrderIsCustom(int kind) {
    auto it = PendingOrders.find(kind);
    if (it == PendingOrders.end()) return false;
    const std::vector<int>& o = it->second.order;
    for (size_t i = 1; i < o.size(); ++i)
        if (o[i] < o[i - 1]) return true;
    return false;
}

bool IsContiguousRun(const std::vector<unsigned>& positions) {
    return positions.empty() || (size_t)(positions.back() - positions.front()) + 1 == positions.size();
}

void DiscardPending() {
    PendingEdits.clear();
    PlugStates.clear();
    PendingOrders.clear();
    PendingReactivations.clear();
}
