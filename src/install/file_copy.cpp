#include "install/file_copy.h"

#include <windows.h>

#include <vector>

#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "install/general_folder.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"

namespace {

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What one run changed, so that a failure can put it back.
struct CopyRun {
    std::wstring backupFolder;
    bool backupMade = false;
    std::vector<std::wstring> createdFolders;  // in creation order
    struct Written {
        std::wstring dst;
        std::wstring backup;  // "" when the file is new
    };
    std::vector<Written> written;
};

bool MakeFolder(CopyRun& run, const std::wstring& folder) {
    std::vector<std::wstring> missing;
    for (std::wstring d = folder; d.size() > 3 && !PathExists(d); d = PathDir(d)) missing.push_back(d);
    bool ok = MakeDirs(folder);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (PathExists(*it)) run.createdFolders.push_back(*it);
    return ok;
}

// Restores replaced files from their backups, removes new ones and the folders the
// run made; gives the files it could not put back.
std::wstring RollBack(const CopyRun& run) {
    std::wstring notRestored;
    for (auto it = run.written.rbegin(); it != run.written.rend(); ++it) {
        bool ok = it->backup.empty() ? (DeleteFileW(it->dst.c_str()) || !PathExists(it->dst))
                                     : CopyFileW(it->backup.c_str(), it->dst.c_str(), FALSE);
        if (!ok) notRestored += FillVar(Tr("in_err_rollback"), L"f", it->dst) + L"\r\n";
    }
    for (auto it = run.createdFolders.rbegin(); it != run.createdFolders.rend(); ++it) RemoveDirectoryW(it->c_str());
    return notRestored;
}

// Copies one file; on failure gives the error line.
std::wstring CopyOne(CopyRun& run, const InstInfo& info, const std::wstring& rel) {
    std::wstring src = PathJoin(info.folder, rel), dst = PathJoin(info.target, rel);
    std::wstring dstFolder = PathDir(dst);
    if (!MakeFolder(run, dstFolder)) return FillVar(Tr("in_err_dir"), L"d", dstFolder);
    CopyRun::Written entry{dst, L""};
    if (FileExists(dst)) {
        std::wstring bak = PathJoin(run.backupFolder, rel);
        if (!MakeDirs(PathDir(bak)) || !CopyFileW(dst.c_str(), bak.c_str(), FALSE))
            return FillVar(Tr("in_err_backup"), L"f", dst);
        run.backupMade = true;
        entry.backup = bak;
    }
    if (CopyFileW(src.c_str(), dst.c_str(), FALSE)) {
        run.written.push_back(entry);
        return L"";
    }
    DWORD err = GetLastError();
    DebugLog(L"install: copy failed " + src + L" -> " + dst + L", error " + std::to_wstring(err));
    // A target that could not even be opened is untouched; anything else may hold
    // half a file and is put back with the rest.
    if (err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) run.written.push_back(entry);
    return FillVars(Tr("in_err_copy"), {{L"f", rel}, {L"n", std::to_wstring(err)}});
}

bool IsBuild(const InstInfo& info, const std::wstring& name) {
    for (const InstFile& f : info.files)
        if (StrIEquals(PathName(f.path), name)) return true;
    return false;
}

// The package's files that go into the target, relative to the package folder;
// false when the tree is too big.
bool FilesToCopy(const InstInfo& info, const std::set<std::wstring>& keep, std::vector<std::wstring>& rels) {
    int64_t budget = InstCopyMaxEntries;
    ScanFilesByPattern(info.folder, L"", InstCopyMaxDepth, FoldCase(info.target), rels, budget);
    if (IsGeneralFolder(info.target))
        std::erase_if(rels, [&](const std::wstring& rel) { return !IsOwnPluginFile(info, rel) || keep.count(rel); });
    return budget >= 0;
}

std::wstring CopyAll(CopyRun& run, const InstInfo& info, const std::set<std::wstring>& keep, size_t& count) {
    std::vector<std::wstring> rels;
    if (!FilesToCopy(info, keep, rels)) return FillVar(Tr("in_err_big"), L"d", info.folder);
    if (!MakeFolder(run, info.target)) return FillVar(Tr("in_err_dir"), L"d", info.target);
    run.backupFolder = PathJoin(PathJoin(BackupsFolder(), L"Plugins"), info.pluginName + L"_" + StrFileStamp());
    for (const std::wstring& rel : rels) {
        std::wstring error = CopyOne(run, info, rel);
        if (!error.empty()) return error;
        ++count;
    }
    return L"";
}

std::wstring AsWritten(const std::wstring& path) { return PathForDisplay(path, true); }

}  // namespace

bool IsOwnPluginFile(const InstInfo& info, const std::wstring& rel) {
    if (rel.find_first_of(L"\\/") != std::wstring::npos) return false;
    return IsBuild(info, rel) || PlugKey(rel) == FoldCase(info.pluginName);
}

std::vector<std::wstring> SharedFilesToReplace(const InstInfo& info) {
    std::vector<std::wstring> rels, asked;
    if (info.targetIsSource || !IsGeneralFolder(info.target) || !FilesToCopy(info, {}, rels)) return asked;
    for (const std::wstring& rel : rels)
        if (!IsBuild(info, rel) && FileExists(PathJoin(info.target, rel))) asked.push_back(rel);
    return asked;
}

bool InstCopyFiles(const InstInfo& info, const std::set<std::wstring>& keep, std::wstring& errorText) {
    if (info.targetIsSource) return true;
    CopyRun run;
    size_t count = 0;
    std::wstring error = CopyAll(run, info, keep, count);
    if (!error.empty()) {
        std::wstring lines = error + L"\r\n" + RollBack(run);
        errorText = FillVar(Tr("in_failed"), L"p", info.pluginName) + L"\r\n\r\n" + errorText + lines;
        return false;
    }
    DebugLog(L"install: copied " + std::to_wstring(count) + L" file(s) to " + info.target +
             (run.backupMade ? L", backup " + run.backupFolder : L""));
    std::vector<std::wstring> log;
    std::wstring stamp = StrNowStamp();
    if (count > 0)
        log.push_back(ChangeLogLine(
            stamp, (int)info.kind, info.pluginName,
            FillVars(Tr("log_copied"), {{L"n", std::to_wstring(count)}, {L"d", AsWritten(info.target)}})));
    if (run.backupMade)
        log.push_back(ChangeLogLine(stamp, (int)info.kind, info.pluginName,
                                    FillVar(Tr("log_filebackup"), L"d", AsWritten(run.backupFolder))));
    errorText += LogChanges(log);
    return true;
}
