#include "analyses/detect_notes.h"

#include <unordered_map>

#include "dsx/reach.h"
#include "dsx/syntax_message.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"

namespace {

void PushNote(std::vector<std::wstring>& notes, std::vector<std::wstring>* tags, const std::wstring& text,
              const wchar_t* tag) {
    notes.push_back(text);
    if (tags) tags->push_back(tag);
}

bool IsFindWord(const DsxToken& t) { return t.kind == DsxTokWord && (t.text == L"FIND" || t.text == L"FINDI"); }

void PushErrorNote(const std::wstring& text, const DsxError& error, std::vector<std::wstring>& notes,
                   std::vector<std::wstring>* tags) {
    std::vector<DsxToken> tokens = DsxTokenize(text);
    size_t k = 0;
    while (k < tokens.size() && tokens[k].start != error.position - 1) ++k;
    if (error.code == DsxErrFindEq) {
        PushNote(notes, tags, FillVar(Tr("note_find_eq"), L"f", error.text), L"find");
    } else if (error.code == DsxErrUnquoted && k >= 2 && k < tokens.size()) {
        std::wstring written = text.substr(tokens[k - 2].start, tokens[k].end - tokens[k - 2].start);
        std::wstring advice = WithWrittenOperator(Tr("note_unquoted"), error);
        PushNote(notes, tags, FillVars(advice, {{L"v", written}, {L"e", error.text}}), L"unquoted");
    } else if (error.code == DsxErrExpect && error.text == L"(" && k >= 1 && IsFindWord(tokens[k - 1])) {
        PushNote(notes, tags, FillVar(Tr("note_find"), L"f", tokens[k - 1].text), L"find");
    } else {
        PushNote(notes, tags, FillVar(Tr("note_syntax"), L"m", DetectSyntaxMessage(error)), L"syntax");
    }
}

void PushReachNotes(const PlugEntry& entry, const DsxTree& tree, std::vector<std::wstring>& notes,
                    std::vector<std::wstring>* tags) {
    bool lister = entry.kind == KindLister;
    DsxClass c = DsxClassify(tree);
    if (c.reach == ReachAll) {
        PushNote(notes, tags, Tr(lister ? "note_always" : "note_always_c"), L"always");
        return;  // with FORCE it cannot reach more
    }
    if (c.reach == ReachAllExcept)
        PushNote(notes, tags, Tr(lister ? "note_except" : "note_except_c"), L"except");
    else if (c.reach == ReachAlmostAll)
        PushNote(notes, tags, Tr(lister ? "note_almost" : "note_almost_c"), L"almost");
    if (lister && c.reachWithForce == ReachAll) PushNote(notes, tags, Tr("note_forceall"), L"forceall");
}

void PushDuplicateNote(const PlugEntry& entry, const std::vector<PlugEntry>& entries,
                       std::vector<std::wstring>& notes, std::vector<std::wstring>* tags) {
    std::wstring key = PlugFileKey(entry);
    for (const PlugEntry& other : entries) {
        if (&other == &entry || other.number >= entry.number || PlugFileKey(other) != key) continue;
        PushNote(notes, tags, FillVar(Tr("note_dup"), L"n", EntryNumberText(other.number)), L"dup");
        return;
    }
}

// The window asks for every entry's reach again after each batch of probe answers,
// so each text is parsed once. Only the UI thread asks.
EntryReach ReachOfText(const std::wstring& text) {
    static std::unordered_map<std::wstring, EntryReach> known;
    if (auto found = known.find(text); found != known.end()) return found->second;
    if (known.size() > 100000) known.clear();
    EntryReach r;
    DsxTree tree = dsx::Parse(text);
    if (tree.error.code == DsxErrNone && tree.root >= 0) {
        DsxClass c = DsxClassify(tree);
        r = EntryReach{1, c.reach, c.reachWithForce, c.hasMultimedia, c.readsContent};
    }
    return known[text] = r;
}

}  // namespace

std::vector<uint8_t> EntriesSharingFile(const std::vector<PlugEntry>& entries) {
    std::vector<std::wstring> keys;
    keys.reserve(entries.size());
    std::unordered_map<std::wstring, int> named;
    for (const PlugEntry& e : entries) ++named[keys.emplace_back(PlugFileKey(e))];
    std::vector<uint8_t> shares(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) shares[i] = named[keys[i]] > 1;
    return shares;
}

EntryReach DetectReachOfEntry(const PlugEntry& entry) {
    EntryReach r;
    std::wstring text;
    if (entry.hasDetect)
        text = Unquote(entry.detectText);
    else if (entry.probeStatus == ProbeOk)
        text = entry.probeAnswer;
    else if (entry.probeStatus != ProbeNoExport)
        return r;
    if (StrTrim(text).empty()) return EntryReach{1, ReachAll, ReachAll, 0, 0};
    return ReachOfText(text);
}

bool IsGreedyLister(const PlugEntry& entry) {
    if (entry.kind != KindLister) return false;
    EntryReach r = DetectReachOfEntry(entry);
    return r.valid && r.reach >= ReachAlmostAll;
}

std::vector<std::wstring> DetectNotes(const PlugEntry& entry, const std::vector<PlugEntry>* entries,
                                      std::vector<std::wstring>* tags) {
    std::vector<std::wstring> notes;
    if (entry.kind != KindLister && entry.kind != KindContent) return notes;
    if (entry.hasDetect && !StrTrim(entry.detectText).empty()) {
        std::wstring text = Unquote(entry.detectText);
        DsxTree tree = dsx::Parse(text);
        if (tree.error.code == DsxErrNone && tree.root >= 0)
            PushReachNotes(entry, tree, notes, tags);
        else
            PushErrorNote(text, tree.error, notes, tags);
    }
    PushDuplicateNote(entry, entries ? *entries : TabEntries, notes, tags);
    return notes;
}
