#include "foundation/ini_value_check.h"

#include <algorithm>

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
