// Dated copies of TC's configuration files, made before the program writes them.
// A backup is named <stem>_<YYYYMMDD-hhmmss>[_pre].ini; the file it was made of is
// recorded, so files that share a stem keep their backups apart.
#pragma once
#include <string>
#include <vector>

class SaveIo;
struct SaveRun;

constexpr size_t MaxBackupsPerFile = 30;

struct BackupFile {
    std::wstring path;
    std::wstring name;
    std::wstring stamp;  // YYYYMMDD-hhmmss
    bool pre = false;    // the copy made before a restore
};

// The backups of that file, oldest first. Backups made before sources were
// recorded count for every file of their stem.
std::vector<BackupFile> BackupsOf(const std::wstring& source);
// Copies the file into the Backups folder and prunes its other backups to 30 in
// all, oldest first, the newest made before a write spared; the backup's path, ""
// on failure.
std::wstring IniBackup(const std::wstring& source, const std::wstring& suffix);
// The file may be written: not UTF-8, and backed up through io when it exists, the
// copy found equal to the file; backup is the copy's path, "" for a file not there.
// On false one line (ending in CR LF) was appended to errors.
bool IniPrepareWrite(std::wstring& errors, const std::wstring& path, SaveIo& io, std::wstring& backup);
// The same for one save, which backs each file up once (through the run's io)
// and keeps the backup's path; the file must exist.
bool IniPrepareWriteOnce(SaveRun& run, const std::wstring& path);
// The newest backup made before a write of that file; "" when there is none.
std::wstring NewestWriteBackup(const std::wstring& source);
// Every backup in the Backups folder that clean-up may offer: per source file (or,
// for backups without a record, per stem) all but the newest one made before a
// write, or all but the newest when there are only restore copies. In name order.
std::vector<std::wstring> SupersededBackups();
// Deletes a backup and its record.
void ForgetBackup(const BackupFile& backup);
