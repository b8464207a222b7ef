#include "hostcfg/lister_settings.h"

#include <map>

#include <windows.h>

#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "hostcfg/tc_discovery.h"

namespace {

constexpr const wchar_t* kMciKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";

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

// A named value that is not empty claims its extension; one too long for the
// buffer exists and is not empty. The unnamed default value claims nothing.
std::set<std::wstring> ReadMciTypes() {
    std::set<std::wstring> types;
    RegKeyHandle key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMciKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) return types;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256], value[520];
        DWORD nameChars = 256, bytes = sizeof value, type = 0;
        LSTATUS rc = RegEnumValueW(key.Get(), index, name, &nameChars, nullptr, &type, (BYTE*)value, &bytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) continue;
        if (nameChars == 0 || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
        if (rc == ERROR_MORE_DATA || (bytes >= sizeof(wchar_t) * 2 && value[0] != 0))
            types.insert(UpperCase(std::wstring(name, nameChars)));
    }
    return types;
}

}  // namespace

void ParseListerModes(ListerSettings& s, const IniPairs& lines) {
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

ListerSettings LoadListerSettings() {
    TcIniFiles files;
    return LoadListerSettings(files);
}

ListerSettings LoadListerSettings(TcIniFiles& files) {
    ListerSettings s;
    if (files.ini.empty()) return s;
    const IniSections& ini = TcIniFile(files, EffectiveIniPath(files, L"Lister"));
    auto value = [&](const wchar_t* key) { return StrTrim(IniFindValue(ini, L"Lister", key)); };
    s.noPluginTypes = SplitWords(value(L"NoPluginFileTypes"));
    s.noMediaTypes = SplitWords(value(L"NoMediaFileTypes"));
    ReplaceWordList(value(L"MediaAdditionalTypes"), s.mediaAddTypes, s.mediaAddExcluded);
    ReplaceWordList(value(L"IViewAdditionalTypes"), s.iviewAddTypes, s.iviewAddExcluded);
    s.multimedia = value(L"Multimedia") != L"0";
    s.iview = value(L"IView") == L"1";
    s.modeByFileType = value(L"ModeByfileType") != L"0";
    const IniPairs* modes = IniFindSection(TcIniFile(files, EffectiveIniPath(files, L"ListerModes")), L"ListerModes");
    ParseListerModes(s, modes ? *modes : IniPairs{});
    s.mciTypes = ReadMciTypes();
    s.loaded = 1;
    return s;
}

bool RuleMatches(const std::vector<std::wstring>& patterns, const std::wstring& ext) {
    if (ext.empty() || HasWildcard(ext)) return false;
    std::wstring name = L"x." + ext;
    for (const auto& p : patterns)
        if (!p.empty() && WildcardMatch(p, name, true)) return true;
    return false;
}

const ListerMode* RuleFind(const ListerSettings& s, const std::wstring& ext) {
    if (!s.modeByFileType) return nullptr;
    for (const auto& m : s.listerModes)
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
