#include "install/uninstall.h"

#include <richedit.h>

#include <algorithm>

#include "editing/save_changes.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/pending.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg/plugin_keys.h"
#include "install/dialog_parts.h"
#include "install/install_entries.h"
#include "install/uninstall_folder.h"
#include "foundation/dialog_template.h"
#include "foundation/themes.h"
#include "foundation/timestamps.h"
#include "foundation/ui_globals.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"

namespace {

enum : int { IdCheck = 311, IdHeading = 312, IdEntry = 313, IdPath = 314, IdCheckLabel = 315, IdReport = 316,
             IdFolder = 317, IdTcNote = 318, IdDisable = 310 };

std::wstring EntryLine(const PlugEntry& entry) {
    if (entry.kind <= KindContent)
        return FillVars(Tr("un_entry_lc"),
                        {{L"n", EntryNumberText(entry.number)}, {L"s", PlugSectionName((int)entry.kind)}});
    if (entry.kind == KindPacker) {
        std::wstring exts;
        for (const DetectItem& item : entry.iniDetect.items) exts += (exts.empty() ? L"" : L", ") + item.text;
        return FillVar(Tr("un_entry_pk"), L"e", exts);
    }
    return FillVar(Tr("un_entry_fs"), L"e", entry.name);
}

void AddFolderRows(UninstCtx& ctx, const PluginFolderCheck& check) {
    ctx.folderOk = check.reason.empty();
    if (!ctx.folderOk) {
        ctx.checkText = Tr("un_folder_off");
        ctx.report.push_back(ReportRow{ReportNote, Tr("un_l_folder"), check.reason});
        return;
    }
    ctx.folder = check.folder;
    ctx.checkText = FillVars(Tr("un_folder"),
                             {{L"n", std::to_wstring(check.fileCount)}, {L"s", StrByteSizeText(check.totalBytes)}});
    ctx.folderPath = PathForDisplay(check.folder, true);
    if (check.iniNames.empty()) return;
    std::wstring names;
    for (size_t i = 0; i < check.iniNames.size() && i < 3; ++i) names += (i ? L"; " : L"") + check.iniNames[i];
    ctx.report.push_back(ReportRow{ReportNote, Tr("un_l_settings"), names});
}

// The entry is still in its section as wincmd.ini holds it now.
bool StillRegistered(const PlugEntry& entry) {
    for (const PlugEntry& e : LoadPluginSection((int)entry.kind).entries)
        if (StrIEquals(e.expandedPath, entry.expandedPath) && (entry.kind > KindContent || e.number == entry.number))
            return true;
    return false;
}

UninstCtx& Ctx(HWND dialog) { return *reinterpret_cast<UninstCtx*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

BOOL InitDialog(HWND dialog, UninstCtx& ctx) {
    auto s = UiScale;
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)&ctx);
    ThemeMakeBrushes();
    SetWindowTextW(dialog, Tr("un_title").c_str());
    bool dark = CurrentTheme->dark;
    const int w = s(608), x = s(16);
    const DWORD line = SS_ENDELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX;
    UiAddControlAt(dialog, L"Static", ctx.heading, line, IdHeading, 0, UiFontHeading, x, s(16), w, s(32));
    UiAddControlAt(dialog, L"Static", ctx.entryLine, line, IdEntry, 0, UiFontSubheading, x, s(52), w, s(23));
    int y = s(75);
    if (!ctx.pathLine.empty())
        UiAddControlAt(dialog, L"Static", ctx.pathLine, SS_PATHELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX, IdPath, 0,
                       UiFontSubheading, x, y, w, s(23)), y += s(23);
    y += s(10);
    if (!ctx.report.empty()) {
        UiAddControlAt(dialog, L"Static", Tr("in_check"), SS_CENTERIMAGE | SS_NOPREFIX, IdCheckLabel, 0, UiFontSemibold,
                       x, y, w, s(22));
        int h = s(26) * (int)ctx.report.size() + s(30);
        HWND box = UiAddControlAt(dialog, ReportBoxClass(), L"", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL,
                                  IdReport, WS_EX_CLIENTEDGE, UiFont, x, y + s(26), w, h);
        ShowReportInBox(box, ctx.report);
        ThemeSetWindowTheme(box, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
        y += s(26) + h + s(10);
    }
    HWND check = UiAddControlAt(dialog, L"Button", ctx.checkText, BS_AUTOCHECKBOX | WS_TABSTOP, IdCheck, 0, UiFont, x, y,
                                w, s(24));
    CheckDlgButton(dialog, IdCheck, ctx.folderOk && ctx.recycle ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(check, ctx.folderOk);
    if (dark) ThemeSetWindowTheme(check, L"", L"");
    y += s(24);
    if (!ctx.folderPath.empty())
        UiAddControlAt(dialog, L"Static", ctx.folderPath, SS_PATHELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX, IdFolder, 0,
                       UiFont, x + s(22), y, w - s(22), s(22)), y += s(22);
    if (ctx.tcRunning)
        UiAddControlAt(dialog, L"Static", Tr("un_tc"), SS_CENTERIMAGE | SS_NOPREFIX, IdTcNote, 0, UiFont, x, y + s(6), w,
                       s(22)), y += s(28);
    int strip = y + s(16), buttonY = strip + s(13);
    UiAddControlAt(dialog, L"Button", Tr("un_btn_disable"), WS_TABSTOP, IdDisable, 0, UiFont, x, buttonY, s(150), s(28));
    UiAddControlAt(dialog, L"Button", Tr("un_btn_uninst"), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 0, UiFont, s(380), buttonY,
                   s(118), s(28));
    UiAddControlAt(dialog, L"Button", Tr("btn_cancel"), WS_TABSTOP, IDCANCEL, 0, UiFont, s(506), buttonY, s(118), s(28));
    for (int id : {(int)IdDisable, IDOK, IDCANCEL})
        ThemeSetWindowTheme(GetDlgItem(dialog, id), dark ? L"DarkMode_Explorer" : nullptr, nullptr);
    FitDialogLayout(dialog);
    // Buttons widened for longer captions may reach past the left margin: the dialog
    // grows by as much and the row moves along.
    int grow = std::max(0, x - (int)UiItemRect(dialog, GetDlgItem(dialog, IdDisable)).left);
    for (int id : {(int)IdDisable, IDOK, IDCANCEL}) {
        RECT r = UiItemRect(dialog, GetDlgItem(dialog, id));
        UiMoveItem(dialog, id, r.left + grow, r.top, r.right - r.left, r.bottom - r.top);
    }
    ThemeDwmDark(dialog, dark);
    RECT frame{0, 0, s(640) + grow, strip + s(54)};
    AdjustWindowRectEx(&frame, (DWORD)GetWindowLongPtrW(dialog, GWL_STYLE), FALSE, (DWORD)GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    UiCenterOnParent(dialog, frame.right - frame.left, frame.bottom - frame.top);
    SetFocus(GetDlgItem(dialog, IDCANCEL));
    return FALSE;
}

}  // namespace

UninstCtx UninstallPrepare(const PlugEntry& entry) {
    UninstCtx ctx;
    ctx.tcRunning = TcWindowOpen();
    ctx.heading = entry.name + (entry.probeVersion.empty() ? L"" : L"  " + entry.probeVersion) + L"  \x00B7  " +
                  TabName((int)entry.kind);
    ctx.pathLine = FillVar(Tr("un_path"), L"d", PathForDisplay(entry.path, false));
    ctx.entryLine = EntryLine(entry);
    if (entry.kind == KindContent) {
        int counts[UsePlaceCount];
        int n = FieldUsageCount(BuildFieldUsage(), FoldCase(PlugKey(entry.expandedPath)), counts, L"");
        if (n > 0) ctx.report.push_back(ReportRow{ReportWarning, L"", FillVar(Tr("un_used2"), L"n", std::to_wstring(n))});
    }
    AddFolderRows(ctx, CheckPluginFolder(entry));
    SortReport(ctx.report);
    return ctx;
}

INT_PTR CALLBACK UninstallDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (ThemeDialogColors(dialog, msg, wParam, lParam, {IdDisable, IDOK, IDCANCEL}, {IdFolder, IdTcNote}, result))
        return result;
    if (msg == WM_INITDIALOG) return InitDialog(dialog, *reinterpret_cast<UninstCtx*>(lParam));
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IdDisable)) {
        Ctx(dialog).recycle = IsDlgButtonChecked(dialog, IdCheck) == BST_CHECKED;
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunUninstallDialog(HWND owner, UninstCtx& ctx) {
    return RunTemplateDialog(owner, 300, 120, 0, UninstallDlgProc, (LPARAM)&ctx);
}

void MarkForUninstall(const PlugEntry& entry, bool disableOnly) {
    auto mark = [disableOnly](auto& record) {
        record.deleted = 1;
        record.deactivate = disableOnly;
    };
    if (entry.kind <= KindContent) {
        mark(PendingEditFor(entry));
    } else if (entry.kind == KindPacker) {
        for (size_t i = 0; i < entry.iniDetect.items.size() && i < entry.packerFlags.size(); ++i)
            mark(GetPlugState(KindPacker, entry.iniDetect.items[i].text, PackerLineAsWritten(entry, i), entry.name));
    } else {
        mark(GetPlugState(KindFileSystem, entry.name, entry.path, entry.name));
    }
}

void UninstallFolder(HWND owner, const PlugEntry& entry, const std::wstring& folder, std::wstring& errors,
                     bool writeFailed, std::wstring& doneText) {
    // A folder whose entry is still registered stays: TC would load a plugin that is gone.
    if (writeFailed || StillRegistered(entry)) {
        DebugLog(L"uninstall: entry still registered, folder kept: " + folder);
        errors += FillVar(Tr("un_folder_fail"), L"d", folder) + L"\r\n";
        return;
    }
    if (!RecycleFolder(owner, folder)) {
        errors += FillVar(Tr("un_folder_fail"), L"d", folder) + L"\r\n";
        return;
    }
    errors += LogChanges(
        {ChangeLogLine(StrNowStamp(), (int)entry.kind, entry.name, FillVar(Tr("log_unfolder"), L"d", folder))});
    doneText += L"\n" + Tr("un_done_folder");
}

void UninstallEntry(IInstallHost& host, HWND owner, const PlugEntry& entry, const UninstCtx& ctx, bool disableOnly,
                    SaveIo& io) {
    const PendingSnapshot before;
    MarkForUninstall(entry, disableOnly);
    InstallPlan marks;
    NotePlanned(marks, before);
    SaveRequest request;
    request.confirmed = 1;
    request.withdrawUnwritten = 1;
    request.doneText = FillVar(Tr(disableOnly ? "un_done_disable" : "un_done"), L"n", entry.name);
    if (!disableOnly && ctx.folderOk && ctx.recycle)
        request.afterSave = [owner, entry, folder = ctx.folder](std::wstring& errors, bool writeFailed,
                                                                std::wstring& doneText) {
            UninstallFolder(owner, entry, folder, errors, writeFailed, doneText);
        };
    SaveChanges(host, owner, std::move(request), io);
    WithdrawPlan(marks);
}

void Uninstall(IInstallHost& host, HWND owner, int index) {
    if (index < 0 || (size_t)index >= TabEntries.size() || !WriteAtOnceAllowed(host, owner)) return;
    PlugEntry entry = TabEntries[(size_t)index];
    UninstCtx ctx = UninstallPrepare(entry);
    INT_PTR answer = RunUninstallDialog(owner, ctx);
    // The rows may have been refilled while the dialog was open.
    if ((answer != IDOK && answer != IdDisable) || FindTabEntry(MarkOf(entry)) < 0) return;
    UninstallEntry(host, owner, entry, ctx, answer == IdDisable, SystemSaveIo());
}
