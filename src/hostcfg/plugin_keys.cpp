#include "hostcfg/plugin_keys.h"

#include "foundation/text.h"

std::wstring PlugKeyName(const std::wstring& text) {
    std::wstring key = StrLower(text);
    if (key.size() >= 7 && key.ends_with(L"64")) key.resize(key.size() - 2);
    return key;
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

std::wstring MakeKindKey(int kind, const std::wstring& text) {
    return std::wstring(1, PlugKindLetter(kind)) + L"|" + text;
}
