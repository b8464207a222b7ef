#include "shell/search_match.h"

#include "foundation/text.h"

std::wstring SearchExtTerm(const std::wstring& query) {
    if (query.starts_with(L"*.")) return query.substr(2);
    if (query.starts_with(L".")) return query.substr(1);
    return query;
}

std::wstring MatchingExtItem(const DetectSpec& spec, const std::wstring& term) {
    if (term.empty()) return L"";
    // Extensions name files: one type whatever the case of any letter, as file names compare.
    std::wstring wanted = UpperCase(term);
    for (const DetectItem& item : spec.items)
        if (item.kind == DetItemExt && UpperCase(item.text) == wanted) return item.text;
    return L"";
}

std::wstring MatchingFieldName(const std::vector<std::wstring>& names, const std::wstring& query) {
    std::wstring wanted = StrLower(query);
    for (const std::wstring& name : names)
        if (StrLower(name).find(wanted) != std::wstring::npos) return name;
    return L"";
}

std::wstring FieldCacheKey(const std::wstring& path) {
    std::wstring key = FoldCase(path);
    for (wchar_t& c : key)
        if (c == L'=' || c == L'[' || c == L']') c = L'_';
    return key;
}

std::wstring FieldCacheValue(const FieldCacheEntry& entry) {
    std::wstring value = entry.stamp + L'\t';
    for (size_t i = 0; i < entry.names.size(); ++i) value += (i ? L"|" : L"") + entry.names[i];
    return value;
}

bool ParseFieldCacheValue(const std::wstring& value, FieldCacheEntry& entry) {
    size_t tab = value.find(L'\t');
    if (tab == std::wstring::npos) return false;
    entry.stamp = value.substr(0, tab);
    entry.names.clear();
    for (std::wstring& name : SplitAt(value.substr(tab + 1), L'|'))
        if (!name.empty()) entry.names.push_back(std::move(name));
    return true;
}

size_t FirstHitFrom(const std::vector<int>& hitPositions, int from) {
    for (size_t i = 0; i < hitPositions.size(); ++i)
        if (hitPositions[i] >= from) return i;
    return 0;
}

int StepHit(int current, int step, int count) {
    if (count <= 0 || current < 0) return 0;
    return ((current + step) % count + count) % count;
}
