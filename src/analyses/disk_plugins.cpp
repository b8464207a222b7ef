#include <windows.h>

#include <algorithm>
#include <set>

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
        std::wstring key = StrLower(clean);
        if (added.insert(key).second) folders.push_back({key, clean, depth});
    };
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    std::wstring tcKey = StrLower(tc), pluginsKey = tc.empty() ? L"" : StrLower(PathJoin(tc, L"plugins"));
    if (!tc.empty()) add(PathJoin(tc, L"plugins"), 6);
    for (const auto& folder : registeredFolders) {
        std::wstring key = StrLower(PathNoTrailingSep(folder));
        add(folder, key == tcKey ? 0 : key == pluginsKey ? 6 : 2);
    }
    return folders;
}

// The scan of `outer` reaches `inner` with at least the depth inner would get on
// its own. TC's folder is scanned without subfolders, so its plugins folder is
// never left out because a plugin lies directly in TC's folder.
bool CoveredBy(const ScanFolder& inner, const ScanFolder& outer) {
    const size_t n = outer.key.size();
    if (inner.key.size() <= n || inner.key[n] != L'\\' || !inner.key.starts_with(outer.key)) return false;
    int below = (int)std::count(inner.key.begin() + (long)outer.key.size(), inner.key.end(), L'\\');
    return outer.depth - below >= inner.depth;
}

void ScanFolders(const std::vector<ScanFolder>& folders) {
    DiskPlugins.clear();
    int64_t budget = kScanBudget;
    for (const auto& folder : folders) {
        bool covered = std::any_of(folders.begin(), folders.end(), [&](const ScanFolder& other) {
            return &other != &folder && CoveredBy(folder, other);
        });
        if (!covered) ScanDiskPlugins(folder.path, folder.depth, budget);
    }
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
        if (!registered.count(key)) result.emplace(StrLower(path), path);
    return result;
}

void InvalidateDiskScan() { Cache.valid = false; }
