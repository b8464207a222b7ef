#include <windows.h>

#include <vector>

#include "foundation/text.h"

namespace {

// Every UTF-16 unit's upper case as the ordinal comparison takes it, made once.
// Surrogates stay themselves: the comparison folds units, not characters.
std::vector<wchar_t> MakeUpcaseTable() {
    std::vector<wchar_t> units(0x10000), table(0x10000);
    for (size_t c = 0; c < units.size(); ++c) units[c] = table[c] = (wchar_t)c;
    for (auto [from, to] : {std::pair<size_t, size_t>{1, 0xD800}, {0xE000, 0x10000}}) {
        int n = (int)(to - from);
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &units[from], n, &table[from], n, nullptr, nullptr, 0);
    }
    return table;
}

const std::vector<wchar_t>& UpcaseTable() {
    static const std::vector<wchar_t> table = MakeUpcaseTable();
    return table;
}

}  // namespace

int StrICmp(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), (int)a.size(), b.data(), (int)b.size(), TRUE) - CSTR_EQUAL;
}

bool StrIEquals(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && StrICmp(a, b) == 0; }

wchar_t UpperCaseUnit(wchar_t c) { return UpcaseTable()[c]; }

std::wstring UpperCase(std::wstring s) {
    const std::vector<wchar_t>& upper = UpcaseTable();
    for (wchar_t& c : s) c = upper[c];
    return s;
}

std::wstring FoldCase(std::wstring s) {
    const std::vector<wchar_t>& upper = UpcaseTable();
    for (wchar_t& c : s) {
        c = upper[c];
        if (c >= L'A' && c <= L'Z') c = (wchar_t)(c + (L'a' - L'A'));
    }
    return s;
}
