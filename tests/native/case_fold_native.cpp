// The native build has no Windows upcase table: the C library's upper-casing of
// its Unicode locale stands in (the plain "C" locale folds A-Z only), so the
// parsers that compare keys and extensions link and run under the sanitizers.
#include <clocale>
#include <cwctype>

#include "foundation/text.h"

wchar_t UpperCaseUnit(wchar_t c) {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", (locale_t)0);
    return (wchar_t)(unicode ? towupper_l((wint_t)c, unicode) : std::towupper((wint_t)c));
}

std::wstring UpperCase(std::wstring s) {
    for (wchar_t& c : s) c = UpperCaseUnit(c);
    return s;
}

std::wstring FoldCase(std::wstring s) {
    for (wchar_t& c : s) {
        c = UpperCaseUnit(c);
        if (c >= L'A' && c <= L'Z') c = (wchar_t)(c + (L'a' - L'A'));
    }
    return s;
}

int StrICmp(const std::wstring& a, const std::wstring& b) {
    std::wstring x = UpperCase(a), y = UpperCase(b);
    return x < y ? -1 : x == y ? 0 : 1;
}

bool StrIEquals(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && StrICmp(a, b) == 0; }
