#include "hostcfg/plugin_files.h"

#include <windows.h>

#include <functional>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "hostcfg/file_presence.h"
#include "hostcfg/plugin_keys.h"
#include "probe_record/pe.h"

std::map<std::wstring, std::wstring> DiskPlugins;

namespace {

const wchar_t* const KindWords[] = {L"wlx", L"wdx", L"wcx", L"wfx"};

bool IsDots(const wchar_t* name) { return !wcscmp(name, L".") || !wcscmp(name, L".."); }
bool IsFolder(const WIN32_FIND_DATAW& d) { return d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY; }
// Junctions and links are never followed, so a loop in the tree cannot trap a scan.
bool IsPlainFolder(const WIN32_FIND_DATAW& d) {
    return IsFolder(d) && !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Calls visit for every entry of the folder, "." and ".." included, until it returns false.
void ListFolder(const std::wstring& folder, const std::function<bool(const WIN32_FIND_DATAW&)>& visit) {
    WIN32_FIND_DATAW d;
    // No short names and larger reads: a scan lists many folders of few files each.
    FindHandle find(FindFirstFileExW(PathJoin(folder, L"*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        if (!visit(d)) return;
    } while (FindNextFileW(find.Get(), &d));
}

bool IsFileWithMachine(const std::wstring& path, uint16_t machine) {
    return FileExists(path) && PeMachine(path) == machine;
}

}  // namespace

void ForEachDirItem(const std::wstring& folder, const std::function<bool(const DirItem&)>& visit) {
    ListFolder(folder, [&](const WIN32_FIND_DATAW& d) {
        if (IsDots(d.cFileName)) return true;
        return visit(DirItem{d.cFileName, IsFolder(d), (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    });
}

int PluginKindOfFileName(const std::wstring& name) {
    std::wstring key = PlugKeyName(name);
    size_t dot = key.rfind(L'.');
    if (dot == std::wstring::npos) return -1;
    std::wstring ext = key.substr(dot + 1);
    for (int kind = 0; kind < 4; ++kind)
        if (ext == KindWords[kind]) return kind;
    return -1;
}

int PluginKindOfExt(const std::wstring& word) {
    std::wstring w = FoldCase(word);
    for (int kind = 0; kind < 4; ++kind)
        if (w == KindWords[kind] || w == std::wstring(KindWords[kind]) + L"64") return 1 << kind;
    return 0;
}

int PluginKindOfExtPart(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? 0 : PluginKindOfExt(name.substr(dot + 1));
}

int PluginKindOfPathParts(const std::wstring& path, std::wstring& word) {
    size_t end = path.find_last_of(L"\\/");
    while (end != std::wstring::npos && end > 0) {
        size_t sep = path.find_last_of(L"\\/", end - 1);
        size_t start = sep == std::wstring::npos ? 0 : sep + 1;
        std::wstring part = path.substr(start, end - start);
        if (int mask = PluginKindOfExt(part)) {
            word = part;
            return mask;
        }
        end = sep;
    }
    return 0;
}

int PluginKindOfPath(const std::wstring& path, int fileMask) {
    std::wstring word;
    int folderMask = PluginKindOfPathParts(path, word);
    if (!folderMask) return 0;
    int mask = fileMask > 0 ? fileMask : PluginKindOfExtPart(path);
    if (!mask || (mask & folderMask)) return 0;
    std::wstring expanded = EnvExpand(path);
    size_t dot = expanded.rfind(L'.');
    size_t sep = expanded.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return folderMask;
    std::wstring base = expanded.substr(0, dot);
    int twins = 0;
    for (int kind = 0; kind < 4; ++kind) {
        std::wstring twin = base + L"." + KindWords[kind];
        if (FileExists(twin) || FileExists(twin + L"64")) twins |= 1 << kind;
    }
    return (twins & folderMask) ? 0 : folderMask;
}

std::wstring Find32BitPluginFile(const std::wstring& path) {
    if (IsFileWithMachine(path, PeMachineX86)) return path;
    std::wstring cut = Plugin32BitPath(path);
    return cut != path && IsFileWithMachine(cut, PeMachineX86) ? cut : L"";
}

std::wstring Find64BitPluginFile(const std::wstring& path, bool& anyFile) {
    std::vector<std::wstring> candidates{path + L"64"};
    size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos) candidates.push_back(path.substr(0, dot) + L"64" + path.substr(dot));
    candidates.push_back(path);
    anyFile = false;
    for (const auto& c : candidates) {
        if (!FileExists(c)) continue;
        anyFile = true;
        if (PeMachine(c) == PeMachineX64) return c;
    }
    return L"";
}

LoadableFile FindLoadableFile(const std::wstring& path) {
    LoadableFile file;
    bool anyFile = false;
    file.path = Find64BitPluginFile(path, anyFile);
    file.anyFile = anyFile;
    if (file.path.empty() && anyFile) {
        file.path = Find32BitPluginFile(path);
        file.is32Bit = !file.path.empty();
    }
    return file;
}

void ScanPluginFilesSized(const std::wstring& folder, int depth, uint64_t& count, uint64_t& total,
                          std::vector<std::wstring>& plugins, std::vector<std::wstring>& inis) {
    ListFolder(folder, [&](const WIN32_FIND_DATAW& d) {
        if (IsDots(d.cFileName)) return true;
        std::wstring full = PathJoin(folder, d.cFileName);
        if (IsFolder(d)) {
            if (depth > 0 && IsPlainFolder(d)) ScanPluginFilesSized(full, depth - 1, count, total, plugins, inis);
            return true;
        }
        ++count;
        total += (uint64_t)d.nFileSizeHigh << 32 | d.nFileSizeLow;
        if (PluginKindOfFileName(full) >= 0) plugins.push_back(full);
        std::wstring lower = FoldCase(d.cFileName);
        if (lower.size() > 4 && lower.ends_with(L".ini")) inis.push_back(d.cFileName);
        return true;
    });
}

void ScanFilesByPattern(const std::wstring& folder, const std::wstring& prefix, int depth,
                        const std::wstring& excluded, std::vector<std::wstring>& names, int64_t& budget) {
    ListFolder(folder, [&](const WIN32_FIND_DATAW& d) {
        if (IsDots(d.cFileName)) return true;
        if (--budget < 0) return false;
        std::wstring rel = prefix.empty() ? std::wstring(d.cFileName) : prefix + L"\\" + d.cFileName;
        std::wstring full = PathJoin(folder, d.cFileName);
        if (!IsFolder(d)) {
            names.push_back(rel);
        } else if (depth >= 1 && IsPlainFolder(d) && FoldCase(full) != excluded) {
            ScanFilesByPattern(full, rel, depth - 1, excluded, names, budget);
        }
        return true;
    });
}

void ScanDiskPlugins(const std::wstring& folder, int depth, int64_t& budget) {
    if (depth < 0 || budget < 1) return;
    std::vector<std::wstring> subfolders;
    ListFolder(folder, [&](const WIN32_FIND_DATAW& d) {
        if (--budget < 1) return false;
        if (IsDots(d.cFileName)) return true;
        std::wstring full = PathJoin(folder, d.cFileName);
        if (IsFolder(d)) {
            if (IsPlainFolder(d)) subfolders.push_back(full);
        } else if (PluginKindOfFileName(full) >= 0) {
            std::wstring key = PlugKeyName(full);
            auto [it, isNew] = DiskPlugins.try_emplace(key, full);
            // The file without "64" wins over its twin.
            if (!isNew && FoldCase(full) == key) it->second = full;
        }
        return true;
    });
    for (const auto& sub : subfolders) ScanDiskPlugins(sub, depth - 1, budget);
}
