#include "analyses/lister_state.h"

#include <algorithm>

#include "analyses/detect_notes.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plugin_keys.h"

namespace {

constexpr const wchar_t* kBuiltInTypes[] = {L"BMP", L"JPG", L"JPEG", L"JPE", L"PNG", L"GIF", L"ICO", L"MP4", L"M4A"};

bool IsPlainWordFor(std::wstring word, const std::wstring& ext) {
    if (word.find_first_of(L"*?") != std::wstring::npos) return false;
    if (!word.empty() && word[0] == L'.') word.erase(0, 1);
    // A plain word is compared by the case rule the rule's patterns are matched with.
    return WildcardMatch(word, ext, true);
}

// Step of ListerStateText for a view-mode rule; -1 when the rule does not decide.
int ViewModeState(const ListerMode& rule, const std::set<std::wstring>& listerKeys, const std::wstring& pluginKey,
                  const std::wstring& ext, std::wstring& status, std::wstring& hint, int* code,
                  std::wstring* modePlugin) {
    std::vector<std::wstring> words;
    for (const auto& w : rule.fieldWords)
        if (!ModeWordNamesPlugin(w) || listerKeys.count(PlugKey(w))) words.push_back(w);
    if (words.empty() || words[0] == L"4") return -1;
    std::wstring m = rule.exts + L" → " + rule.fields;
    const std::wstring& first = words[0];
    if (ModeWordNamesPlugin(first) && PlugKey(first) == pluginKey) {
        hint = FillVars(Tr("h_mode_first"), {{L"m", m}, {L"e", ext}});
        return 1;
    }
    status = Tr("s_overruled");
    if (code) *code = ListerStateMode;
    if (modePlugin) *modePlugin = ModeWordNamesPlugin(first) ? FileStem(first) : ModeNameText(first);
    bool listedLater = std::any_of(words.begin() + 1, words.end(), [&](const std::wstring& w) {
        return ModeWordNamesPlugin(w) && PlugKey(w) == pluginKey;
    });
    if (listedLater) {
        hint = FillVar(Tr("h_mode_listed"), L"m", m);
    } else {
        hint = FillVars(Tr("h_mode_other"), {{L"m", m}, {L"e", ext}, {L"x", ModeWordText(first)}});
    }
    return 2;
}

}  // namespace

bool ModeWordNamesPlugin(const std::wstring& word) { return word.find(L'.') != std::wstring::npos; }

std::wstring ModeWordText(const std::wstring& word) { return ModeWordNamesPlugin(word) ? word : ModeNameText(word); }

bool TypeListMatches(const std::vector<std::wstring>& words, const std::wstring& ext) {
    if (RuleMatches(words, ext)) return true;
    if (ext.empty()) return false;
    return std::any_of(words.begin(), words.end(), [&](const std::wstring& w) { return IsPlainWordFor(w, ext); });
}

bool IsTcOwnViewerExt(const ListerSettings& s, const std::wstring& ext) {
    if (!s.multimedia) return false;
    std::wstring upper = UpperCase(ext);
    bool own = s.mciTypes.count(upper) || TypeListMatches(s.mediaAddTypes, ext) ||
               (s.iview && TypeListMatches(s.iviewAddTypes, ext));
    own = own || std::any_of(std::begin(kBuiltInTypes), std::end(kBuiltInTypes),
                             [&](const wchar_t* t) { return upper == t; });
    if (TypeListMatches(s.mediaAddExcluded, ext) || (s.iview && TypeListMatches(s.iviewAddExcluded, ext)))
        return false;
    return own;
}

int ListerStateText(const ListerSettings& s, const PlugEntry& entry, const std::wstring& ext, std::wstring& status,
                    std::wstring& hint, int* code, std::wstring* modePlugin) {
    status.clear();
    hint.clear();
    if (code) *code = ListerStateNone;
    if (modePlugin) modePlugin->clear();
    if (entry.kind != KindLister || !s.loaded) return 0;
    const char* blockHint = TypeListMatches(s.noMediaTypes, ext)    ? "h_nomedia"
                            : TypeListMatches(s.noPluginTypes, ext) ? "h_noplugin"
                                                                    : nullptr;
    if (blockHint) {
        status = Tr("s_blocked");
        hint = FillVar(Tr(blockHint), L"e", ext);
        if (code) *code = ListerStateBlocked;
        return 2;
    }
    // TC's own viewer is weighed before a view mode, as the Lister check does: a
    // plugin without MULTIMEDIA never gets such a type, even when a rule names it.
    if (IsTcOwnViewerExt(s, ext)) {
        EntryReach reach = DetectReachOfEntry(entry);
        if (reach.valid && !reach.hasMultimedia) {
            status = Tr("s_overruled");
            hint = FillVar(Tr("h_internal"), L"e", ext);
            if (code) *code = ListerStateOwn;
            return 2;
        }
    }
    if (const ListerMode* rule = RuleFind(s, ext)) {
        int state =
            ViewModeState(*rule, s.pluginKeys, PlugKey(entry.expandedPath), ext, status, hint, code, modePlugin);
        if (state >= 0) return state;
    }
    return 0;
}

std::wstring GreedyNoteText(const std::vector<PlugEntry>& entries, int number) {
    auto behind = std::count_if(entries.begin(), entries.end(),
                                [&](const PlugEntry& e) { return e.number > number && e.fileExists; });
    return FillVar(Tr("fdx_greedy"), L"n", std::to_wstring(behind));
}
