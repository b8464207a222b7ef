#include "editing/cleanup.h"

#include "analyses/plugin_caches.h"
#include "editing/backups.h"
#include "editing/editing_host.h"
#include "foundation/data_folder.h"
#include "foundation/dialog_template.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"

namespace {

enum : int { GroupBackups = 0, GroupInventory = 1, GroupLog = 2, GroupDebug = 3 };
const char* const LabelKeys[] = {"cl_backups", "cl_inventory", "cl_log", "cl_debug"};
constexpr int BoxBase = 110;

}  // namespace

bool DriveHasRecycleBin(const std::wstring& path) {
    const ShlwapiDll* shlwapi = Shlwapi();
    const Shell32Dll* shell = Shell32();
    wchar_t root[MAX_PATH] = {};
    lstrcpynW(root, path.c_str(), MAX_PATH);
    if (!shlwapi || !shell || !shlwapi->PathStripToRootW(root)) return false;
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(shell->SHQueryRecycleBinW(root, &info));
}

namespace {

std::wstring GroupLabel(int i, const CleanupGroup& g) {
    return FillVars(Tr(LabelKeys[i]), {{L"n", std::to_wstring(g.paths.size())}, {L"s", StrByteSizeText(g.total)}});
}

RECT Dlu(HWND dialog, int l, int t, int r, int b) {
    RECT box{l, t, r, b};
    MapDialogRect(dialog, &box);
    return box;
}

INT_PTR CALLBACK CleanupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto& groups = *reinterpret_cast<CleanupGroups*>(lParam);
        SetWindowTextW(dialog, Tr("cl_title").c_str());
        UiAddDlgControl(dialog, L"Static", Tr("cl_intro"), 0, Dlu(dialog, 7, 7, 303, 25), 100, 0);
        UiAddDlgControl(dialog, L"Static", DataFolder(), SS_NOPREFIX | SS_PATHELLIPSIS, Dlu(dialog, 7, 27, 303, 37), 101, 0);
        for (int i = 0; i < 4; ++i) {
            HWND box = UiAddDlgControl(dialog, L"Button", GroupLabel(i, groups[(size_t)i]), BS_AUTOCHECKBOX | WS_TABSTOP,
                                       Dlu(dialog, 12, 42 + 14 * i, 302, 52 + 14 * i), BoxBase + i, 0);
            if (groups[(size_t)i].paths.empty()) EnableWindow(box, FALSE);
            else if (i == GroupBackups || i == GroupDebug) CheckDlgButton(dialog, BoxBase + i, BST_CHECKED);
        }
        UiAddDlgControl(dialog, L"Static", Tr("cl_note"), 0, Dlu(dialog, 7, 102, 303, 142), 102, 0);
        HWND go = UiAddDlgControl(dialog, L"Button", Tr("cl_go"), BS_DEFPUSHBUTTON | WS_TABSTOP,
                                  Dlu(dialog, 157, 148, 243, 162), IDOK, 0);
        UiAddDlgControl(dialog, L"Button", Tr("btn_cancel"), WS_TABSTOP, Dlu(dialog, 247, 148, 303, 162), IDCANCEL, 0);
        FitDialogLayout(dialog);
        SetFocus(go);
        return FALSE;
    }
    if (msg != WM_COMMAND) return FALSE;
    auto* groups = reinterpret_cast<CleanupGroups*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (LOWORD(wParam) == IDOK) {
        for (int i = 0; i < 4; ++i)
            (*groups)[(size_t)i].chosen = IsDlgButtonChecked(dialog, BoxBase + i) == BST_CHECKED;
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 2);
        return TRUE;
    }
    return FALSE;
}

void AfterCleanup(IEditingHost& host, const CleanupGroups& groups) {
    if (groups[GroupInventory].chosen) {
        ResetPluginCaches();
        host.RefillShownTab();
    } else if (host.ShownTab() == 4) {
        host.RefillShownTab();
    }
}

}  // namespace

CleanupGroups GatherCleanupGroups() {
    CleanupGroups groups;
    for (const std::wstring& path : SupersededBackups())
        AddExistingFile(groups[GroupBackups].paths, groups[GroupBackups].total, path);
    AddExistingFile(groups[GroupInventory].paths, groups[GroupInventory].total, InventoryIniPath());
    AddExistingFile(groups[GroupLog].paths, groups[GroupLog].total, ChangeLogPath());
    AddExistingFile(groups[GroupDebug].paths, groups[GroupDebug].total, PathJoin(DataFolder(), L"Kestrovane.debug.log"));
    groups[GroupBackups].chosen = groups[GroupDebug].chosen = 1;
    return groups;
}

bool CleanupRun(IEditingHost& host, HWND owner, const CleanupGroups& groups) {
    std::wstring list, forGood;
    size_t n = 0;
    uint64_t size = 0;
    for (const CleanupGroup& g : groups) {
        if (!g.chosen) continue;
        for (const std::wstring& path : g.paths) {
            list += path + L'\0';
            if (!host.RecycleBinAvailable(path)) forGood += path + L"\n";
            ++n;
        }
        size += g.total;
    }
    if (n == 0) return false;
    // Without a recycle bin the shell would delete for good without a word.
    if (!forGood.empty() && host.Message(owner, FillVar(Tr("cl_nobin"), L"f", forGood), MB_YESNO | MB_ICONWARNING |
                                                                                          MB_DEFBUTTON2) != IDYES)
        return false;
    list += L'\0';
    SHFILEOPSTRUCTW op{};
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | (forGood.empty() ? FOF_WANTNUKEWARNING : 0);
    const Shell32Dll* shell = Shell32();
    int rc = shell ? shell->SHFileOperationW(&op) : ERROR_MOD_NOT_FOUND;
    DebugLog(L"cleanup: " + std::to_wstring(n) + L" file(s), rc " + std::to_wstring(rc));
    bool done = rc == 0 && !op.fAnyOperationsAborted;
    if (!done) {
        host.Message(owner, FillVar(Tr("cl_failed"), L"c", std::to_wstring(rc)), MB_OK | MB_ICONWARNING);
    } else {
        std::wstring count = std::to_wstring(n), bytes = StrByteSizeText(size), unlogged;
        if (!groups[GroupLog].chosen)
            unlogged = LogChanges({StrNowStamp() + L"  " + FillVars(Tr("log_cleanup"), {{L"n", count}, {L"s", bytes}})});
        std::wstring done = FillVars(Tr("cl_done"), {{L"n", count}, {L"s", bytes}});
        if (unlogged.empty()) host.Message(owner, done, MB_OK | MB_ICONINFORMATION);
        else host.Message(owner, done + L"\n\n" + unlogged, MB_OK | MB_ICONWARNING);
    }
    AfterCleanup(host, groups);
    return done;
}

void CleanupOwnFiles(IEditingHost& host, HWND owner) {
    CleanupGroups groups = GatherCleanupGroups();
    if (RunTemplateDialog(owner, 310, 170, 0, CleanupDlgProc, (LPARAM)&groups) != 1) return;
    CleanupRun(host, owner, groups);
}
