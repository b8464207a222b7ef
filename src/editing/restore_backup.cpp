#include "editing/restore_backup.h"

#include <vector>

#include "analyses/plugin_caches.h"
#include "editing/backups.h"
#include "editing/editing_host.h"
#include "editing/pending_ops.h"
#include "editing/save_io.h"
#include "editing/tc_control.h"
#include "foundation/files.h"
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
    if (io.ReplaceWithCopy(backup, file)) {
        AppendChangeLog({StrNowStamp() + L"  " + FillVar(Tr("log_restored"), L"f", NameOf(backup))});
        DebugLog(L"restored " + backup + L" -> " + file);
    } else {
        std::wstring kept = pre.empty() ? L"" : L"\n\n" + Tr("restore_pre_kept") + L"\n" + pre;
        std::wstring why = FileExists(backup) ? Tr("err_write") + L"\n" + file : Tr("restore_gone") + L"\n" + backup;
        host.Message(owner, why + kept, MB_OK | MB_ICONWARNING);
    }
    RestartAll(io, restart);
    DiscardPending();
    ResetPluginCaches();
    host.RefillShownTab();
}
