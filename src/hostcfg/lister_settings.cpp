#include "hostcfg/lister_settings.h"

#include <map>

#include "foundation/ini.h"
#include "foundation/text.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

ListerSettings TcListerSettings;

namespace {

bool HasWildcard(const std::wstring& s) { return s.find_first_of(L"*?") != std::wstring::npos; }


struct RuleDraft {
    ListerMode mode;
    bool extsSeen = false, fieldsSeen = false;
};

ListerMode Completed(ListerMode m) {
    m.patterns = SplitWords(m.exts);
    m.fieldWords = SplitWords(m.fields);
    return m;
}

bool IsComplete(const ListerMode& m) { return !m.exts.empty() && !m.fields.empty(); }

}  // namespace

void ParseListerModes(ListerSettings& s, const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    std::map<long, RuleDraft> rules;
    for (const auto& [key, value] : lines) {
        long number = 0;
        std::wstring rest;
        if (!SplitLeadingNumber(key, number, rest)) continue;
        RuleDraft& r = rules[number];
        r.mode.number = (int)number;
        // TC reads a key once, so only its first occurrence counts, even when empty.
        if (StrIEquals(rest, L"exts") && !r.extsSeen) {
            r.extsSeen = true;
            r.mode.exts = StrTrim(value);
        } else if (StrIEquals(rest, L"fields") && !r.fieldsSeen) {
            r.fieldsSeen = true;
            r.mode.fields = StrTrim(value);
        }
    }
    long gap = 0;
    for (auto it = rules.find(gap); it != rules.end() && IsComplete(it->second.mode); it = rules.find(++gap))
        s.listerModes.push_back(Completed(it->second.mode));
    for (auto it = rules.upper_bound(gap); it != rules.end(); ++it)
        if (IsComplete(it->second.mode)) s.modesAfterGap.push_back(Completed(it->second.mode));
    if (!s.modesAfterGap.empty()) s.modeGap = (int)gap;
}

void LoadTcListerSettings() {
    TcListerSettings = ListerSettings{};
    ListerKeys.clear();
    if (WincmdIniPath.empty()) return;
    ListerSettings& s = TcListerSettings;
    std::wstring ini = EffectiveIniPath(L"Lister");
    s.noPluginTypes = SplitWords(ReadListerKey(ini, L"NoPluginFileTypes"));
    s.noMediaTypes = SplitWords(ReadListerKey(ini, L"NoMediaFileTypes"));
    ReplaceWordList(ReadListerKey(ini, L"MediaAdditionalTypes"), s.mediaAddTypes, s.mediaAddExcluded);
    ReplaceWordList(ReadListerKey(ini, L"IViewAdditionalTypes"), s.iviewAddTypes, s.iviewAddExcluded);
    s.multimedia = StrTrim(IniGetString(ini, L"Lister", L"Multimedia")) != L"0";
    s.iview = StrTrim(IniGetString(ini, L"Lister", L"IView")) == L"1";
    s.modeByFileType = StrTrim(IniGetString(ini, L"Lister", L"ModeByfileType")) != L"0";
    ParseListerModes(s, ReadIniSection(EffectiveIniPath(L"ListerModes"), L"ListerModes"));
    s.loaded = 1;
}

bool RuleMatches(const std::vector<std::wstring>& patterns, const std::wstring& ext) {
    if (ext.empty() || HasWildcard(ext)) return false;
    std::wstring name = L"x." + ext;
    for (const auto& p : patterns)
        if (!p.empty() && WildcardMatch(p, name, true)) return true;
    return false;
}

const ListerMode* RuleFind(const std::wstring& ext) {
    if (!TcListerSettings.modeByFileType) return nullptr;
    for (const auto& m : TcListerSettings.listerModes)
        if (RuleMatches(m.patterns, ext)) return &m;
    return nullptr;
}

bool ExtRuleMatch(const std::wstring& a, const std::wstring& b) {
    if (a == b) return true;
    if (HasWildcard(a) && WildMatch(a, b)) return true;
    if (HasWildcard(b)) return WildMatch(b, a);
    return false;
}

bool WildMatch(const std::wstring& pattern, const std::wstring& text) { return WildcardMatch(pattern, text, false); }
