#include "hostcfg/file_presence.h"

#include <windows.h>

#include "foundation/text.h"

namespace {

uint64_t StampOf(const FILETIME& written, uint64_t size) {
    uint64_t time = ((uint64_t)written.dwHighDateTime << 32) | written.dwLowDateTime;
    uint64_t stamp = time ^ (size * 0x9E3779B97F4A7C15ull);
    return stamp == 0 ? 1 : stamp;
}

std::optional<uint64_t> AskDisk(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a) || (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return StampOf(a.ftLastWriteTime, ((uint64_t)a.nFileSizeHigh << 32) | a.nFileSizeLow);
}

}  // namespace

std::optional<uint64_t> FileSeen(FilePresence& presence, const std::wstring& path) {
    auto [it, isNew] = presence.files.try_emplace(FoldCase(path));
    if (isNew) it->second = AskDisk(path);
    return it->second;
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
