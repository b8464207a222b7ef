#include "editing/backups.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <map>

#include "editing/save_request.h"
#include "editing/save_writers.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/ini_escape.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"

namespace {

constexpr wchar_t SourcesSection[] = L"Backups";
constexpr size_t StampChars = 15;
constexpr int MaxStampTries = 120;

bool AllDigits(const std::wstring& s, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i)
        if (i >= s.size() || !std::iswdigit(s[i])) return false;
    return true;
}

// stem, '_', stamp, optional "_pre", ".ini", without regard to case.
bool ParseBackupName(const std::wstring& name, const std::wstring& stem, BackupFile& out) {
    size_t at = stem.size() + 1;
    if (name.size() < at + StampChars + 4 || !StrIEquals(name.substr(0, stem.size()), stem) || name[stem.size()] != L'_')
        return false;
    std::wstring stamp = name.substr(at, StampChars);
    if (!AllDigits(stamp, 0, 8) || stamp[8] != L'-' || !AllDigits(stamp, 9, 6)) return false;
    std::wstring tail = FoldCase(name.substr(at + StampChars));
    if (tail != L".ini" && tail != L"_pre.ini") return false;
    out.name = name;
    out.stamp = stamp;
    out.pre = tail != L".ini";
    return true;
}

// A backup's name as the key of its record: a stem such as "a=b", ";x" or "[x]"
// would otherwise be cut or read as INI syntax. A plain name is its own key, as
// earlier records have it.
std::wstring RecordKey(const std::wstring& backupName) { return IniEscapeKey(FoldCase(backupName)); }

std::wstring RecordedSource(const std::wstring& backupName) {
    return IniGetString(SettingsIniPath(), SourcesSection, RecordKey(backupName));
}

// True once the record reads back naming the source.
bool RecordSource(const std::wstring& backupName, const std::wstring& source) {
    std::wstring ini = SettingsIniPath();
    IniEnsureUtf16(ini);
    return WritePrivateProfileStringW(SourcesSection, RecordKey(backupName).c_str(), source.c_str(), ini.c_str()) &&
           RecordedSource(backupName) == source;
}

// The local time now plus some seconds as YYYYMMDD-hhmmss: a second save within
// the same second must not fail for want of a free name.
std::wstring StampPlusSeconds(const SYSTEMTIME& now, int seconds) {
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart += (ULONGLONG)seconds * 10000000ULL;
    ft = {t.LowPart, t.HighPart};
    SYSTEMTIME s;
    FileTimeToSystemTime(&ft, &s);
    wchar_t buf[32];
    swprintf(buf, 32, L"%04u%02u%02u-%02u%02u%02u", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond);
    return buf;
}

std::wstring CopyToFreeName(const std::wstring& source, const std::wstring& folder, const std::wstring& suffix) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    for (int k = 0; k < MaxStampTries; ++k) {
        std::wstring target = PathJoin(folder, FileStem(source) + L"_" + StampPlusSeconds(now, k) + suffix + L".ini");
        if (CopyFileW(source.c_str(), target.c_str(), TRUE)) {
            // A read-only wincmd.ini must not make a backup that pruning cannot delete.
            DWORD attrs = GetFileAttributesW(target.c_str());
            if (attrs != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
            return target;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return L"";
    }
    return L"";
}

// The stem of a backup's name: what stands before "_<stamp>[_pre].ini"; "" for another name.
std::wstring BackupStem(const std::wstring& name) {
    std::wstring lower = FoldCase(name);
    size_t tail = lower.ends_with(L"_pre.ini") ? 8 : lower.ends_with(L".ini") ? 4 : std::wstring::npos;
    if (tail == std::wstring::npos || name.size() < tail + StampChars + 1) return L"";
    size_t at = name.size() - tail - StampChars - 1;
    BackupFile b;
    std::wstring stem = name.substr(0, at);
    return ParseBackupName(name, stem, b) ? stem : L"";
}

// The newest backup made before a write stays, else the newest of all.
size_t KeptBackup(const std::vector<BackupFile>& group) {
    for (size_t i = group.size(); i-- > 0;)
        if (!group[i].pre) return i;
    return group.size() - 1;
}

// The oldest go first, but never the one just made: a clock set back, or backups
// copied from another machine, may give the others later stamps. Nor the newest
// made before a write, which restores read and which the write's own save undoes
// from, however many "_pre" copies of restores came after it.
void Prune(const std::wstring& source, const std::wstring& made) {
    std::vector<BackupFile> all = BackupsOf(source);
    size_t left = all.size(), kept = all.empty() ? 0 : KeptBackup(all);
    for (size_t i = 0; i < all.size() && left > MaxBackupsPerFile; ++i) {
        if (StrIEquals(all[i].path, made) || (i == kept && !all[i].pre)) continue;
        ForgetBackup(all[i]);
        --left;
    }
}

// Only a copy that is there and equal to the file lets the file be written.
bool BackupHolds(const std::wstring& backup, const std::wstring& source) {
    return !backup.empty() && FileExists(backup) && SameBytes(backup, source);
}

}  // namespace

std::vector<BackupFile> BackupsOf(const std::wstring& source) {
    std::vector<BackupFile> out;
    std::wstring folder = BackupsFolder(), stem = FileStem(source), full = FullPath(source);
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(PathJoin(folder, stem + L"_*.ini").c_str(), &fd));
    if (!find) return out;
    do {
        BackupFile b;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ParseBackupName(fd.cFileName, stem, b)) continue;
        std::wstring recorded = RecordedSource(b.name);
        if (!recorded.empty() && !StrIEquals(FullPath(recorded), full)) continue;
        b.path = PathJoin(folder, b.name);
        out.push_back(std::move(b));
    } while (FindNextFileW(find.Get(), &fd));
    std::sort(out.begin(), out.end(), [](const BackupFile& a, const BackupFile& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.pre > b.pre;
    });
    return out;
}

std::wstring IniBackup(const std::wstring& source, const std::wstring& suffix) {
    std::wstring full = FullPath(source);
    std::wstring target = CopyToFreeName(full, BackupsFolder(), suffix);
    if (target.empty()) return L"";
    // Without its record the copy would count for every file of its stem, and the
    // restore of another of them could take it: then it is no backup.
    if (!RecordSource(target.substr(target.find_last_of(L'\\') + 1), full)) {
        DeleteFileW(target.c_str());
        return L"";
    }
    Prune(full, target);
    DebugLog(L"backup " + full + L" -> " + target);
    return target;
}

bool IniPrepareWrite(std::wstring& errors, const std::wstring& path, SaveIo& io, std::wstring& backup) {
    bool exists = FileExists(path);
    if (exists && FileHasUtf8Bom(path)) {
        errors += Tr("err_utf8") + L" " + path + L"\r\n";
        return false;
    }
    backup = exists ? io.Backup(path, L"") : L"";
    if (!exists || BackupHolds(backup, path)) return true;
    errors += Tr("err_backup") + L" " + path + L"\r\n";
    return false;
}

bool IniPrepareWriteOnce(SaveRun& run, const std::wstring& path) {
    std::wstring full = FullPath(path), key = FoldCase(full);
    if (run.backups.count(key)) return true;
    if (run.refusedFiles.count(key)) return false;  // reported once
    std::wstring backup;
    if (!FileExists(path)) run.errors += Tr("err_backup") + L" " + path + L"\r\n";
    if (!FileExists(path) || !IniPrepareWrite(run.errors, path, *run.io, backup)) {
        run.refusedFiles.insert(key);
        return false;
    }
    run.backups[key] = {full, backup};
    return true;
}

std::wstring NewestWriteBackup(const std::wstring& source) {
    std::vector<BackupFile> all = BackupsOf(source);
    for (size_t i = all.size(); i-- > 0;)
        if (!all[i].pre) return all[i].path;
    return L"";
}

std::vector<std::wstring> SupersededBackups() {
    std::map<std::wstring, std::vector<BackupFile>> groups;
    std::wstring folder = BackupsFolder();
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(PathJoin(folder, L"*.ini").c_str(), &fd));
    if (!find) return {};
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        BackupFile b;
        std::wstring stem = BackupStem(fd.cFileName), key;
        if (stem.empty() || !ParseBackupName(fd.cFileName, stem, b)) {
            b.name = fd.cFileName;
            key = L"?" + FoldCase(b.name);  // no backup of the program's: it stays alone
        } else {
            std::wstring source = RecordedSource(b.name);
            key = source.empty() ? L"?" + FoldCase(stem) : FoldCase(FullPath(source));
        }
        b.path = PathJoin(folder, b.name);
        groups[key].push_back(std::move(b));
    } while (FindNextFileW(find.Get(), &fd));
    std::vector<std::wstring> out;
    for (auto& [key, group] : groups) {
        std::sort(group.begin(), group.end(), [](const BackupFile& a, const BackupFile& b) {
            return a.stamp != b.stamp ? a.stamp < b.stamp : a.pre > b.pre;
        });
        size_t keep = KeptBackup(group);
        for (size_t i = 0; i < group.size(); ++i)
            if (i != keep) out.push_back(group[i].path);
    }
    return out;
}

void ForgetBackup(const BackupFile& backup) {
    if (!DeleteFileW(backup.path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return;
    WritePrivateProfileStringW(SourcesSection, RecordKey(backup.name).c_str(), nullptr, SettingsIniPath().c_str());
}
