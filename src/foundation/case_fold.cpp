#include "foundation/case_fold.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "foundation/logs.h"
#include "foundation/text.h"

namespace {

int InvariantUpper(const wchar_t* from, wchar_t* to, int n) {
    return LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, from, n, to, n, nullptr, nullptr, 0);
}

const std::vector<wchar_t>& UpcaseTable() {
    static const std::vector<wchar_t> table = MakeUpcaseTable(InvariantUpper);
    return table;
}

}  // namespace

// Every UTF-16 unit's upper case as the ordinal comparison takes it. Surrogates stay
// themselves: the comparison folds units, not characters.
std::vector<wchar_t> MakeUpcaseTable(UpperMapping mapping) {
    std::vector<wchar_t> units(0x10000), table(0x10000);
    for (size_t c = 0; c < units.size(); ++c) units[c] = table[c] = (wchar_t)c;
    for (auto [from, to] : {std::pair<size_t, size_t>{1, 0xD800}, {0xE000, 0x10000}}) {
        int n = (int)(to - from);
        if (mapping(&units[from], &table[from], n) == n) continue;
        // A range left as it is would make every fold in it case-sensitive. CharUpperBuffW
        // keeps 'i' to 'I' in any language, as the ordinal comparison does.
        DWORD error = GetLastError();
        std::copy_n(&units[from], n, &table[from]);
        CharUpperBuffW(&table[from], (DWORD)n);
        DebugLog(L"case mapping: LCMapStringEx failed (Windows error " + std::to_wstring(error) +
                 L"), CharUpperBuffW used");
    }
    return table;
}

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
