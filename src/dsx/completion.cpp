#include "dsx/completion.h"

#include <cwctype>
#include <set>

#include "foundation/text.h"

namespace {

const wchar_t* const Keywords[] = {L"EXT=\"", L"EXT!=\"", L"SIZE", L"FORCE", L"MULTIMEDIA", L"FIND(\"", L"FINDI(\""};

// Letters in any case, as extensions compare.
bool StartsNoCase(const std::wstring& text, const std::wstring& start) {
    if (start.size() > text.size()) return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (UpperCaseUnit(text[i]) != UpperCaseUnit(start[i])) return false;
    return true;
}

int SkipBlanksLeft(const std::wstring& text, int at) {
    while (at > 0 && text[(size_t)at - 1] == L' ') --at;
    return at;
}

bool IsWordChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

// The text left of `at` (after blanks) is "EXT =" or, with bang allowed, "EXT !=".
bool ExtAssignBefore(const std::wstring& text, int at, bool bangAllowed) {
    at = SkipBlanksLeft(text, at);
    if (at == 0 || text[(size_t)at - 1] != L'=') return false;
    --at;
    if (at > 0 && text[(size_t)at - 1] == L'!') {
        if (!bangAllowed) return false;
        --at;
    }
    at = SkipBlanksLeft(text, at);
    int end = at;
    while (at > 0 && IsWordChar(text[(size_t)at - 1])) --at;
    return StrUpper(text.substr((size_t)at, (size_t)(end - at))) == L"EXT";
}

// The values of every EXT term written, upper case, but the one opened by the quote at skip.
std::set<std::wstring> PresentValues(const std::wstring& text, int skip) {
    std::set<std::wstring> out;
    std::wstring upper = UpperCase(text);
    for (size_t at = upper.find(L"EXT"); at != std::wstring::npos; at = upper.find(L"EXT", at + 3)) {
        size_t open = upper.find(L'"', at + 3);
        if (open == std::wstring::npos) break;
        size_t close = upper.find(L'"', open + 1);
        if ((int)open == skip) continue;
        out.insert(upper.substr(open + 1, close == std::wstring::npos ? std::wstring::npos : close - open - 1));
    }
    return out;
}

void InsideValue(DetectCompletion& r, const std::wstring& text, int caret, int q, const std::vector<std::wstring>& known) {
    if (!ExtAssignBefore(text, q, true)) return;
    r.replaceStart = q + 1;
    r.typed = text.substr((size_t)q + 1, (size_t)(caret - q - 1));
    std::set<std::wstring> present = PresentValues(text, q);
    bool quoteFollows = (size_t)caret < text.size() && text[(size_t)caret] == L'"';
    for (const std::wstring& ext : known)
        if (!ext.empty() && !present.count(UpperCase(ext)) && StartsNoCase(ext, r.typed))
            r.candidates.push_back(quoteFollows ? ext : ext + L"\"");
}

void AfterValue(DetectCompletion& r, const std::wstring& text, int caret, const std::vector<std::wstring>& known,
                uint64_t ownCount) {
    size_t open = caret >= 2 ? text.rfind(L'"', (size_t)caret - 2) : std::wstring::npos;
    if (open == std::wstring::npos || open == 0 || !ExtAssignBefore(text, (int)open, false)) return;
    size_t next = text.find_first_not_of(L' ', (size_t)caret);
    if (next != std::wstring::npos && (text[next] == L'|' || text[next] == L'&')) return;
    std::set<std::wstring> present = PresentValues(text, -1);
    for (size_t i = 0; i < known.size() && i < ownCount; ++i)
        if (!known[i].empty() && !present.count(UpperCase(known[i]))) {
            r.candidates.push_back(NextAlternativeText);
            return;
        }
}

void Keyword(DetectCompletion& r, const std::wstring& text, int caret) {
    int j = caret;
    while (j > 0 && std::iswalpha(text[(size_t)j - 1])) --j;
    if (j == caret) return;
    int before = j;
    while (before > 0 && std::iswspace(text[(size_t)before - 1])) --before;
    if (before > 0 && std::wstring(L"(|&!").find(text[(size_t)before - 1]) == std::wstring::npos) return;
    r.replaceStart = j;
    r.typed = text.substr((size_t)j, (size_t)(caret - j));
    bool restEmpty = StrTrim(text.substr((size_t)caret)).empty();
    for (const wchar_t* kw : Keywords) {
        std::wstring k = kw;
        if (!StartsNoCase(k, r.typed)) continue;
        if (k == L"EXT!=\"" && StrUpper(r.typed) != L"EXT") continue;
        if (k == L"FORCE" && restEmpty) k += L" & ";
        r.candidates.push_back(k);
    }
}

}  // namespace

DetectCompletion DetectCompletions(const std::wstring& text, int caret, const std::vector<std::wstring>& known,
                                   uint64_t ownCount) {
    DetectCompletion r;
    r.replaceStart = caret;
    if (caret <= 0 || (size_t)caret > text.size()) return r;
    int quotes = 0, q = -1;
    for (int i = 0; i < caret; ++i)
        if (text[(size_t)i] == L'"') {
            ++quotes;
            q = i;
        }
    if (quotes % 2 == 1) InsideValue(r, text, caret, q, known);
    else if (text[(size_t)caret - 1] == L'"') AfterValue(r, text, caret, known, ownCount);
    else Keyword(r, text, caret);
    return r;
}

std::wstring CommonBeginning(const std::vector<std::wstring>& candidates) {
    if (candidates.empty()) return L"";
    const std::wstring& first = candidates[0];
    size_t n = first.size();
    for (const std::wstring& c : candidates) {
        size_t i = 0;
        while (i < n && i < c.size() && UpperCaseUnit(c[i]) == UpperCaseUnit(first[i])) ++i;
        n = i;
    }
    return first.substr(0, n);
}

std::wstring CompletionLabel(const std::wstring& candidate) {
    std::wstring s = candidate;
    while (!s.empty() && (s.back() == L' ' || s.back() == L'"' || s.back() == L'&')) s.pop_back();
    return s;
}
