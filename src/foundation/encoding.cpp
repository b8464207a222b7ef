#include "foundation/encoding.h"

#include <windows.h>

#include <cstring>

namespace {

std::wstring MultiByteToWide(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return L"";
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    if (n <= 0) return L"";
    std::wstring out(n, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), out.data(), n);
    return out;
}

}  // namespace

std::string StrToUtf8(const std::wstring& s) {
    if (s.empty()) return "";
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return "";
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToWide(std::string_view bytes) { return MultiByteToWide(CP_UTF8, bytes); }

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return L"";
    const void* nul = std::memchr(bytes.data(), 0, bytes.size());
    if (nul) bytes = bytes.substr(0, (const char*)nul - bytes.data());
    return MultiByteToWide(CP_ACP, bytes);
}

bool AnsiHolds(std::wstring_view text) {
    if (text.empty()) return true;
    // A code page of UTF-8 knows neither flag; the way back alone tells then.
    bool utf8 = GetACP() == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = utf8 ? nullptr : &usedDefault;
    int n = WideCharToMultiByte(CP_ACP, flags, text.data(), (int)text.size(), nullptr, 0, nullptr, defaulted);
    if (n <= 0 || usedDefault) return false;
    std::string bytes((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), (int)text.size(), bytes.data(), n, nullptr, defaulted);
    return !usedDefault && MultiByteToWide(CP_ACP, bytes) == text;
}
