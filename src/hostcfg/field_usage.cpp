#include "hostcfg/field_usage.h"

#include <windows.h>

#include <algorithm>

#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

namespace {

const char* const PlaceKeys[UsePlaceCount] = {"use_column", "use_tip",    "use_thumb",
                                              "use_rename", "use_search", "use_other"};

std::wstring PlaceText(const FieldUse& use) {
    return FillVar(Tr(PlaceKeys[use.place < UsePlaceCount ? use.place : UseOther]), L"w", use.where);
}

bool IsPluginSection(const std::wstring& lower) {
    for (int kind = KindLister; kind <= KindFileSystem; ++kind)
        if (StrIEquals(lower, PlugSectionName(kind))) return true;
    return lower.find(L"plugins64") != std::wstring::npos;
}

// "fileinfo.size > 1 & fileinfo.date = 2": one plugin.field per condition.
void ParseSearchPlugins(FieldUsage& usage, const std::wstring& value, const std::wstring& where) {
    size_t pos = 0;
    while (true) {
        pos = value.find_first_not_of(L" !&(|", pos);
        if (pos == std::wstring::npos) return;
        std::wstring token;
        size_t end;
        if (value[pos] == L'"') {
            size_t close = value.find(L'"', pos + 1);
            end = close == std::wstring::npos ? value.size() : close + 1;
            token = value.substr(pos + 1, (close == std::wstring::npos ? value.size() : close) - pos - 1);
        } else {
            end = std::min(value.find(L' ', pos), value.size());
            token = value.substr(pos, end - pos);
        }
        size_t dot = token.find(L'.');
        if (dot != std::wstring::npos && dot > 0) {
            std::wstring rest = token.substr(dot + 1);
            UsageAdd(usage, token.substr(0, dot), rest.substr(0, rest.find(L'.')), UseSearch, where);
        }
        size_t next = value.find_first_of(L"&|", end);
        if (next == std::wstring::npos) return;
        pos = next + 1;
    }
}

// "Date:12" is a field with a numeric format; "Date:ab" is a field name.
std::wstring WithoutNumberFormat(const std::wstring& field) {
    size_t colon = field.find(L':');
    if (colon == std::wstring::npos || colon + 1 >= field.size()) return field;
    if (field.find_first_not_of(L"0123456789-,", colon + 1) != std::wstring::npos) return field;
    return field.substr(0, colon);
}

size_t ClosingBracket(const std::wstring& value, size_t from) {
    bool quoted = false;
    for (size_t i = from; i < value.size(); ++i) {
        if (value[i] == L'"') quoted = !quoted;
        else if (value[i] == L']' && !quoted) return i;
    }
    return std::wstring::npos;
}

void AddReference(FieldUsage& usage, std::wstring ref, uint32_t place, const std::wstring& where) {
    ref = StrTrim(ref);
    if (!ref.empty() && ref[0] == L'"') {
        size_t second = ref.find(L'"', 1);
        if (second == std::wstring::npos) return;
        ref = ref.substr(second + 1);
    }
    ref = StrTrim(ref.substr(0, ref.find(L'"')));
    size_t dot = ref.find(L'.');
    if (dot == std::wstring::npos || dot == 0) return;
    std::wstring rest = ref.substr(dot + 1);
    std::wstring plugin = ref.substr(0, dot), field = WithoutNumberFormat(rest.substr(0, rest.find(L'.')));
    if (!field.empty()) UsageAdd(usage, plugin, field, place, where);
}

struct SectionScan {
    std::wstring name, lower, viewName;
    std::vector<std::wstring> titles;
    std::map<std::wstring, std::wstring> typeLists;  // "<key>exts" lines of the section
};

// "[CustomFields_ADB]" is the view "ADB", "[CustomFieldsMy view]" the view "My view".
std::wstring ColumnViewName(const std::wstring& section) {
    std::wstring rest = section.substr(std::char_traits<wchar_t>::length(L"CustomFields"));
    return rest.starts_with(L'_') ? rest.substr(1) : rest;
}

std::wstring ColumnWhere(const SectionScan& s, const std::wstring& key, const std::wstring& lowerKey) {
    std::wstring where = key;
    if (lowerKey.starts_with(L"contents")) {
        int n = StrToInt(lowerKey.substr(8));
        if (n >= 1 && (size_t)n <= s.titles.size()) where = s.titles[(size_t)n - 1];
    }
    return s.viewName.empty() ? where : s.viewName + L": " + where;
}

void ScanLine(FieldUsage& usage, const SectionScan& s, const std::wstring& key, const std::wstring& value) {
    std::wstring k = FoldCase(key);
    if (k.size() >= 8 && k.ends_with(L"_plugin")) {
        ParseSearchPlugins(usage, value, key.substr(0, key.size() - 7));
        return;
    }
    if (value.find(L"[=") == std::wstring::npos) return;
    bool tips = s.lower == L"hintscustomfield", thumbs = s.lower == L"thumbscustomfield";
    if (s.lower.starts_with(L"customfields")) {
        UsageParseRefs(usage, value, UseColumn, ColumnWhere(s, key, k));
    } else if (tips || thumbs) {
        auto types = s.typeLists.find(k.size() > 6 ? k.substr(0, k.size() - 6) : k);
        UsageParseRefs(usage, value, tips ? UseTip : UseThumb, types != s.typeLists.end() ? types->second : key);
    } else if (s.lower == L"renametemplates") {
        UsageParseRefs(usage, value, UseRename, value);
    } else {
        UsageParseRefs(usage, value, UseOther, L"[" + s.name + L"] " + key);
    }
}

void ScanSection(FieldUsage& usage, const std::wstring& name, const IniPairs& lines) {
    SectionScan s{name, FoldCase(name), {}, {}, {}};
    bool columns = s.lower.starts_with(L"customfields");
    for (const auto& [key, value] : lines) {
        std::wstring k = FoldCase(key);
        if (columns && k == L"titles") {
            s.titles.clear();
            for (const std::wstring& title : SplitAt(value, L'|')) s.titles.push_back(StrTrim(title));
        }
        if (k.size() > 4 && k.ends_with(L"exts")) s.typeLists[k.substr(0, k.size() - 4)] = StrTrim(value);
    }
    if (columns) s.viewName = ColumnViewName(name);
    for (const auto& [key, value] : lines) ScanLine(usage, s, key, value);
}

const std::vector<FieldUse>* UsesOf(const FieldUsage& usage, const std::wstring& plugin) {
    auto it = usage.uses.find(FoldCase(plugin));
    return it == usage.uses.end() ? nullptr : &it->second;
}

bool HasFieldNoCase(const FieldUse& use, const std::wstring& field) {
    for (const auto& f : use.fields)
        if (StrIEquals(f, field)) return true;
    return false;
}

}  // namespace

FieldUsage BuildFieldUsage() {
    FieldUsage usage;
    if (WincmdIniPath.empty()) return usage;
    // One read of the whole file: asking section by section costs a parse of the file each time.
    const std::wstring ini = FullPath(WincmdIniPath);
    IniSections sections = ReadIniFile(ini);
    auto alternateUserIni = [&] { return IniFindValue(sections, L"Configuration", L"AlternateUserIni"); };
    std::set<std::wstring> seen;
    for (const auto& [name, lines] : sections) {
        // TC reads only the first of two sections of one name.
        if (!seen.insert(FoldCase(name)).second || IsPluginSection(FoldCase(name))) continue;
        std::wstring file = RedirectTarget(ini, IniLinesValue(lines, L"RedirectSection"), alternateUserIni);
        ScanSection(usage, name, file == ini ? lines : ReadIniSection(file, name));
    }
    return usage;
}

void UsageAdd(FieldUsage& usage, const std::wstring& plugin, const std::wstring& field, uint32_t place,
              const std::wstring& where) {
    std::wstring p = StrTrim(plugin), l = FoldCase(p);
    if (l.empty() || l == L"tc" || l == L"<fs>") return;
    usage.names.try_emplace(l, p);
    std::vector<FieldUse>& uses = usage.uses[l];
    for (auto& use : uses) {
        if (use.place == place && use.where == where) {
            use.fields.insert(field);
            return;
        }
    }
    uses.push_back(FieldUse{place, where, {field}});
}

void UsageParseRefs(FieldUsage& usage, const std::wstring& value, uint32_t place, const std::wstring& where) {
    for (size_t open = value.find(L"[="); open != std::wstring::npos;) {
        size_t close = ClosingBracket(value, open + 2);
        if (close == std::wstring::npos) return;
        AddReference(usage, value.substr(open + 2, close - open - 2), place, where);
        open = value.find(L"[=", close + 1);
    }
}

std::wstring FieldUsageText(const FieldUsage& usage, const std::wstring& plugin, const std::wstring& prefix) {
    const std::vector<FieldUse>* uses = UsesOf(usage, plugin);
    if (!uses) return L"";
    std::wstring text;
    for (uint32_t place = 0; place < UsePlaceCount; ++place) {
        for (const auto& use : *uses) {
            if (use.place != place) continue;
            std::wstring fields;
            for (const auto& f : use.fields) fields += (fields.empty() ? L"" : L", ") + f;
            text += prefix + PlaceText(use) + L": " + fields + L"\r\n";
        }
    }
    return text;
}

std::wstring FieldUsageTextFor(const FieldUsage& usage, const std::wstring& plugin, const std::wstring& field) {
    const std::vector<FieldUse>* uses = UsesOf(usage, plugin);
    std::wstring text;
    if (uses)
        for (const auto& use : *uses)
            if (HasFieldNoCase(use, field)) text += (text.empty() ? L"" : L", ") + PlaceText(use);
    return text;
}

int FieldUsageCount(const FieldUsage& usage, const std::wstring& plugin, int (&counts)[UsePlaceCount],
                    const std::wstring& filter) {
    for (int& c : counts) c = 0;
    const std::vector<FieldUse>* uses = UsesOf(usage, plugin);
    int total = 0;
    if (uses) {
        for (const auto& use : *uses) {
            if (!filter.empty() && !HasFieldNoCase(use, filter)) continue;
            ++counts[use.place < UsePlaceCount ? use.place : UseOther];
            ++total;
        }
    }
    return total;
}
