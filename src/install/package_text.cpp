#include "install/package_text.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "foundation/ini_value_check.h"
#include "foundation/text.h"

namespace {

bool IsExtSeparator(wchar_t c) { return c == L' ' || c == L',' || c == L';' || c == L'\t'; }

std::vector<std::wstring> ExtTokens(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    std::wstring cur;
    for (wchar_t c : text + L",") {
        if (!IsExtSeparator(c)) {
            cur += c;
            continue;
        }
        cur = StrTrim(cur);
        size_t start = cur.find_first_not_of(L"*.");
        if (start != std::wstring::npos) tokens.push_back(cur.substr(start));
        cur.clear();
    }
    return tokens;
}

// The numbers of a version text; a run stops growing at 100000000 so that long
// digit runs cannot overflow.
std::vector<uint32_t> VersionNumbers(const std::wstring& text) {
    std::vector<uint32_t> numbers;
    bool inRun = false;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            inRun = false;
            continue;
        }
        if (!inRun) numbers.push_back(0);
        inRun = true;
        uint32_t& n = numbers.back();
        if (n < 100000000) n = n * 10 + (uint32_t)(c - L'0');
    }
    return numbers;
}

// Appends the text's extensions that seen lacks, up to room entries in the list;
// the ones past it are only counted. One set lookup a token, so that a package
// listing tens of thousands is read in time linear in its length.
size_t AddUnseenExtTokens(std::vector<std::wstring>& list, std::unordered_set<std::wstring>& seen,
                          const std::wstring& text, size_t room) {
    size_t leftOut = 0;
    for (std::wstring& token : ExtTokens(text)) {
        token = StrLower(token);
        if (!seen.insert(token).second) continue;
        if (list.size() < room) list.push_back(std::move(token));
        else ++leftOut;
    }
    return leftOut;
}

}  // namespace

InfData ParseInfLines(const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    InfData inf;
    std::unordered_set<std::wstring> seen;
    for (const auto& [rawKey, rawValue] : lines) {
        std::wstring key = StrLower(StrTrim(rawKey));
        std::wstring value = StrTrim(Unquote(StrTrim(rawValue)));
        if (key == L"type") inf.type = StrLower(value);
        else if (key == L"file") inf.file = value;
        else if (key == L"description") inf.description = value;
        else if (key == L"version") inf.version = value;
        else if (key == L"defaultdir") inf.defaultDir = value;
        else if (key == L"defaultextension")
            inf.extensionsLeftOut += AddUnseenExtTokens(inf.extensions, seen, value, kInfMaxExtensions);
    }
    return inf;
}

void AddExtTokens(std::vector<std::wstring>& list, const std::wstring& text) {
    std::unordered_set<std::wstring> seen(list.begin(), list.end());
    AddUnseenExtTokens(list, seen, text, SIZE_MAX);
}

std::wstring FirstBadExtToken(const std::wstring& text) {
    for (const std::wstring& token : ExtTokens(text)) {
        if (ExtensionProblem(token)) return token;
    }
    return L"";
}

bool InfFileNameIsSafe(const std::wstring& name) {
    return !name.empty() && FileSafeName(name) == name && SafeRelPath(name) == name;
}

bool VersionIsNewer(const std::wstring& candidate, const std::wstring& installed) {
    std::vector<uint32_t> a = VersionNumbers(candidate), b = VersionNumbers(installed);
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        uint32_t x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
        if (x != y) return x > y;
    }
    return false;
}

bool IsCompletePath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring CheckedTargetFolder(std::wstring t) {
    while (t.size() > 3 && (t.back() == L'\\' || t.back() == L'/')) t.pop_back();
    if (t.size() <= 3 || !IsCompletePath(t)) return L"";
    if (t.find_first_of(L"*?\"<>|") != std::wstring::npos || t.find(L':', 2) != std::wstring::npos) return L"";
    size_t cut = t.find_last_of(L"\\/");
    std::wstring tail = t.substr(cut + 1);
    return InfFileNameIsSafe(tail) ? t : L"";
}
