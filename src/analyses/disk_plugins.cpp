#include <windows.h>

#include <algorithm>
#include <set>
#include <unordered_map>

#include "analyses/findings.h"
#include "foundation/env.h"
#include "foundation/text.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"

namespace {

constexpr DWORD kScanReuseMs = 15000;
constexpr int64_t kScanBudget = 50000;

struct ScanFolder {
    std::wstring key;  // lower-cased, no trailing separator
    std::wstring path;
    int depth = 2;
};

struct DiskScanCache {
    bool valid = false;
    std::set<std::wstring> folderKeys;
    DWORD filledAt = 0;
} Cache;

// TC's plugins folder first, then the folders of the registered plugins; the
// first spelling of a folder is kept.
std::vector<ScanFolder> FoldersToScan(const std::vector<std::wstring>& registeredFolders) {
    std::vector<ScanFolder> folders;
    std::set<std::wstring> added;
    auto add = [&](const std::wstring& path, int depth) {
        std::wstring clean = PathNoTrailingSep(path);
        if (clean.empty()) return;
        std::wstring key = FoldCase(clean);
        if (added.insert(key).second) folders.push_back({key, clean, depth});
    };
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    std::wstring tcKey = FoldCase(tc), pluginsKey = tc.empty() ? L"" : FoldCase(PathJoin(tc, L"plugins"));
    if (!tc.empty()) add(PathJoin(tc, L"plugins"), 6);
    for (const auto& folder : registeredFolders) {
        std::wstring key = FoldCase(PathNoTrailingSep(folder));
        add(folder, key == tcKey ? 0 : key == pluginsKey ? 6 : 2);
    }
    return folders;
}

// A folder is left out when the scan of a folder above it reaches it with at least
// the depth it would get on its own. Only the folders above it are looked up, so a
// configuration with a folder per plugin costs no comparison of every pair. TC's
// folder is scanned without subfolders, so its plugins folder is never left out
// because a plugin lies directly in TC's folder.
bool CoveredFromAbove(const ScanFolder& inner, const std::unordered_map<std::wstring, int>& depthOf) {
    int below = 0;
    for (size_t sep = inner.key.rfind(L'\\'); sep != std::wstring::npos && sep > 0;
         sep = inner.key.rfind(L'\\', sep - 1)) {
        ++below;
        auto outer = depthOf.find(inner.key.substr(0, sep));
        if (outer != depthOf.end() && outer->second - below >= inner.depth) return true;
    }
    return false;
}

void ScanFolders(const std::vector<ScanFolder>& folders) {
    DiskPlugins.clear();
    std::unordered_map<std::wstring, int> depthOf;
    for (const auto& folder : folders) depthOf.emplace(folder.key, folder.depth);
    int64_t budget = kScanBudget;
    for (const auto& folder : folders)
        if (!CoveredFromAbove(folder, depthOf)) ScanDiskPlugins(folder.path, folder.depth, budget);
}

}  // namespace

std::map<std::wstring, std::wstring> CollectDiskPlugins(const std::vector<std::wstring>& registeredFiles,
                                                        const std::vector<std::wstring>& registeredFolders) {
    std::vector<ScanFolder> folders = FoldersToScan(registeredFolders);
    std::set<std::wstring> keys;
    for (const auto& f : folders) keys.insert(f.key);
    bool reuse = Cache.valid && Cache.folderKeys == keys && GetTickCount() - Cache.filledAt <= kScanReuseMs;
    if (!reuse) {
        ScanFolders(folders);
        Cache.folderKeys = std::move(keys);
        Cache.filledAt = GetTickCount();
        Cache.valid = true;
    }
    std::set<std::wstring> registered(registeredFiles.begin(), registeredFiles.end());
    std::map<std::wstring, std::wstring> result;
    for (const auto& [key, path] : DiskPlugins)
        if (!registered.count(key)) result.emplace(FoldCase(path), path);
    return result;
}

void InvalidateDiskScan() { Cache.valid = false; }
