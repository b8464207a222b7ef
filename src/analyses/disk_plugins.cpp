#include <windows.h>

#include <algorithm>
#include <set>
#include <unordered_map>

#include "analyses/findings.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/worker_threads.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"

namespace {

constexpr DWORD kScanReuseMs = 15000;
constexpr int64_t kScanBudget = 50000;
constexpr int kPluginsFolderDepth = 6;

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

// The scan of TC's plugins folder, begun on a thread of its own before the
// sections load; DiskPlugins holds what it found once the thread has ended.
struct BegunScan {
    bool begun = false;
    KernelHandle thread;
    std::wstring folder;
    int64_t budget = kScanBudget;  // what the scan left
} Begun;

// With long names, as the registered folders come: the names the scan lists below
// it then make the keys PlugFileKey gives.
std::wstring TcPluginsFolder() {
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    return tc.empty() ? L"" : PathJoin(LongFullPath(tc), L"plugins");
}

bool ScanDue() { return !Cache.valid || GetTickCount() - Cache.filledAt > kScanReuseMs; }

DWORD WINAPI ScanPluginsFolderProc(LPVOID) {
    ScanDiskPlugins(Begun.folder, kPluginsFolderDepth, Begun.budget);
    return 0;
}

void WaitForBegunScan() {
    if (Begun.thread) WaitForSingleObject(Begun.thread.Get(), INFINITE);
}

// Waits for the begun scan and tells whether it made the start of this scan: the
// same folder at the same depth, scanned first. budget gets what it left.
bool TakeBegunScan(const ScanFolder& first, int64_t& budget) {
    WaitForBegunScan();
    bool fits = Begun.thread && first.path == Begun.folder && first.depth == kPluginsFolderDepth;
    budget = Begun.budget;
    Begun = BegunScan{};
    return fits;
}

// TC's plugins folder first, then the folders of the registered plugins (with long
// names); the first spelling of a folder is kept.
std::vector<ScanFolder> FoldersToScan(const std::vector<std::wstring>& registeredFolders) {
    std::vector<ScanFolder> folders;
    std::set<std::wstring> added;
    auto add = [&](const std::wstring& path, int depth) {
        std::wstring clean = PathNoTrailingSep(path);
        if (clean.empty()) return;
        std::wstring key = FoldCase(clean);
        if (added.insert(key).second) folders.push_back({key, clean, depth});
    };
    std::wstring plugins = TcPluginsFolder();
    std::wstring tcKey = FoldCase(PathDir(plugins)), pluginsKey = FoldCase(plugins);
    if (!plugins.empty()) add(plugins, kPluginsFolderDepth);
    for (const auto& folder : registeredFolders) {
        std::wstring key = FoldCase(PathNoTrailingSep(folder));
        add(folder, key == tcKey ? 0 : key == pluginsKey ? kPluginsFolderDepth : 2);
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

// TC's plugins folder comes first and is never covered from above (no other
// folder gets its depth), so a begun scan of it is the start of this one.
void ScanFolders(const std::vector<ScanFolder>& folders) {
    std::unordered_map<std::wstring, int> depthOf;
    for (const auto& folder : folders) depthOf.emplace(folder.key, folder.depth);
    int64_t budget = 0;
    size_t first = !folders.empty() && TakeBegunScan(folders[0], budget) ? 1 : 0;
    if (first == 0) {
        DiskPlugins.clear();
        budget = kScanBudget;
    }
    for (size_t i = first; i < folders.size(); ++i)
        if (!CoveredFromAbove(folders[i], depthOf)) ScanDiskPlugins(folders[i].path, folders[i].depth, budget);
}

}  // namespace

void BeginDiskScan() {
    if (Begun.begun || !ScanDue()) return;
    Begun.folder = TcPluginsFolder();
    if (Begun.folder.empty()) return;
    Begun.begun = true;
    Begun.budget = kScanBudget;
    Cache.valid = false;
    DiskPlugins.clear();
    Begun.thread.Reset(StartWorkerThread(ScanPluginsFolderProc, nullptr));
}

std::map<std::wstring, std::wstring> CollectDiskPlugins(const std::vector<std::wstring>& registeredFiles,
                                                        const std::vector<std::wstring>& registeredFolders) {
    std::vector<ScanFolder> folders = FoldersToScan(registeredFolders);
    std::set<std::wstring> keys;
    for (const auto& f : folders) keys.insert(f.key);
    if (ScanDue() || Cache.folderKeys != keys) {
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

void InvalidateDiskScan() {
    WaitForBegunScan();
    Begun = BegunScan{};
    Cache.valid = false;
}
