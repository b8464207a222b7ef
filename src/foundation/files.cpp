#include "foundation/files.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/timestamps.h"

namespace {

constexpr DWORD kModulePathChars = 520;
// The longest folder path CreateDirectoryW takes, less one: room for an 8.3 name.
constexpr size_t kMaxFolderChars = MAX_PATH - 12;

FileHandle OpenForReading(const std::wstring& path) {
    return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// ReadFile may hand back fewer bytes than asked (pipes, network files), so keep
// reading until the limit or the end of the file.
std::string ReadBytes(HANDLE h, size_t limit) {
    std::string bytes;
    while (bytes.size() < limit) {
        size_t old = bytes.size();
        DWORD want = (DWORD)std::min<size_t>(limit - old, 1 << 20);
        bytes.resize(old + want);
        DWORD got = 0;
        if (!ReadFile(h, bytes.data() + old, want, &got, nullptr)) got = 0;
        bytes.resize(old + got);
        if (got == 0) break;
    }
    return bytes;
}

std::optional<std::wstring> LongPathName(const std::wstring& path) {
    DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring out(n, L'\0');
    n = GetLongPathNameW(path.c_str(), out.data(), n);
    if (n == 0 || n >= out.size()) return std::nullopt;
    out.resize(n);
    return out;
}

bool IsFolder(DWORD attrs) { return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY); }

}  // namespace

std::wstring AppDir() {
    wchar_t path[kModulePathChars];
    DWORD n = GetModuleFileNameW(nullptr, path, kModulePathChars);
    if (n == 0 || n >= kModulePathChars) return L"";
    return PathDir(std::wstring(path, n));
}

bool FileExists(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty()) return path;
    DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    n = GetFullPathNameW(path.c_str(), n, out.data(), nullptr);
    if (n == 0 || n >= out.size()) return path;
    out.resize(n);
    return out;
}

std::wstring NormalFullPath(const std::wstring& path) {
    std::wstring full = FullPath(path);
    std::replace(full.begin(), full.end(), L'/', L'\\');
    return PathNoTrailingSep(full);
}

std::wstring LongFullPath(const std::wstring& path) {
    std::wstring full = NormalFullPath(path);
    // Every short name Windows makes holds a '~' (PROGRA~1); a path without one has
    // none to replace. Under Wine each question scans every folder on the way.
    if (full.find(L'~') == std::wstring::npos) return full;
    if (auto found = LongPathName(full)) return *found;
    size_t cut = full.rfind(L'\\');
    if (cut == std::wstring::npos) return full;
    // Up to the separator: the root of a drive is "C:\", not "C:".
    if (auto folder = LongPathName(full.substr(0, cut + 1))) return PathJoin(*folder, full.substr(cut + 1));
    return full;
}

std::wstring ComparablePath(const std::wstring& path) {
    std::wstring full = FoldCase(NormalFullPath(path));
    return (full + L"\\").find(L"\\..\\") == std::wstring::npos ? full : L"";
}

bool PathIsBelow(const std::wstring& inner, const std::wstring& outer) {
    std::wstring in = ComparablePath(inner), out = ComparablePath(outer);
    return !in.empty() && !out.empty() && in.size() > out.size() + 1 && in.starts_with(out + L"\\");
}

bool PathSameOrBelow(const std::wstring& path, const std::wstring& folder) {
    std::wstring a = ComparablePath(path);
    return !a.empty() && (a == ComparablePath(folder) || PathIsBelow(path, folder));
}

std::wstring FinalPath(const std::wstring& path) {
    FileHandle h(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return L"";
    DWORD n = GetFinalPathNameByHandleW(h.Get(), nullptr, 0, FILE_NAME_NORMALIZED);
    if (n == 0) return L"";
    std::wstring out(n, L'\0');
    n = GetFinalPathNameByHandleW(h.Get(), out.data(), n, FILE_NAME_NORMALIZED);
    if (n == 0 || n >= out.size()) return L"";
    out.resize(n);
    if (out.starts_with(L"\\\\?\\UNC\\")) return L"\\" + out.substr(7);
    return out.starts_with(L"\\\\?\\") ? out.substr(4) : out;
}

bool IsReparsePoint(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

PathLink PathLinkOf(const std::wstring& path) { return {IsReparsePoint(path), FinalPath(path)}; }

bool LinkWithoutFile(const PathLink& at) { return at.link && at.finalPath.empty(); }

bool MakeDirs(const std::wstring& path) {
    // Windows makes no such folder for a program that is not long-path aware; Wine
    // would, thousands deep, before its own limit.
    if (path.size() >= kMaxFolderChars) return false;
    // A loop rather than a call per folder: an archive entry may name thousands of
    // folders, enough to overflow the unpack child's stack.
    std::vector<size_t> missing;  // lengths of the missing folders, deepest first
    for (size_t n = path.size(); n >= 4;) {
        DWORD attrs = GetFileAttributesW(path.substr(0, n).c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES) {
            if (!IsFolder(attrs)) return false;
            break;
        }
        missing.push_back(n);
        size_t cut = path.find_last_of(L"\\/", n - 1);
        n = cut == std::wstring::npos ? 0 : cut;
    }
    for (auto n = missing.rbegin(); n != missing.rend(); ++n)
        if (!CreateDirectoryW(path.substr(0, *n).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    return true;
}

bool FileHasUtf8Bom(const std::wstring& path) {
    FileHandle h = OpenForReading(path);
    if (!h) return false;
    std::string head = ReadBytes(h.Get(), 3);
    return head == "\xEF\xBB\xBF";
}

std::string ReadFileHead(const std::wstring& path, size_t byteLimit) {
    FileHandle h = OpenForReading(path);
    return h ? ReadBytes(h.Get(), byteLimit) : std::string();
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    FileHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return std::nullopt;
    return ReadWholeOpenFile(h.Get());
}

std::optional<std::string> ReadWholeOpenFile(void* file) {
    LARGE_INTEGER size{}, start{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || (uint64_t)size.QuadPart >= SIZE_MAX ||
        !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return std::nullopt;
    size_t expected = (size_t)size.QuadPart;
    std::string bytes = ReadBytes(file, expected + 1);  // the one more shows a file that grew
    if (bytes.size() != expected) return std::nullopt;
    return bytes;
}

bool FileHasUtf16Bom(const std::wstring& path) {
    std::string head = ReadFileHead(path, 2);
    return head == "\xFF\xFE" || head == "\xFE\xFF";
}

bool HasByteOrderMark(std::string_view bytes) {
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

std::wstring DecodeText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return Utf8ToWide(bytes.substr(3));
    if (!HasByteOrderMark(bytes)) return AnsiToWide(bytes);
    const size_t low = bytes[0] == '\xFF' ? 0 : 1;  // little- or big-endian
    std::string_view rest = bytes.substr(2);
    std::wstring out(rest.size() / 2, L'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = (wchar_t)((unsigned char)rest[2 * i + low] | ((unsigned char)rest[2 * i + 1 - low] << 8));
    return out;
}

std::wstring ReadTextFileAuto(const std::wstring& path, size_t byteLimit) {
    FileHandle h = OpenForReading(path);
    if (!h) return L"";
    return DecodeText(ReadBytes(h.Get(), byteLimit));
}

std::wstring FileStamp(const std::wstring& path) {
    std::wstring file = FileExists(path + L"64") ? path + L"64" : path;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return L"";
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc)) return L"";
    uint64_t size = ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    return MinuteStampText(utc) + L"Z|" + std::to_wstring(size);
}

std::wstring FileVersionText(const std::wstring& path, bool keepZeros) {
    const VersionDll* version = Version();
    if (!version) return L"";
    DWORD ignored = 0;
    DWORD size = version->GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return L"";
    std::string block(size, '\0');
    if (!version->GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return L"";
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!version->VerQueryValueW(block.data(), L"\\", (void**)&info, &len) || !info || len < sizeof(VS_FIXEDFILEINFO))
        return L"";
    wchar_t buf[64];
    swprintf(buf, 64, L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
             HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    std::wstring text = buf;
    while (!keepZeros && text.size() >= 4 && text.compare(text.size() - 2, 2, L".0") == 0)
        text.resize(text.size() - 2);
    return text;
}

void AddExistingFile(std::vector<std::wstring>& list, uint64_t& total, const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
    list.push_back(path);
    total += ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

std::wstring StrByteSizeText(uint64_t bytes) {
    const ShlwapiDll* shlwapi = Shlwapi();
    wchar_t buf[64] = L"";
    if (!shlwapi || !shlwapi->StrFormatByteSizeW((LONGLONG)bytes, buf, 64)) return L"";
    return buf;
}
