// Text, list and path helpers that need no Windows call, so they also build natively.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Trim removes ' ', TAB, CR and LF from both ends.
std::wstring StrTrim(const std::wstring& s);
// The same without a copy; the view points into s.
std::wstring_view StrTrimView(std::wstring_view s);
// The C runtime's case mapping: for display and for TC's own comparisons; paths,
// keys and extensions are compared with StrIEquals, UpperCase and FoldCase below.
std::wstring StrUpper(std::wstring s);
std::wstring StrLower(std::wstring s);
// Appends blanks up to the width; a longer text is never cut.
std::wstring StrPadRight(const std::wstring& s, size_t width);
// Trims, then drops one pair of surrounding double quotes.
std::wstring Unquote(const std::wstring& s);
// Comparison form of a detect string or key: unquoted, upper case, white space gone.
// Quoted text keeps its blanks, and its case where TC's test is case-sensitive
// (FIND and byte tests), so FIND("Foo") and FIND("foo") stay different; an
// extension is upper-cased as file names are (UpperCase).
std::wstring NormKeyText(const std::wstring& s);
std::wstring Quote(const std::wstring& s);
// One argument of a command line as CommandLineToArgvW and the C runtime read it
// back: quoted when it is empty or holds blanks or quotes, backslashes doubled
// where they stand before a quote, so "C:\\" stays one argument.
std::wstring QuoteArg(const std::wstring& arg);
// EXT="<ext>", the extension inserted as it is.
std::wstring MakeExtTerm(const std::wstring& ext);
std::wstring JoinSlash(const std::wstring& a, const std::wstring& b);
std::wstring NumberCommaText(long long number, const std::wstring& text);
bool StrHasWord(const std::wstring& text, const std::wstring& word);
// True when a command template holds %d, %f, %n, %e or %i.
bool HasCmdVars(const std::wstring& tmpl);
std::wstring FileSafeName(const std::wstring& s);

// Words separated by any run of TAB, blank, ',' or ';'.
std::vector<std::wstring> SplitWords(const std::wstring& s);
// "a b|c" gives first = {a, b}, second = {c}.
void ReplaceWordList(const std::wstring& s, std::vector<std::wstring>& first,
                     std::vector<std::wstring>& second);
std::pair<std::wstring, std::wstring> SplitAtComma(const std::wstring& s);
// The value of "key=value" from the first matching line of a multi-line text.
std::wstring IniValueFromText(const std::wstring& text, const std::wstring& key);
// Equality of "number,text" keys: numbers by value, texts ignoring case.
bool CompareIndexKeys(const std::wstring& a, const std::wstring& b);

// The pieces between separators, empty ones kept: "a,,b" gives a, "" and b; ""
// gives one empty piece. The views point into text.
template <typename Char>
std::vector<std::basic_string_view<Char>> SplitViews(std::basic_string_view<Char> text, Char separator) {
    std::vector<std::basic_string_view<Char>> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != text.npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}
// The same pieces as texts of their own.
std::vector<std::wstring> SplitAt(const std::wstring& text, wchar_t separator);

std::wstring PathDir(const std::wstring& path);
// The part after the last '\\' or '/'; the whole text when there is none.
std::wstring PathName(const std::wstring& path);
std::wstring FileStem(const std::wstring& path);
std::wstring PathJoin(const std::wstring& dir, const std::wstring& rel);
// The path without trailing '\\' and '/'.
std::wstring PathNoTrailingSep(std::wstring path);

// Wraps a detect string at break points outside quotes; every line gets the prefix
// and ends with CR LF.
std::wstring DsWrap(const std::wstring& text, size_t width, const std::wstring& prefix);
// Normalises a relative path taken from an archive, or gives "" when it could
// escape the target folder or name a device.
std::wstring SafeRelPath(const std::wstring& name);

// '?' matches one character, '*' any run. Iterative with one back-tracking point,
// so the work stays within pattern times text length whatever the input. Ignoring
// case, letters compare by UpperCaseUnit, as file names do.
bool WildcardMatch(const std::wstring& pattern, const std::wstring& text, bool ignoreCase);

// Paths and keys compared as Windows compares file names: ordinal, every UTF-16
// unit upper-cased by the system's table, for all of Unicode (the C runtime's
// towlower folds only A-Z, so ÜBER and über differed). Built per platform:
// case_fold.cpp on Windows, a stand-in for the native parser tests.
int StrICmp(const std::wstring& a, const std::wstring& b);
bool StrIEquals(const std::wstring& a, const std::wstring& b);
// One UTF-16 unit upper-cased by the table the comparison above uses. Extensions
// are held in this case: x.ärz and x.ÄRZ name one file, so they are one type.
wchar_t UpperCaseUnit(wchar_t c);
std::wstring UpperCase(std::wstring s);
// The form under which texts that StrIEquals calls equal are the same, for keys
// of maps and stored files: upper-cased as above, then A-Z lowered again, so a
// plain ASCII key keeps the lower-case spelling that stored files already hold.
std::wstring FoldCase(std::wstring s);
// The decimal value of leading digits after optional blanks and sign, like _wtoi.
int StrToInt(const std::wstring& s);
// The number at the start of a key as wcstol reads it ("12_detect": 12 and
// "_detect"); false without one.
bool SplitLeadingNumber(const std::wstring& key, long& number, std::wstring& rest);
