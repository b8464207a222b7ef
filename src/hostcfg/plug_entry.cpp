#include "hostcfg/plug_entry.h"

#include <cwchar>
#include <unordered_map>
#include <unordered_set>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"

std::vector<PlugEntry> TabEntries;

namespace {

bool IsRedirectKey(const std::wstring& key) { return StrIEquals(key, L"RedirectSection"); }

IniPairs SectionLines(const IniSections& file, const std::wstring& section) {
    const IniPairs* lines = IniFindSection(file, section);
    return lines ? *lines : IniPairs{};
}

// TC takes the first occurrence of a key; later ones are only recorded.
IniPairs DropDuplicateKeys(const IniPairs& lines, std::vector<std::wstring>& duplicates) {
    IniPairs kept;
    kept.reserve(lines.size());
    std::unordered_set<std::wstring> seen, listed;
    for (const auto& line : lines) {
        std::wstring lower = FoldCase(line.first);
        if (seen.insert(lower).second) {
            kept.push_back(line);
        } else if (listed.insert(lower).second) {
            duplicates.push_back(line.first);
        }
    }
    return kept;
}

std::vector<PlugEntry> NumberedEntries(int kind, const IniPairs& lines) {
    std::map<long, PlugEntry> byNumber;
    for (const auto& [key, value] : lines) {
        long number = 0;
        std::wstring rest;
        if (!EntryKeyNumber(key, number, rest)) continue;
        PlugEntry& e = byNumber[number];
        e.kind = (uint32_t)kind;
        e.number = (int)number;
        if (rest.empty()) {
            e.path = StrTrim(value);
        } else if (StrIEquals(rest, L"_detect")) {
            e.detectText = Unquote(value);
            e.hasDetect = 1;
        }
    }
    std::vector<PlugEntry> rows;
    for (auto& [number, e] : byNumber) {
        if (e.path.empty()) continue;
        e.name = FileStem(e.path);
        e.iniDetect = CompileDetect(e.detectText, e.hasDetect != 0);
        rows.push_back(std::move(e));
    }
    return rows;
}

void AddPackerLine(PlugEntry& e, const std::wstring& ext, int flags, const std::wstring& path) {
    e.packerFlags.push_back(flags);
    e.packerPaths.push_back(path);
    e.iniDetect.items.push_back(DetectItem{ext, 0});
    if (!e.detectText.empty()) e.detectText += L" | ";
    e.detectText += ext + L"=" + std::to_wstring(flags);
    e.hasDetect = 1;
}

std::vector<PlugEntry> LineEntries(int kind, const IniPairs& lines) {
    std::vector<PlugEntry> rows;
    std::unordered_map<std::wstring, size_t> rowOfGroup;
    for (const auto& [key, raw] : lines) {
        if (IsRedirectKey(key)) continue;
        std::wstring value = StrTrim(raw);
        int flags = 0;
        std::wstring path = value;
        if (kind == KindPacker) {
            size_t comma = value.find(L',');
            if (comma == std::wstring::npos) continue;
            flags = StrToInt(StrTrim(value.substr(0, comma)));
            path = StrTrim(value.substr(comma + 1));
        }
        if (path.empty()) continue;
        std::wstring group = FoldCase(kind == KindPacker ? EnvExpand(path) : key);
        auto [it, isNew] = rowOfGroup.try_emplace(group, rows.size());
        if (isNew) {
            PlugEntry e;
            e.kind = (uint32_t)kind;
            e.number = (int)rows.size() + 1;
            e.path = path;
            e.name = kind == KindPacker ? FileStem(path) : key;
            rows.push_back(std::move(e));
        }
        if (kind == KindPacker) AddPackerLine(rows[it->second], key, flags, path);
    }
    return rows;
}

void CompleteEntries(std::vector<PlugEntry>& entries) {
    std::vector<std::wstring> paths;
    paths.reserve(entries.size());
    for (auto& e : entries) paths.push_back(e.expandedPath = EnvExpand(e.path));
    FilePresence presence;
    SeeFoldersAhead(presence, paths);
    for (auto& e : entries) {
        e.files = SeePluginFiles(presence, e.expandedPath);
        e.fileExists = (e.files.bits & 3) != 0;
        // Once per entry: long names may cost questions to the disk, which a missing file is spared.
        e.longPath = e.fileExists ? LongFullPath(e.expandedPath) : NormalFullPath(e.expandedPath);
    }
}

// Appends "[section] <file>" and the section's lines from the file that holds it.
void AppendIniSectionText(std::wstring& text, const std::wstring& ini, const std::wstring& section) {
    std::wstring file = EffectiveIniPath(ini, section);
    text += L"[" + section + L"] " + file + L"\n";
    for (const auto& [key, value] : ReadIniSection(file, section)) text += key + L"=" + value + L"\n";
}

}  // namespace

bool EntryKeyNumber(const std::wstring& key, long& number, std::wstring& rest) {
    constexpr size_t MaxDigits = 9;  // stays within a long
    size_t digits = 0;
    while (digits < key.size() && key[digits] >= L'0' && key[digits] <= L'9') ++digits;
    if (digits == 0 || digits > MaxDigits || (digits > 1 && key[0] == L'0')) return false;
    number = std::stol(key.substr(0, digits));
    rest = key.substr(digits);
    return true;
}

const wchar_t* PlugSectionName(int kind) {
    static const wchar_t* const names[] = {L"ListerPlugins", L"ContentPlugins", L"PackerPlugins",
                                           L"FileSystemPlugins"};
    return kind >= 0 && kind <= 3 ? names[kind] : L"";
}

std::wstring PluginSectionText(int kind) { return PluginSectionText(WincmdIniPath, kind); }

std::wstring PluginSectionText(const std::wstring& ini, int kind) {
    if (ini.empty() || kind < 0 || kind > 3) return L"";
    std::wstring text;
    AppendIniSectionText(text, ini, PlugSectionName(kind));
    if (kind == KindLister) {
        AppendIniSectionText(text, ini, L"Lister");
        AppendIniSectionText(text, ini, L"ListerModes");
    }
    return text;
}

static PluginSection ReadSection(TcIniFiles& files, int kind) {
    PluginSection result;
    if (files.ini.empty() || kind < 0 || kind > 3) return result;
    if (kind == KindLister) result.lister = LoadListerSettings(files);
    const std::wstring section = PlugSectionName(kind);
    // The redirect may name the main file again, relative or in another letter case.
    const std::wstring mainIni = FullPath(files.ini);
    IniPairs lines = SectionLines(TcIniFile(files, mainIni), section);
    result.iniUsed = EffectiveIniPath(files, section);
    if (!StrIEquals(FullPath(result.iniUsed), mainIni)) {
        result.missing = !FileExists(result.iniUsed);
        for (const auto& line : lines)
            if (!IsRedirectKey(line.first)) result.leftOverKeys.push_back(line.first);
        lines = result.missing ? IniPairs{} : SectionLines(TcIniFile(files, result.iniUsed), section);
    }
    DebugLog(L"read " + section + L" from " + result.iniUsed + (result.missing ? L" (FILE MISSING)" : L"") +
             L", " + std::to_wstring(lines.size()) + L" lines");
    lines = DropDuplicateKeys(lines, result.duplicateKeys);
    result.entries = kind <= KindContent ? NumberedEntries(kind, lines) : LineEntries(kind, lines);
    CompleteEntries(result.entries);
    if (kind == KindLister)
        for (const auto& e : result.entries) result.lister.pluginKeys.insert(PlugKey(e.expandedPath));
    return result;
}

PluginSection LoadPluginSection(int kind) {
    TcIniFiles files;
    return LoadPluginSection(files, kind);
}

PluginSection LoadPluginSection(TcIniFiles& files, int kind) {
    PluginSection result = ReadSection(files, kind);
    ApplyCachedProbes(result.entries);
    return result;
}

void ApplyCachedProbes(std::vector<PlugEntry>& entries) {
    for (PlugEntry& e : entries) {
        auto cached = ProbeCache.find(KindKey((int)e.kind, e.expandedPath));
        if (cached != ProbeCache.end()) {
            ApplyProbeResult(e, cached->second);
        } else if (!e.fileExists) {
            e.probeStatus = ProbeMissing;
        }
    }
}

PluginSection ReadPluginSection(const std::wstring& wincmdIni, int kind) {
    TcIniFiles files(wincmdIni);
    return ReadSection(files, kind);
}

void ApplyProbeResult(PlugEntry& entry, const ProbeResult& result) {
    entry.probeStatus = result.status;
    entry.probeAnswer = result.answer;
    entry.probeVersion = result.version;
    entry.kindMask = result.kindMask;
    entry.probeError = result.errorText;
    entry.probeNotStarted = result.notStarted;
    entry.is32Bit = result.is32Bit;
    entry.pluginDetect = DetectSpec{};
    if (PluginDetectUsable(entry) && entry.kind <= KindContent) entry.pluginDetect = CompileDetect(result.answer, true);
}

bool PluginDetectUsable(const PlugEntry& entry) { return ProbeAnswerUsable(entry.probeStatus, entry.probeAnswer); }

bool LacksFileOf32BitTc(const PlugEntry& entry) {
    if (!entry.fileExists) return false;
    std::wstring path32 = Plugin32BitPath(entry.expandedPath);
    // An entry made without a load has not looked at the disk yet.
    if (path32 == entry.expandedPath && entry.files.bits) return !(entry.files.bits & 1);
    FilePresence presence;
    return !FileSeen(presence, path32);
}

std::wstring PlugEntryExtraText(const PlugEntry& entry) {
    if (!entry.fileExists || entry.probeStatus == ProbePending || entry.probeStatus == ProbeMissing) return L"";
    return entry.probeVersion.empty() ? L" " : entry.probeVersion;
}

std::wstring PackerLineAsWritten(const PlugEntry& entry, size_t line) {
    int flags = line < entry.packerFlags.size() ? entry.packerFlags[line] : 0;
    return NumberCommaText(flags, line < entry.packerPaths.size() ? entry.packerPaths[line] : entry.path);
}

bool ProbeIsLoadFail1114(int status, const std::wstring& errorText, uint8_t notStarted) {
    return status == ProbeError && !notStarted && errorText.find(L"1114") != std::wstring::npos;
}

EntryMark MarkOf(const PlugEntry& entry) { return {entry.kind, entry.number, entry.path, entry.name}; }

int FindTabEntry(const EntryMark& mark) {
    for (size_t i = 0; i < TabEntries.size(); ++i) {
        const PlugEntry& e = TabEntries[i];
        if (e.kind == mark.kind && e.number == mark.number && e.path == mark.path && e.name == mark.name) return (int)i;
    }
    return -1;
}

std::vector<size_t> FindEntryByName(const PlugEntry& entry, const std::wstring& name) {
    std::vector<size_t> found;
    for (size_t i = 0; i < entry.iniDetect.items.size(); ++i)
        if (name.empty() || StrIEquals(entry.iniDetect.items[i].text, name)) found.push_back(i);
    return found;
}
