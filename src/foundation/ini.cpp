#include "foundation/ini.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/ini_value_check.h"
#include "foundation/text.h"

namespace {

constexpr DWORD kValueChars = 1024;
constexpr DWORD kListerValueChars = 32768;
constexpr DWORD kSectionChars = 32768;
constexpr DWORD kSectionNamesChars = 65536;
constexpr DWORD kMaxListChars = 1u << 26;
constexpr size_t kMaxFileBytes = size_t(1) << 27;

SRWLOCK IniWrites = SRWLOCK_INIT;
std::atomic<int> ReadsWaiting{0};

// Splits a double-NUL-terminated list into its lines.
std::vector<std::wstring> NulSeparated(const std::wstring& buf, size_t used) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < used) {
        size_t end = buf.find(L'\0', start);
        if (end == std::wstring::npos || end > used) end = used;
        if (end > start) lines.push_back(buf.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A double-NUL list from one of the profile functions, its buffer grown until the
// list fits: a full buffer is reported as its size minus 2.
template <typename Read>
std::vector<std::wstring> ReadNulList(DWORD size, Read read) {
    for (;; size *= 2) {
        std::wstring buf(size, L'\0');
        DWORD n = read(buf.data(), size);
        if (n + 2 < size || size >= kMaxListChars) return NulSeparated(buf, n);
    }
}

// The profile functions trim the ASCII blanks and Ctrl-Z, the old end-of-file mark,
// but no other Unicode space.
bool IsProfileBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; }

std::wstring_view TrimProfileBlanks(std::wstring_view s) {
    while (!s.empty() && IsProfileBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsProfileBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The profile functions keep a NUL in the text they read, where it ends a name or value.
std::wstring UpToNul(std::wstring_view s) { return std::wstring(s.substr(0, s.find(L'\0'))); }

std::wstring DecodeIniBytes(std::string_view bytes) {
    if (HasByteOrderMark(bytes)) return DecodeText(bytes);
    std::vector<std::string_view> parts = SplitViews(bytes, '\0');
    std::wstring text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) text += L'\0';
        text += AnsiToWide(parts[i]);
    }
    return text;
}

}  // namespace

std::wstring IniGetString(const std::wstring& ini, const std::wstring& section, const std::wstring& key) {
    std::wstring buf(kValueChars, L'\0');
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buf.data(), kValueChars, ini.c_str());
    buf.resize(n);
    return buf;
}

std::vector<std::wstring> IniSectionNames(const std::wstring& ini) {
    return ReadNulList(kSectionNamesChars, [&](wchar_t* buf, DWORD size) {
        return GetPrivateProfileSectionNamesW(buf, size, ini.c_str());
    });
}

std::optional<std::pair<std::wstring, std::wstring>> KvFindNoCase(const IniPairs& lines, const std::wstring& key) {
    for (const auto& line : lines)
        if (StrIEquals(line.first, key)) return line;
    return std::nullopt;
}

IniPairs ReadIniSection(const std::wstring& ini, const std::wstring& section) {
    std::vector<std::wstring> lines = ReadNulList(kSectionChars, [&](wchar_t* buf, DWORD size) {
        return GetPrivateProfileSectionW(section.c_str(), buf, size, ini.c_str());
    });
    IniPairs pairs;
    for (const std::wstring& line : lines) {
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        pairs.emplace_back(StrTrim(line.substr(0, eq)), line.substr(eq + 1));
    }
    return pairs;
}

bool IniHasSection(const std::wstring& ini, const std::wstring& section) {
    for (const std::wstring& name : IniSectionNames(ini))
        if (StrIEquals(name, section)) return true;
    return false;
}

std::wstring ReadListerKey(const std::wstring& ini, const std::wstring& key) {
    std::wstring buf(kListerValueChars, L'\0');
    DWORD n = GetPrivateProfileStringW(L"Lister", key.c_str(), L"", buf.data(), kListerValueChars, ini.c_str());
    buf.resize(n);
    return StrTrim(buf);
}

IniSections ParseIniText(const std::wstring& text) {
    IniSections sections;
    const std::wstring_view all(text);
    for (size_t start = 0; start < all.size();) {
        size_t end = std::min(all.find_first_of(L"\r\n", start), all.size());
        std::wstring_view line = TrimProfileBlanks(all.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        size_t close = line.rfind(L']');
        if (line.front() == L'[' && close != std::wstring_view::npos) {
            sections.emplace_back(UpToNul(TrimProfileBlanks(line.substr(1, close - 1))), IniPairs{});
            continue;
        }
        size_t eq = line.find(L'=');
        if (sections.empty() || eq == std::wstring_view::npos || line.front() == L';') continue;
        sections.back().second.emplace_back(UpToNul(TrimProfileBlanks(line.substr(0, eq))),
                                            UpToNul(TrimProfileBlanks(line.substr(eq + 1))));
    }
    return sections;
}

IniSections ReadIniFile(const std::wstring& ini) {
    IniReadScope reading;
    return ReadIniFile(reading, ini);
}

IniSections ReadIniFile(const IniReadScope&, const std::wstring& ini) {
    return ParseIniText(DecodeIniBytes(ReadFileHead(ini, kMaxFileBytes)));
}

std::optional<IniSections> ReadWholeIniFile(const std::wstring& ini) {
    std::optional<std::string> bytes;
    {
        IniReadScope reading;
        bytes = ReadWholeFile(ini);
    }
    if (!bytes) return std::nullopt;
    return ParseIniText(DecodeIniBytes(*bytes));
}

std::wstring CharIniCannotHold(const std::wstring& ini, const std::wstring& text) {
    if (AnsiHolds(text) || FileHasUtf16Bom(ini)) return L"";
    return FirstCharRefused(text, AnsiHolds);
}

IniWriteScope::IniWriteScope() { AcquireSRWLockExclusive(&IniWrites); }
IniWriteScope::~IniWriteScope() { ReleaseSRWLockExclusive(&IniWrites); }

IniReadScope::IniReadScope() {
    if (TryAcquireSRWLockShared(&IniWrites)) return;
    ++ReadsWaiting;
    AcquireSRWLockShared(&IniWrites);
    --ReadsWaiting;
}
IniReadScope::~IniReadScope() { ReleaseSRWLockShared(&IniWrites); }

int IniReadsWaiting() { return ReadsWaiting.load(); }

const IniPairs* IniFindSection(const IniSections& sections, const std::wstring& name) {
    for (const auto& [sectionName, lines] : sections)
        if (StrIEquals(sectionName, name)) return &lines;
    return nullptr;
}

std::wstring IniFindValue(const IniSections& sections, const std::wstring& section, const std::wstring& key) {
    const IniPairs* lines = IniFindSection(sections, section);
    return lines ? IniLinesValue(*lines, key) : L"";
}

std::wstring IniLinesValue(const IniPairs& lines, const std::wstring& key) {
    auto line = KvFindNoCase(lines, key);
    if (!line) return L"";
    const std::wstring& value = line->second;
    bool quoted =
        value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}
