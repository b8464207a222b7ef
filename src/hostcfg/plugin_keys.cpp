#include "hostcfg/plugin_keys.h"

#include "foundation/files.h"
#include "foundation/text.h"
#include "hostcfg/plug_entry.h"

std::wstring PlugKeyName(const std::wstring& text) {
    std::wstring key = FoldCase(text);
    if (key.size() >= 7 && key.ends_with(L"64")) key.resize(key.size() - 2);
    return key;
}

std::wstring PlugFileKey(const std::wstring& path) { return PlugKeyName(LongFullPath(path)); }

std::wstring PlugFileKey(const PlugEntry& entry) {
    return PlugKeyName(entry.longPath.empty() ? entry.expandedPath : entry.longPath);
}

std::wstring PlugKey(const std::wstring& path) { return FileStem(PlugKeyName(path)); }

wchar_t PlugKindLetter(int kind) {
    switch (kind) {
        case 1: return L'C';
        case 2: return L'P';
        case 3: return L'F';
        default: return L'L';
    }
}

std::wstring MakePlugKey(int kind, bool mark, const std::wstring& text) {
    return std::wstring(1, PlugKindLetter(kind)) + (mark ? L"!" : L"|") + FoldCase(StrTrim(text));
}

std::wstring KindKey(int kind, const std::wstring& text) { return MakePlugKey(kind, false, text); }

std::wstring EntryEditKey(int kind, int number) { return KindKey(kind, std::to_wstring(number)); }

std::wstring IniKeyOfEntry(const PlugEntry& entry) {
    std::wstring key = KindKey((int)entry.kind, entry.expandedPath);
    for (size_t i = 2; i < key.size(); ++i)
        if (key[i] == L'=' || key[i] == L'[' || key[i] == L']') key[i] = L'_';
    return key;
}
