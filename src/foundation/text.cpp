#include "foundation/text.h"

#include <cwchar>
#include <cwctype>

namespace {

bool IsTrimSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
bool IsWordSeparator(wchar_t c) { return c == L'\t' || c == L' ' || c == L',' || c == L';'; }

}  // namespace

std::wstring StrTrim(const std::wstring& s) { return std::wstring(StrTrimView(s)); }

std::wstring_view StrTrimView(std::wstring_view s) {
    while (!s.empty() && IsTrimSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsTrimSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring StrUpper(std::wstring s) {
    for (auto& c : s) c = (wchar_t)std::towupper(c);
    return s;
}

std::wstring StrLower(std::wstring s) {
    for (auto& c : s) c = (wchar_t)std::towlower(c);
    return s;
}

std::wstring StrPadRight(const std::wstring& s, size_t width) {
    return s.size() >= width ? s : s + std::wstring(width - s.size(), L' ');
}

std::wstring Unquote(const std::wstring& s) {
    std::wstring t = StrTrim(s);
    if (t.size() >= 2 && t.front() == L'"' && t.back() == L'"') return t.substr(1, t.size() - 2);
    return t;
}

namespace {

bool EndsWith(const std::wstring& s, const wchar_t* tail) {
    size_t n = std::char_traits<wchar_t>::length(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

enum class QuotedCase { Kept, RuntimeUpper, FileName };

// TC compares FIND text and bytes with case, FINDI text without; an extension
// names files, so it folds as file names do.
QuotedCase QuotedTextCase(const std::wstring& normSoFar) {
    if (EndsWith(normSoFar, L"EXT=") || EndsWith(normSoFar, L"EXT!=")) return QuotedCase::FileName;
    return EndsWith(normSoFar, L"FINDI(") ? QuotedCase::RuntimeUpper : QuotedCase::Kept;
}

}  // namespace

std::wstring NormKeyText(const std::wstring& s) {
    std::wstring in = Unquote(s), out;
    out.reserve(in.size());
    bool quoted = false;
    QuotedCase quotedCase = QuotedCase::Kept;
    for (wchar_t c : in) {
        if (c == L'"') {
            quoted = !quoted;
            if (quoted) quotedCase = QuotedTextCase(out);
            out += c;
        } else if (quoted) {
            out += quotedCase == QuotedCase::FileName       ? UpperCaseUnit(c)
                   : quotedCase == QuotedCase::RuntimeUpper ? (wchar_t)std::towupper(c)
                                                            : c;
        } else if (!std::iswspace(c)) {
            out += (wchar_t)std::towupper(c);
        }
    }
    return out;
}

std::wstring Quote(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring QuoteArg(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double only before a quote: the arg's own, or the closing one.
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        out += c;
        backslashes = 0;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

std::wstring MakeExtTerm(const std::wstring& ext) { return L"EXT=\"" + ext + L"\""; }

std::wstring JoinSlash(const std::wstring& a, const std::wstring& b) { return a + L"/" + b; }

std::wstring NumberCommaText(long long number, const std::wstring& text) {
    return std::to_wstring(number) + L"," + text;
}

bool StrHasWord(const std::wstring& text, const std::wstring& word) {
    if (word.empty()) return false;
    for (size_t pos = text.find(word); pos != std::wstring::npos; pos = text.find(word, pos + 1)) {
        bool startOk = pos == 0 || !std::iswalnum(text[pos - 1]);
        size_t end = pos + word.size();
        bool endOk = end >= text.size() || !std::iswalnum(text[end]);
        if (startOk && endOk) return true;
    }
    return false;
}

bool HasCmdVars(const std::wstring& tmpl) {
    for (const wchar_t* v : {L"%d", L"%f", L"%n", L"%e", L"%i"})
        if (tmpl.find(v) != std::wstring::npos) return true;
    return false;
}

std::wstring FileSafeName(const std::wstring& s) {
    size_t cut = s.find_last_of(L"\\/");
    std::wstring name = cut == std::wstring::npos ? s : s.substr(cut + 1), out;
    for (wchar_t c : name) {
        if (c < 32 || std::wstring(L"<>:\"/\\|?*").find(c) != std::wstring::npos) continue;
        out += c;
    }
    while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    return StrTrim(out);
}

std::vector<std::wstring> SplitWords(const std::wstring& s) {
    std::vector<std::wstring> words;
    std::wstring cur;
    for (wchar_t c : s) {
        if (IsWordSeparator(c)) {
            if (!cur.empty()) words.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(std::move(cur));
    return words;
}

void ReplaceWordList(const std::wstring& s, std::vector<std::wstring>& first,
                     std::vector<std::wstring>& second) {
    size_t bar = s.find(L'|');
    first = SplitWords(bar == std::wstring::npos ? s : s.substr(0, bar));
    second = bar == std::wstring::npos ? std::vector<std::wstring>() : SplitWords(s.substr(bar + 1));
}

std::pair<std::wstring, std::wstring> SplitAtComma(const std::wstring& s) {
    size_t comma = s.find(L',');
    if (comma == std::wstring::npos) return {StrTrim(s), L""};
    return {StrTrim(s.substr(0, comma)), StrTrim(s.substr(comma + 1))};
}

std::wstring IniValueFromText(const std::wstring& text, const std::wstring& key) {
    std::wstring prefix = FoldCase(key) + L"=";
    size_t start = 0;
    while (start <= text.size()) {
        size_t lf = text.find(L'\n', start);
        std::wstring line = StrTrim(text.substr(start, lf == std::wstring::npos ? std::wstring::npos : lf - start));
        if (FoldCase(line).compare(0, prefix.size(), prefix) == 0) return StrTrim(line.substr(prefix.size()));
        if (lf == std::wstring::npos) break;
        start = lf + 1;
    }
    return L"";
}

bool CompareIndexKeys(const std::wstring& a, const std::wstring& b) {
    size_t ca = a.find(L','), cb = b.find(L',');
    if (ca == std::wstring::npos || cb == std::wstring::npos) return StrTrim(a) == StrTrim(b);
    return StrToInt(StrTrim(a.substr(0, ca))) == StrToInt(StrTrim(b.substr(0, cb))) &&
           StrIEquals(StrTrim(a.substr(ca + 1)), StrTrim(b.substr(cb + 1)));
}

std::vector<std::wstring> SplitAt(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    for (std::wstring_view part : SplitViews(std::wstring_view(text), separator)) parts.emplace_back(part);
    return parts;
}

std::wstring PathDir(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring PathName(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring FileStem(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring PathJoin(const std::wstring& dir, const std::wstring& rel) {
    std::wstring name = rel;
    while (name.size() > 1 && name[0] == L'.' && (name[1] == L'\\' || name[1] == L'/')) name.erase(0, 2);
    if (dir.empty()) return name;
    if (dir.back() == L'\\') return dir + name;
    return dir + L"\\" + name;
}

std::wstring PathNoTrailingSep(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring DsWrap(const std::wstring& text, size_t width, const std::wstring& prefix) {
    std::wstring result, line;
    bool inQuotes = false;
    size_t breakPos = std::wstring::npos;
    for (wchar_t c : text) {
        line += c;
        if (c == L'"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && (c == L'|' || c == L'&' || c == L' ')) {
            breakPos = line.size();
            continue;
        }
        if (line.size() > width && breakPos != std::wstring::npos && breakPos < line.size()) {
            std::wstring head = line.substr(0, breakPos), tail = line.substr(breakPos);
            while (!head.empty() && head.back() == L' ') head.pop_back();
            size_t lead = tail.find_first_not_of(L' ');
            tail = lead == std::wstring::npos ? std::wstring() : tail.substr(lead);
            result += prefix + head + L"\r\n";
            line = tail;
            breakPos = std::wstring::npos;
        }
    }
    if (!line.empty()) result += prefix + line + L"\r\n";
    return result;
}

namespace {

// Windows opens these names as devices in any folder and with any extension.
bool IsDeviceName(const std::wstring& piece) {
    std::wstring base = StrUpper(piece.substr(0, piece.find(L'.')));
    while (!base.empty() && (base.back() == L' ')) base.pop_back();
    static const wchar_t* const kFixed[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* d : kFixed)
        if (base == d) return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0)) return false;
    // Windows reserves the superscript digits one to three as well.
    wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

std::wstring SafeRelPath(const std::wstring& name) {
    std::wstring s = name;
    for (auto& c : s)
        if (c == L'/') c = L'\\';
    while (s.size() >= 2 && s[0] == L'.' && s[1] == L'\\') s.erase(0, 2);
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    if (s.empty() || s[0] == L'\\' || s.find(L':') != std::wstring::npos) return L"";
    std::wstring result;
    size_t start = 0;
    while (start <= s.size()) {
        size_t sep = s.find(L'\\', start);
        std::wstring piece = s.substr(start, sep == std::wstring::npos ? std::wstring::npos : sep - start);
        start = sep == std::wstring::npos ? s.size() + 1 : sep + 1;
        if (piece.empty()) continue;
        for (wchar_t c : piece)
            if (c < 32 || std::wstring(L"<>\"|?*").find(c) != std::wstring::npos) return L"";
        if (piece == L".") continue;
        if (piece == L".." || IsDeviceName(piece)) return L"";
        while (!piece.empty() && (piece.back() == L' ' || piece.back() == L'.')) piece.pop_back();
        if (piece.empty()) return L"";
        if (!result.empty()) result += L'\\';
        result += piece;
    }
    return result;
}

bool WildcardMatch(const std::wstring& pattern, const std::wstring& text, bool ignoreCase) {
    auto same = [ignoreCase](wchar_t a, wchar_t b) {
        return a == b || (ignoreCase && UpperCaseUnit(a) == UpperCaseUnit(b));
    };
    size_t p = 0, t = 0, star = std::wstring::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && (pattern[p] == L'?' || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

int StrToInt(const std::wstring& s) {
    size_t i = 0;
    while (i < s.size() && std::iswspace(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) neg = s[i++] == L'-';
    long long v = 0;
    for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
        v = v * 10 + (s[i] - L'0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    v = neg ? -v : v;
    if (v > 2147483647LL) v = 2147483647LL;
    return (int)v;
}

bool SplitLeadingNumber(const std::wstring& key, long& number, std::wstring& rest) {
    wchar_t* end = nullptr;
    number = std::wcstol(key.c_str(), &end, 10);
    if (end == key.c_str()) return false;
    rest = key.substr((size_t)(end - key.c_str()));
    return true;
}
