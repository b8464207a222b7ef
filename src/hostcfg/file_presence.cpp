#include "hostcfg/file_presence.h"

#include <windows.h>

#include <algorithm>

#include "foundation/handles.h"
#include "foundation/items_in_order.h"
#include "foundation/text.h"

namespace {

uint64_t StampOf(const FILETIME& written, uint64_t size) {
    uint64_t time = ((uint64_t)written.dwHighDateTime << 32) | written.dwLowDateTime;
    uint64_t stamp = time ^ (size * 0x9E3779B97F4A7C15ull);
    return stamp == 0 ? 1 : stamp;
}

// Paths the listings can answer: absolute, with no component that Windows would
// rewrite (".", "..", trailing dots or blanks), no short names and no wildcards.
bool ListablePath(const std::wstring& path) {
    bool drive = path.size() > 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
    // A UNC path needs a server, a share and a name below it.
    bool unc = path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\") && !path.starts_with(L"\\\\.\\") &&
               std::count(path.begin() + 2, path.end(), L'\\') >= 2;
    if (!drive && !unc) return false;
    if (path.find_first_of(L"/~*?") != std::wstring::npos) return false;
    for (size_t start = unc ? 2 : 3; start <= path.size();) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring part = path.substr(start, end - start);
        if (part.empty() || part == L"." || part == L".." || part.back() == L'.' || part.back() == L' ') return false;
        start = end + 1;
    }
    return true;
}

bool IsRootFolder(const std::wstring& dir) {
    if (dir.size() < 3) return true;
    if (dir.size() == 2 && dir[1] == L':') return true;
    return dir.starts_with(L"\\\\") && dir.find(L'\\', dir.find(L'\\', 2) + 1) == std::wstring::npos;
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

// The folded names of the subfolders of dir; nothing when the folder could not be
// listed to its end, as one that may be passed through but not listed.
const std::optional<std::unordered_set<std::wstring>>& Listing(FilePresence& presence, const std::wstring& dir) {
    std::wstring key = FoldCase(dir);
    if (auto it = presence.folders.find(key); it != presence.folders.end()) return it->second;
    std::optional<std::unordered_set<std::wstring>> names;
    WIN32_FIND_DATAW d;
    FindHandle find(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (find) {
        names.emplace();
        do {
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names->insert(FoldCase(d.cFileName));
        } while (FindNextFileW(find.Get(), &d));
        if (GetLastError() != ERROR_NO_MORE_FILES) names.reset();
    }
    return presence.folders.emplace(std::move(key), std::move(names)).first->second;
}

bool FolderOnDisk(const std::wstring& dir) {
    DWORD attributes = GetFileAttributesW(dir.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsAscii(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

enum class Listed { MayExist, Absent, AskDisk };

// Plugins of one kind mostly sit in folders side by side, so one listing of their
// common parent tells which of their folders are there. A listing that could not be
// read to its end tells nothing. One that lacks a plain ASCII name answers for it,
// as every file system folds those letters alike; a name with other letters is
// asked of the disk, since a volume may fold them by a table of its own. Under Wine
// each such question scans the parent: asking it for every name a listing lacked
// made a start with thousands of removed plugins take several times as long.
Listed InListing(FilePresence& presence, const std::wstring& dir) {
    const auto& names = Listing(presence, PathDir(dir));
    std::wstring name = NameOf(dir);
    if (!names || names->count(FoldCase(name))) return Listed::MayExist;
    return IsAscii(name) ? Listed::Absent : Listed::AskDisk;
}

bool FolderMayExist(FilePresence& presence, const std::wstring& dir) {
    if (IsRootFolder(dir)) return true;
    std::wstring key = FoldCase(dir);
    if (auto known = presence.folderSeen.find(key); known != presence.folderSeen.end()) return known->second;
    Listed listed = InListing(presence, dir);
    bool may = listed == Listed::MayExist || (listed == Listed::AskDisk && FolderOnDisk(dir));
    presence.folderSeen.emplace(std::move(key), may);
    return may;
}

std::optional<uint64_t> AskDisk(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) || (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return StampOf(a.ftLastWriteTime, ((uint64_t)a.nFileSizeHigh << 32) | a.nFileSizeLow);
}

}  // namespace

std::optional<uint64_t> FileSeen(FilePresence& presence, const std::wstring& path) {
    if (!ListablePath(path)) return AskDisk(path);
    std::wstring key = FoldCase(path);
    if (auto it = presence.files.find(key); it != presence.files.end()) return it->second;
    std::optional<uint64_t> stamp;
    if (FolderMayExist(presence, PathDir(path))) stamp = AskDisk(path);
    presence.files.emplace(std::move(key), stamp);
    return stamp;
}

void SeeFoldersAhead(FilePresence& presence, const std::vector<std::wstring>& expandedPaths) {
    std::vector<std::wstring> unlisted;
    for (const auto& path : expandedPaths) {
        std::wstring dir = PathDir(path);
        if (!ListablePath(path) || IsRootFolder(dir)) continue;
        std::wstring key = FoldCase(dir);
        if (presence.folderSeen.count(key)) continue;
        Listed listed = InListing(presence, dir);
        presence.folderSeen.emplace(std::move(key), listed == Listed::MayExist);
        if (listed == Listed::AskDisk) unlisted.push_back(dir);
    }
    std::vector<char> onDisk(unlisted.size(), 0);
    RunItemsInOrder(
        unlisted.size(), ItemsInOrderWidth(), nullptr, [&](size_t i) { onDisk[i] = FolderOnDisk(unlisted[i]); },
        [](size_t) {});
    for (size_t i = 0; i < unlisted.size(); ++i) presence.folderSeen[FoldCase(unlisted[i])] = onDisk[i] != 0;
}

std::wstring PluginCandidate(const std::wstring& path, int which) {
    if (which == 0) return path;
    if (which == 1) return path + L"64";
    size_t dot = path.rfind(L'.');
    size_t sep = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return L"";
    return path.substr(0, dot) + L"64" + path.substr(dot);
}

PluginFileSeen SeePluginFiles(FilePresence& presence, const std::wstring& expandedPath) {
    PluginFileSeen seen;
    for (int which = 0; which < 2; ++which) {
        std::wstring candidate = PluginCandidate(expandedPath, which);
        if (candidate.empty()) continue;
        if (auto stamp = FileSeen(presence, candidate)) {
            seen.bits |= (uint8_t)(1 << which);
            seen.stamps[which] = *stamp;
        }
    }
    return seen;
}

std::wstring Plugin32BitPath(const std::wstring& path) {
    return path.size() > 2 && path.ends_with(L"64") ? path.substr(0, path.size() - 2) : path;
}
