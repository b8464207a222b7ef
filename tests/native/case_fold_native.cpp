// The native build has no Windows upcase table: the C library's upper-casing
// stands in, so the parsers that compare keys link and run under the sanitizers.
#include <cwctype>

#include "foundation/text.h"

std::wstring FoldCase(std::wstring s) {
    for (wchar_t& c : s) {
        c = (wchar_t)std::towupper(c);
        if (c >= L'A' && c <= L'Z') c = (wchar_t)(c + (L'a' - L'A'));
    }
    return s;
}

int StrICmp(const std::wstring& a, const std::wstring& b) {
    std::wstring x = StrUpper(a), y = StrUpper(b);
    return x < y ? -1 : x == y ? 0 : 1;
}

bool StrIEquals(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && StrICmp(a, b) == 0; }
