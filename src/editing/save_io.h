// Every step by which a save (and the restore of a backup) touches TC's files,
// the program's kept entries and TC itself. The save takes it by reference, so a
// test can let any single step fail.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "foundation/ini.h"

struct KeptEntry;
struct PathLink;
struct TcRun;

class SaveIo {
public:
    virtual ~SaveIo() = default;
    // One profile write: a null value deletes the key, a null key the section.
    virtual bool WriteProfile(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                              const wchar_t* value) = 0;
    // The section's lines; nothing when the file could not be read.
    virtual std::optional<IniPairs> ReadSection(const std::wstring& file, const std::wstring& section) = 0;
    // A dated copy in the Backups folder (suffix "" or "_pre"); its path, "" on failure.
    virtual std::wstring Backup(const std::wstring& file, const std::wstring& suffix) = 0;
    // The target takes the source's bytes, or stays as it was. It keeps its attributes
    // and every name that leads to it: through a link the file the link names is
    // written, a file of several names in place; any other in one step. A link
    // whose file cannot be named is not written.
    virtual bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) = 0;
    // The entry's line in the Disabled section, read back; its key, "" on failure.
    virtual std::wstring WriteKept(const KeptEntry& entry) = 0;
    virtual bool TcRunning() = 0;
    virtual bool CloseTc(std::vector<TcRun>& restart) = 0;
    virtual void StartTc(const TcRun& run) = 0;
};

// The real files, profile functions and TC windows.
SaveIo& SystemSaveIo();
// Its ReplaceWithCopy for a target whose path is as given (PathLinkOf): a link
// whose file cannot be named is refused, and the target stays as it is.
bool ReplaceFileWithCopy(const std::wstring& source, const std::wstring& target, const PathLink& at);
