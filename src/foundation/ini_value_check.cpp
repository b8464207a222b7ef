#include "foundation/ini_value_check.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

bool HasControlChar(const std::wstring& text) { return std::any_of(text.begin(), text.end(), IsControl); }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool EqualsNoCase(const std::wstring& text, const wchar_t* word) {
    size_t i = 0;
    for (; word[i]; ++i) {
        if (i >= text.size()) return false;
        wchar_t a = text[i], b = word[i];
        if (a >= L'A' && a <= L'Z') a = (wchar_t)(a - L'A' + L'a');
        if (b >= L'A' && b <= L'Z') b = (wchar_t)(b - L'A' + L'a');
        if (a != b) return false;
    }
    return i == text.size();
}

std::wstring Trimmed(const std::wstring& text) {
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    return text.substr(start, end - start);
}

}  // namespace

const char* IniKeyProblem(const std::wstring& key) {
    if (HasControlChar(key)) return "why_control";
    std::wstring trimmed = Trimmed(key);
    if (trimmed.empty()) return "why_nokey";
    if (trimmed.find_first_of(L"=[]") != std::wstring::npos || trimmed[0] == L';') return "why_keychar";
    if (EqualsNoCase(trimmed, L"RedirectSection")) return "why_redirect";
    return nullptr;
}

const char* IniValueProblem(const std::wstring& value) {
    bool breaks = std::any_of(value.begin(), value.end(), [](wchar_t c) { return IsControl(c) && c != L'\t'; });
    return breaks ? "why_control" : nullptr;
}

const char* ExtensionProblem(const std::wstring& ext) {
    if (const char* why = IniKeyProblem(ext)) return why;
    return ext.find(L':') == std::wstring::npos ? nullptr : "why_extchar";
}

std::wstring ShowControlChars(const std::wstring& text) {
    std::wstring shown = text;
    for (wchar_t& c : shown)
        if (IsControl(c)) c = c == 0x7F ? L'\x2421' : (wchar_t)(0x2400 + c);
    return shown;
}

std::wstring FirstCharRefused(std::wstring_view text, const std::function<bool(std::wstring_view)>& holds) {
    for (size_t at = 0; at < text.size();) {
        bool pair = text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
                    text[at + 1] <= 0xDFFF;
        std::wstring_view ch = text.substr(at, pair ? 2 : 1);
        if (!holds(ch)) return std::wstring(ch);
        at += ch.size();
    }
    return L"";
}

std::wstring CharWithCode(const std::wstring& ch) {
    if (ch.empty()) return L"";
    unsigned code = ch[0];
    if (ch.size() == 2) code = 0x10000 + ((code - 0xD800) << 10) + (ch[1] - 0xDC00u);
    wchar_t hex[16];
    std::swprintf(hex, 16, L"U+%04X", code);
    bool lone = ch.size() == 1 && code >= 0xD800 && code <= 0xDFFF;  // no character of its own to show
    return (lone ? L"" : ShowControlChars(ch) + L" (") + hex + (lone ? L"" : L")");
}
