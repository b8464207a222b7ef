// TC's own Lister settings and its view-mode rules by file type, read so that
// the Lister check can decide exactly as TC does.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "foundation/ini.h"

// One rule of [ListerModes]: keys "<n>exts" and "<n>fields".
struct ListerMode {
    int number = 0;
    std::wstring exts;     // file-name patterns as written (trimmed)
    std::wstring fields;   // view mode and plugin file names (trimmed)
    std::vector<std::wstring> patterns;    // SplitWords(exts)
    std::vector<std::wstring> fieldWords;  // SplitWords(fields)
};

struct ListerSettings {
    uint8_t loaded = 0;
    std::vector<std::wstring> noPluginTypes;
    std::vector<std::wstring> noMediaTypes;
    std::vector<std::wstring> mediaAddTypes, mediaAddExcluded;
    std::vector<std::wstring> iviewAddTypes, iviewAddExcluded;
    uint8_t multimedia = 1;
    uint8_t iview = 0;
    uint8_t modeByFileType = 0;
    std::vector<ListerMode> listerModes;    // 0, 1, 2 ... up to the first gap
    int modeGap = -1;                       // where the walk stopped, when rules lie behind it
    std::vector<ListerMode> modesAfterGap;  // complete rules TC never sees
    // Upper-case extensions that Windows' media (MCI) extensions claim, read from the
    // registry with the settings.
    std::set<std::wstring> mciTypes;
    std::set<std::wstring> pluginKeys;  // PlugKey of every Lister entry; filled by LoadPluginSection
};

struct TcIniFiles;

// TC's Lister settings from the wincmd.ini in use; loaded 0 without one.
ListerSettings LoadListerSettings();
// The same from the files of one read of the configuration.
ListerSettings LoadListerSettings(TcIniFiles& files);
// Fills listerModes, modeGap and modesAfterGap from the lines of [ListerModes].
void ParseListerModes(ListerSettings& s, const IniPairs& lines);

// One of the patterns matches "x." + ext, case-insensitively.
bool RuleMatches(const std::vector<std::wstring>& patterns, const std::wstring& ext);
// The first rule TC applies to the extension; nullptr when none or ModeByfileType=0.
const ListerMode* RuleFind(const ListerSettings& s, const std::wstring& ext);
// Equality, or a wildcard match in either direction, of an extension and a type word.
bool ExtRuleMatch(const std::wstring& a, const std::wstring& b);
// Case-sensitive '*' / '?' match; linear in pattern times text.
bool WildMatch(const std::wstring& pattern, const std::wstring& text);
