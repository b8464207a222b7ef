#include "analyses/acknowledged.h"

#include <windows.h>

#include <cwctype>

#include "analyses/findings.h"
#include "foundation/data_folder.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"
#include "hostcfg/pending.h"
#include "hostcfg/plugin_keys.h"

std::map<std::wstring, std::wstring> AckSet;

namespace {
const wchar_t kAckSection[] = L"Acknowledged";
}

std::wstring BuildPipeRecord(int kind, const std::wstring& a, const std::wstring& b, const std::wstring& c) {
    std::wstring key = std::wstring(1, PlugKindLetter(kind)) + L"|" + a + L"|" + b;
    if (!c.empty()) key += L"|" + c;
    key = FoldCase(key);
    // The key is an INI key: a control character would break its line apart.
    for (wchar_t& ch : key)
        if (ch == L'"' || ch == L';' || ch == L'=' || ch == L'[' || ch == L']' || ch < 0x20) ch = L'_';
    return key;
}

bool IsFindingAcked(const std::wstring& key) { return AckSet.count(key) != 0; }

std::wstring NotInstalledFolderKey(const std::wstring& folder) {
    return BuildPipeRecord(5, FoldCase(folder), L"notinstdir", L"");
}

std::wstring NameMatchKey(const std::wstring& text) {
    std::wstring key;
    for (wchar_t ch : text)
        if (std::iswalnum(ch)) key += ch;
    return FoldCase(key);
}

bool SectionMatchesName(const std::wstring& sectionKey, const std::wstring& nameKey) {
    if (!sectionKey.empty() && sectionKey == nameKey) return true;
    if (sectionKey.size() <= 2 || nameKey.size() <= 2) return false;
    // A three-letter name inside a longer word is too often chance (zip in myzip).
    return sectionKey.starts_with(nameKey) || nameKey.starts_with(sectionKey) ||
           (nameKey.size() != 3 && sectionKey.find(nameKey) != std::wstring::npos);
}

void LoadAckSet() {
    AckSet.clear();
    for (const auto& [key, stamp] : ReadIniSection(SettingsIniPath(), kAckSection)) AckSet[FoldCase(key)] = stamp;
}

bool SetAcknowledged(const std::wstring& key, bool on) {
    if (on)
        AckSet[key] = StrNowStamp();
    else
        AckSet.erase(key);
    DebugLog((on ? L"ack " : L"unack ") + key);
    return WriteSettingsIniValue(kAckSection, key, on ? AckSet[key].c_str() : nullptr);
}

bool FindingPending(const Finding& f) {
    if (!f.diskFile.empty()) return false;
    if (f.iniLine) {
        std::wstring section = f.otherIni ? L"[" + f.iniFile + L"]" + f.display : f.display;
        return PlugStates.count(MakePlugKey(f.tab, true, section)) != 0;
    }
    switch (f.tab) {
    case 0:
    case 1: return PendingEdits.count(EntryEditKey(f.tab, f.number)) != 0;
    case 2: return !f.display.empty() && FindPlugState(2, f.display);
    case 3: return FindPlugState(3, f.display) != nullptr;
    default: return false;
    }
}
