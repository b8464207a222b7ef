#include "editing/save_io.h"

#include "editing/backups.h"
#include "editing/save_writers.h"
#include "editing/tc_control.h"
#include "foundation/handles.h"

namespace {

bool Readable(const std::wstring& file) {
    FileHandle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    return h.Valid();
}

class SystemIo final : public SaveIo {
public:
    bool WriteProfile(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                      const wchar_t* value) override {
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
        // A copy beside the target, then one rename: the target is never half written.
        std::wstring temp = target + L".kvnew";
        if (!CopyFileW(source.c_str(), temp.c_str(), FALSE)) return false;
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DeleteFileW(temp.c_str());
        return false;
    }
    std::wstring WriteKept(const KeptEntry& entry) override { return WriteKeptVerified(entry); }
    bool TcRunning() override { return TcWindowOpen(); }
    bool CloseTc(std::vector<TcRun>& restart) override { return CloseAllTc(restart); }
    void StartTc(const TcRun& run) override { StartTcExe(run); }
};

}  // namespace

SaveIo& SystemSaveIo() {
    static SystemIo io;
    return io;
}
