#include "editing/restore_backup.h"

#include <optional>
#include <string>
#include <vector>

#include "analyses/plugin_caches.h"
#include "editing/backups.h"
#include "editing/editing_host.h"
#include "editing/pending_ops.h"
#include "editing/save_io.h"
#include "editing/tc_control.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

void RestartAll(SaveIo& io, const std::vector<TcRun>& runs) {
    for (const TcRun& run : runs) io.StartTc(run);
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// As far as its bytes tell, a copy of an INI file: text of whole characters
// without NULs (a copy cut short, or filled with zeros by a crash, has them),
// with at least one section.
bool LooksWhole(const std::string& bytes) {
    bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    if (utf16 ? bytes.size() % 2 != 0 : bytes.find('\0') != std::string::npos) return false;
    std::wstring text = DecodeText(bytes);
    return text.find(L'\0') == std::wstring::npos && !ParseIniText(text).empty();
}

// Why the backup, of which bytes were read, may not be written over the file; "" when it may.
std::wstring Refusal(const std::wstring& file, const std::wstring& backup, const std::optional<std::string>& bytes) {
    if (LinkWithoutFile(PathLinkOf(file))) return Tr("err_link_lost") + L"\n" + file;
    if (!bytes) return Tr(FileExists(backup) ? "restore_unreadable" : "restore_gone") + L"\n" + backup;
    if (!LooksWhole(*bytes)) return Tr("restore_damaged") + L"\n" + backup;
    return L"";
}

// The file holds what it held before the copy: the bytes of its "_pre" copy, or,
// without one, nothing.
bool AsBefore(const std::wstring& file, const std::wstring& pre) {
    if (pre.empty()) return !FileExists(file);
    std::optional<std::string> was = ReadWholeFile(pre);
    return was && ReadWholeFile(file) == was;
}

std::wstring PreKept(const std::wstring& pre) {
    return pre.empty() ? L"" : L"\n\n" + Tr("restore_pre_kept") + L"\n" + pre;
}

// The copy did not leave the backup in the file: what happened, a file changed
// otherwise put back from its "_pre" copy.
std::wstring NotRestored(SaveIo& io, const std::wstring& file, const std::wstring& backup, const std::wstring& pre) {
    if (AsBefore(file, pre))
        return (FileExists(backup) ? Tr("err_write") + L"\n" + file : Tr("restore_gone") + L"\n" + backup) +
               PreKept(pre);
    std::wstring text = Tr("restore_mismatch") + L"\n" + file;
    if (!pre.empty()) io.ReplaceWithCopy(pre, file);
    return text + (!pre.empty() && AsBefore(file, pre) ? L"\n\n" + Tr("restore_put_back") : PreKept(pre));
}

}  // namespace

void RestoreBackup(IEditingHost& host, HWND owner) { RestoreBackup(host, owner, SystemSaveIo()); }

void RestoreBackup(IEditingHost& host, HWND owner, SaveIo& io) {
    int tab = host.ShownTab();
    std::wstring file = LoadPluginSection(tab >= 0 && tab < 4 ? tab : 0).iniUsed;
    std::wstring backup = file.empty() ? L"" : NewestWriteBackup(file);
    if (backup.empty()) {
        host.Message(owner, Tr("restore_none"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Only a backup read whole and whole in itself is written, and only those bytes
    // count as restored.
    std::optional<std::string> bytes = ReadWholeFile(backup);
    if (std::wstring why = Refusal(file, backup, bytes); !why.empty()) {
        host.Message(owner, why, MB_OK | MB_ICONWARNING);
        return;
    }
    if (host.Message(owner, FillVar(Tr("restore_ask"), L"f", backup), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    if (CountPendingChanges() > 0 && host.Message(owner, Tr("ask_discard"), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    std::vector<TcRun> restart;
    if (io.TcRunning() && !io.CloseTc(restart)) {
        RestartAll(io, restart);
        host.Message(owner, Tr("err_tcclose"), MB_OK | MB_ICONWARNING);
        return;
    }
    // Without a copy of the file as it is now, the restore could not be undone.
    std::wstring pre = FileExists(file) ? io.Backup(file, L"_pre") : L"";
    if (FileExists(file) && pre.empty()) {
        RestartAll(io, restart);
        host.Message(owner, Tr("err_backup") + L" " + file, MB_OK | MB_ICONWARNING);
        return;
    }
    // What the file then holds decides, not what the copy reported.
    io.ReplaceWithCopy(backup, file);
    if (ReadWholeFile(file) == bytes) {
        std::wstring unlogged = LogChanges({StrNowStamp() + L"  " + FillVar(Tr("log_restored"), L"f", NameOf(backup))});
        DebugLog(L"restored " + backup + L" -> " + file);
        if (!unlogged.empty()) host.Message(owner, unlogged, MB_OK | MB_ICONWARNING);
    } else {
        host.Message(owner, NotRestored(io, file, backup, pre), MB_OK | MB_ICONWARNING);
    }
    RestartAll(io, restart);
    DiscardPending();
    ResetPluginCaches();
    host.RefillShownTab();
}
