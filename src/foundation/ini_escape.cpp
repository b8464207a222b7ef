#include "foundation/ini_escape.h"

#include <cwchar>

namespace {

const wchar_t kEscapeMark[] = L"%~";

bool IsEdgeBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

// The character at i would be cut, trimmed or read as INI syntax.
bool Unsafe(const std::wstring& text, size_t i, bool key) {
    wchar_t ch = text[i];
    bool edge = (i == 0 || i + 1 == text.size()) && IsEdgeBlank(ch);
    bool syntax = key && (ch == L'=' || (i == 0 && (ch == L'[' || ch == L';')));
    return ch < 0x20 || edge || syntax;
}

bool NeedsEscape(const std::wstring& text, bool key) {
    if (text.starts_with(kEscapeMark)) return true;
    for (size_t i = 0; i < text.size(); ++i)
        if (Unsafe(text, i, key)) return true;
    return false;
}

std::wstring Escape(const std::wstring& text, bool key) {
    if (!NeedsEscape(text, key)) return text;
    std::wstring out = kEscapeMark;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' || Unsafe(text, i, key)) {
            wchar_t hex[8];
            std::swprintf(hex, 8, L"%%%02X", static_cast<unsigned>(text[i]));
            out += hex;
        } else {
            out += text[i];
        }
    }
    return out;
}

int HexValue(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
    return -1;
}

}  // namespace

std::wstring IniEscapeValue(const std::wstring& value) { return Escape(value, false); }

std::wstring IniEscapeKey(const std::wstring& key) { return Escape(key, true); }

std::wstring IniUnescape(const std::wstring& stored) {
    if (!stored.starts_with(kEscapeMark)) return stored;
    std::wstring out;
    for (size_t i = 2; i < stored.size(); ++i) {
        bool pair = stored[i] == L'%' && i + 2 < stored.size();
        int hi = pair ? HexValue(stored[i + 1]) : -1, lo = pair ? HexValue(stored[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            out += static_cast<wchar_t>(hi * 16 + lo);
            i += 2;
        } else {
            out += stored[i];
        }
    }
    return out;
}
