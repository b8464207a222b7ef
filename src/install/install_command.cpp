#include "install/install_command.h"

#include <deque>
#include <set>
#include <utility>

#include "editing/launch.h"
#include "editing/save_changes.h"
#include "foundation/env.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/path_display.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"
#include "install/file_copy.h"
#include "install/install_dialog.h"
#include "install/install_entries.h"
#include "install/package_pick.h"
#include "install/unpack.h"
#include "install/install_temp.h"

namespace {

struct WaitingInstall {
    IInstallHost* host;
    HWND owner;
    std::wstring path;
};

bool InstallRunning = false;
std::deque<WaitingInstall> WaitingInstalls;

void Inform(HWND owner, const std::wstring& text, const std::wstring& caption) {
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
}

// Shows the wait cursor and a status text while a child process works.
struct BusyScope {
    IInstallHost& host;
    HCURSOR previous;
    BusyScope(IInstallHost& host, const char* statusKey)
        : host(host), previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {
        host.ShowInstallStatus(Tr(statusKey));
    }
    ~BusyScope() {
        SetCursor(previous);
        host.ShowInstallStatus(L"");
    }
};

void EnsureTcFolder() {
    if (EnvGet(L"COMMANDER_PATH").empty()) DiscoverTc();
    if (EnvGet(L"COMMANDER_PATH").empty()) ApplyTcFolder();
    RememberTcDir();
}

// The archive road: the file to analyse, or "" when the install ends here.
std::wstring UnpackedPackage(IInstallHost& host, HWND owner, const std::wstring& archive, std::wstring& unpackFolder) {
    UnpackOutcome unpacked;
    {
        BusyScope busy(host, "ar_unpacking");
        unpacked = UnpackForInstall(archive);
    }
    if (unpacked.folder.empty()) {
        Inform(owner, unpacked.message, Tr("in_title"));
        return L"";
    }
    unpackFolder = unpacked.folder;
    std::wstring found = InstFindInDir(owner, unpackFolder);
    if (found.empty()) Inform(owner, Tr("in_err_none"), Tr("in_title"));
    return found == L"-" ? L"" : found;
}

void AnalyseAndAsk(IInstallHost& host, HWND owner, const std::wstring& chosen, const std::wstring& archiveName) {
    InstInfo info;
    {
        BusyScope busy(host, "in_asking");
        info = InstAnalyze(chosen);
    }
    info.archiveName = archiveName;
    if (!info.error.empty()) return Inform(owner, info.error, Tr("in_title"));
    InstCtx ctx;
    ctx.info = &info;
    InstReportText(ctx);
    if (RunInstallDialog(host, owner, ctx) == IDOK) InstExecute(host, owner, ctx);
}

void RunInstall(IInstallHost& host, HWND owner, const std::wstring& path) {
    if (WincmdIniPath.empty()) return;
    if (!WriteAtOnceAllowed(host, owner)) return;
    EnsureTcFolder();
    std::wstring chosen = path;
    if (!path.empty() && !FileExists(path)) return Inform(owner, FillVar(Tr("in_notfound"), L"f", path), Tr("in_title"));
    if (path.empty()) chosen = PickPackageFile(owner, Tr("in_pick2"), L"");
    if (chosen.empty()) return;
    std::wstring unpackFolder, archiveName;
    if (ArcSniffType(chosen) != ArcUnknown) {
        archiveName = PathName(chosen);
        chosen = UnpackedPackage(host, owner, chosen, unpackFolder);
    }
    if (!chosen.empty()) AnalyseAndAsk(host, owner, chosen, archiveName);
    // The copy reads from the unpack folder, so it goes only after the save.
    if (!unpackFolder.empty()) InstTempClean(unpackFolder);
}

// In a general folder the plugin's own files other than its builds replace files of
// the same name only when the user says so; the names of those that stay.
std::set<std::wstring> FilesToKeep(HWND owner, const InstInfo& info) {
    std::vector<std::wstring> shared = SharedFilesToReplace(info);
    if (shared.empty()) return {};
    std::wstring names;
    for (const std::wstring& rel : shared) names += rel + L"\n";
    std::wstring text = FillVars(Tr("in_ask_replace"), {{L"d", PathForDisplay(info.target, true)}, {L"f", names}});
    if (MessageBoxW(owner, text.c_str(), Tr("in_title").c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES) return {};
    return {shared.begin(), shared.end()};
}

void CALLBACK RetryWaitingInstall(HWND, UINT, UINT_PTR timer, DWORD) {
    if (WaitingInstalls.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    WaitingInstall next = WaitingInstalls.front();
    if (InstallRunning || next.host->ModelHeld() || (IsWindow(next.owner) && !IsWindowEnabled(next.owner))) return;
    WaitingInstalls.pop_front();
    if (WaitingInstalls.empty()) KillTimer(nullptr, timer);
    Install(*next.host, next.owner, next.path);
}

}  // namespace

void Install(IInstallHost& host, HWND owner, const std::wstring& path) {
    InstallRunning = true;
    RunInstall(host, owner, path);
    InstallRunning = false;
}

void InstallWhenFree(IInstallHost& host, HWND owner, const std::wstring& path) {
    if (!InstallRunning && !host.ModelHeld() && (!owner || IsWindowEnabled(owner))) return Install(host, owner, path);
    if (WaitingInstalls.empty()) SetTimer(nullptr, 0, 300, RetryWaitingInstall);
    WaitingInstalls.push_back({&host, owner, path});
}

void InstExecute(IInstallHost& host, HWND owner, InstCtx& ctx) {
    std::set<std::wstring> keep = FilesToKeep(owner, *ctx.info);
    InstallPlan plan = InstPlan(ctx);
    SaveRequest request;
    request.newEntries = std::move(plan.newEntries);
    request.confirmed = 1;
    request.force = 1;
    request.doneText = plan.doneText;
    request.beforeWrite = [info = *ctx.info, keep](std::wstring& error) { return InstCopyFiles(info, keep, error); };
    if (GetSetting(L"General", L"InstallOpen") == L"1")
        request.afterRestart = OpenInTcAfterRestart(ctx.info->pluginName, plan.entryPath);
    SaveChanges(host, owner, std::move(request));
    WithdrawPlan(plan);
}
