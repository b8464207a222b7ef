#include "editing/save_io.h"

#include "editing/backups.h"
#include "editing/save_writers.h"
#include "editing/tc_control.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"

namespace {

bool Readable(const std::wstring& file) {
    FileHandle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    return h.Valid();
}

// The attributes a replaced file keeps; the others belong to the file system.
constexpr DWORD OwnAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The file that a write must reach: the one a link at the path names, else the
// path. Resolved whatever the attributes say: Wine shows a link to a file as a
// plain file. "" for a link whose file cannot be named.
std::wstring LinkedFile(const std::wstring& path, const PathLink& at) {
    if (!at.finalPath.empty()) return at.finalPath;
    return LinkWithoutFile(at) ? L"" : path;
}

// More than one name leads to the file: a rename over one of them would part it from the others.
bool HasOtherNames(const std::wstring& file) {
    FileHandle h(CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return h && GetFileInformationByHandle(h.Get(), &info) && info.nNumberOfLinks > 1;
}

bool WriteWhole(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    bool all = bytes.empty() || (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
                                 written == bytes.size());
    return all && SetEndOfFile(file) && FlushFileBuffers(file);
}

// Into the file itself, so that every name of it sees the bytes. Only a source
// read whole is written, over old bytes read whole, which a write that fails or
// does not read back as the source puts back.
bool OverwriteInPlace(const std::wstring& source, const std::wstring& target) {
    std::optional<std::string> bytes = ReadWholeFile(source);
    if (!bytes) return false;
    FileHandle h(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             0, nullptr));
    if (!h) return false;
    std::optional<std::string> old = ReadWholeOpenFile(h.Get());
    if (!old) return false;
    if (WriteWhole(h.Get(), *bytes) && ReadWholeOpenFile(h.Get()) == bytes) return true;
    WriteWhole(h.Get(), *old);
    return false;
}

// A copy beside the target, then one rename: the target is never half written.
bool RenameCopyOver(const std::wstring& source, const std::wstring& target) {
    std::wstring temp = target + L".kvnew";
    if (!CopyFileW(source.c_str(), temp.c_str(), FALSE)) return false;
    DWORD attrs = GetFileAttributesW(target.c_str());
    DWORD kept = attrs == INVALID_FILE_ATTRIBUTES ? 0 : attrs & OwnAttributes;
    SetFileAttributesW(temp.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(temp.c_str());
    return false;
}

class SystemIo final : public SaveIo {
public:
    bool WriteProfile(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                      const wchar_t* value) override {
        IniWriteScope apart;
        return WritePrivateProfileStringW(section.c_str(), key, value, file.c_str()) != 0;
    }
    std::optional<IniPairs> ReadSection(const std::wstring& file, const std::wstring& section) override {
        IniPairs pairs = ReadIniSection(file, section);
        // The profile functions give nothing alike for an empty section and a file they could not open.
        if (pairs.empty() && !Readable(file)) return std::nullopt;
        return pairs;
    }
    std::wstring Backup(const std::wstring& file, const std::wstring& suffix) override {
        return IniBackup(file, suffix);
    }
    bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) override {
        return ReplaceFileWithCopy(source, target, PathLinkOf(target));
    }
    std::wstring WriteKept(const KeptEntry& entry) override { return WriteKeptVerified(entry); }
    bool TcRunning() override { return TcWindowOpen(); }
    bool CloseTc(std::vector<TcRun>& restart) override { return CloseAllTc(restart); }
    void StartTc(const TcRun& run) override { StartTcExe(run); }
};

}  // namespace

bool ReplaceFileWithCopy(const std::wstring& source, const std::wstring& target, const PathLink& at) {
    std::wstring file = LinkedFile(target, at);
    if (file.empty()) return false;
    IniWriteScope apart;
    return HasOtherNames(file) ? OverwriteInPlace(source, file) : RenameCopyOver(source, file);
}

SaveIo& SystemSaveIo() {
    static SystemIo io;
    return io;
}
