#include "install/install_dialog.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "foundation/env.h"
#include "foundation/ini_value_check.h"
#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/tc_discovery.h"
#include "install/dialog_parts.h"
#include "install/install_entries.h"
#include "install/install_temp.h"
#include "install/package_text.h"
#include "install/report_look.h"
#include "foundation/dialog_template.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"

namespace {

enum : int {
    IdHeading = 100, IdDescription = 101, IdSource = 102, IdTargetLine = 103, IdExtra = 104, IdExtHeading = 105,
    IdCaps = 106, IdCheckLabel = 107, IdTcNote = 108, IdGrip = 109, IdRawButton = 110, IdKeep = 111, IdTake = 112,
    IdTakeCaps = 113, IdTarget = 114, IdExtBox = 380, IdReport = 381, IdFsName = 382, IdTypedExts = 383,
    IdExtChoice = 400,
};

// The most characters of the target field: a folder path with room for the
// variables that name it.
constexpr size_t TargetMaxChars = 519;

const DWORD LineStyle = SS_ENDELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX;
const DWORD BoxStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP;

// What one run of the dialog works on.
struct DialogRun {
    InstCtx& ctx;
    IInstallHost& host;
};

DialogRun& RunOf(HWND dialog) { return *reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER)); }
InstCtx& Ctx(HWND dialog) { return RunOf(dialog).ctx; }
bool Has(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
int Message(HWND dialog, const std::wstring& text, UINT flags) {
    return MessageBoxW(dialog, text.c_str(), Tr("in_title").c_str(), flags);
}

std::string ExtBoxRtf(const InstCtx& ctx, const std::wstring& extText) {
    ReportLook look = CurrentReportLook();
    std::string rtf = RtfDocumentHead(look) + "\\pard\\sa" + std::to_string(5 * look.halfPoints) + " " +
                      RtfEscape(extText) + "\\par\n";
    if (!ctx.conditions.empty())
        rtf += "\\pard {\\cf3 " + RtfEscape(FillVar(Tr("in_cond"), L"c", ctx.conditions)) + "}\\par\n";
    return rtf + "}";
}

void FillExtBox(HWND box, const InstCtx& ctx) {
    if (RichEditReady()) {
        std::wstring ext = !ctx.extText.empty() ? ctx.extText : ctx.pluginDetect.empty() ? Tr("det_none") : L"\x2013";
        SendMessageW(box, EM_SETTARGETDEVICE, 0, 0);
        RichSetText(box, ExtBoxRtf(ctx, ext));
        return;
    }
    std::wstring text = ctx.extText;
    if (!ctx.conditions.empty()) text += L"\r\n" + FillVar(Tr("in_cond"), L"c", ctx.conditions);
    SetWindowTextW(box, text.c_str());
}

void CreateHead(HWND dialog, const InstCtx& ctx) {
    const InstInfo& info = *ctx.info;
    UiAddControl(dialog, L"Static", ctx.heading, LineStyle, IdHeading, 0, UiFontHeading);
    if (!info.inf.description.empty())
        UiAddControl(dialog, L"Static", info.inf.description, LineStyle, IdDescription, 0, UiFontSubheading);
    UiAddControl(dialog, L"Static", ctx.sourceLine, LineStyle, IdSource, 0, UiFontSubheading);
    if (ctx.update) {
        UiAddControl(dialog, L"Static", ctx.updateLine, SS_PATHELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX, IdTargetLine, 0,
                     UiFontSubheading);
    } else {
        UiAddControl(dialog, L"Static", Tr("in_target_l"), SS_CENTERIMAGE | SS_NOPREFIX, IdTargetLine, 0, UiFontSubheading);
        HWND target = UiAddControl(dialog, L"Edit", PathForDisplay(info.target, true), WS_TABSTOP | ES_AUTOHSCROLL,
                                   IdTarget, WS_EX_CLIENTEDGE, UiFontSubheading);
        SendMessageW(target, EM_SETLIMITTEXT, TargetMaxChars, 0);
    }
    if (!ctx.extraLine.empty()) UiAddControl(dialog, L"Static", ctx.extraLine, LineStyle, IdExtra, 0, UiFontSubheading);
}

void CreateKindBlock(HWND dialog, const InstCtx& ctx) {
    uint32_t kind = ctx.info->kind;
    const DWORD headStyle = SS_CENTERIMAGE | SS_NOPREFIX;
    if (kind <= 1) {
        std::wstring head = ctx.extCount >= 0 ? FillVar(Tr("in_exts_n"), L"n", std::to_wstring(ctx.extCount)) : Tr("in_exts");
        UiAddControl(dialog, L"Static", head, headStyle, IdExtHeading, 0, UiFontSemibold);
        if (!ctx.conditions.empty()) UiAddControl(dialog, L"Button", Tr("in_rawbtn"), WS_TABSTOP, IdRawButton, 0);
        FillExtBox(UiAddControl(dialog, ReportBoxClass(), L"", BoxStyle, IdExtBox, WS_EX_CLIENTEDGE), ctx);
        if (ctx.offerKeepTake) {
            UiAddControl(dialog, L"Button", Tr("in_keep"), BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, IdKeep, 0);
            UiAddControl(dialog, L"Button", Tr("in_take"), BS_AUTORADIOBUTTON, IdTake, 0);
            CheckDlgButton(dialog, IdKeep, BST_CHECKED);
        }
    } else if (kind == 2) {
        UiAddControl(dialog, L"Static", Tr("in_exts"), headStyle, IdExtHeading, 0, UiFontSemibold);
        for (size_t i = 0; i < ctx.extChoices.size(); ++i) {
            const ExtChoice& c = ctx.extChoices[i];
            UiAddControl(dialog, L"Button", c.ext, (c.fixed ? BS_CHECKBOX : BS_AUTOCHECKBOX) | WS_TABSTOP,
                         IdExtChoice + (int)i, 0);
            CheckDlgButton(dialog, IdExtChoice + (int)i, c.checked ? BST_CHECKED : BST_UNCHECKED);
        }
        if (ctx.extChoices.empty())
            UiAddControl(dialog, L"Edit", L"", WS_TABSTOP | ES_AUTOHSCROLL, IdTypedExts, WS_EX_CLIENTEDGE);
        UiAddControl(dialog, L"Static", ctx.capsText, SS_NOPREFIX, IdCaps, 0);
        if (ctx.offerTakeCaps) {
            UiAddControl(dialog, L"Button", Tr("in_takecaps"), BS_AUTOCHECKBOX | WS_TABSTOP, IdTakeCaps, 0);
            CheckDlgButton(dialog, IdTakeCaps, BST_CHECKED);
        }
    } else {
        UiAddControl(dialog, L"Static", Tr("in_fsname"), headStyle, IdExtHeading, 0, UiFontSemibold);
        UiAddControl(dialog, L"Edit", ctx.fsName, WS_TABSTOP | ES_AUTOHSCROLL, IdFsName, WS_EX_CLIENTEDGE);
    }
}

void CreateTail(HWND dialog, const InstCtx& ctx) {
    UiAddControl(dialog, L"Static", Tr("in_check"), SS_CENTERIMAGE | SS_NOPREFIX, IdCheckLabel, 0, UiFontSemibold);
    ShowReportInBox(UiAddControl(dialog, ReportBoxClass(), L"", BoxStyle, IdReport, WS_EX_CLIENTEDGE), ctx.report);
    std::wstring tcNote = TcWindowOpen() ? Tr("un_tc") : L"";
    UiAddControl(dialog, L"Static", tcNote, LineStyle, IdTcNote, 0);
    UiAddControl(dialog, L"Button", Tr(ctx.update ? "in_btn_up" : "in_btn"), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 0);
    UiAddControl(dialog, L"Button", Tr("btn_cancel"), WS_TABSTOP, IDCANCEL, 0);
    UiAddControl(dialog, L"SCROLLBAR", L"", SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, IdGrip, 0);
}

void ApplyThemes(HWND dialog) {
    bool dark = CurrentTheme->dark;
    ThemeDwmDark(dialog, dark);
    for (int id : {(int)IdExtBox, (int)IdReport, IDOK, IDCANCEL, (int)IdRawButton})
        if (HWND item = GetDlgItem(dialog, id)) ThemeSetWindowTheme(item, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
    if (!dark) return;
    // Without a theme these controls draw their text in the dialog's colours.
    std::vector<int> plain{IdKeep, IdTake, IdTakeCaps};
    for (size_t i = 0; i < Ctx(dialog).extChoices.size(); ++i) plain.push_back(IdExtChoice + (int)i);
    for (int id : plain)
        if (HWND item = GetDlgItem(dialog, id)) ThemeSetWindowTheme(item, L"", L"");
}

SIZE SavedSize() {
    SIZE size{UiScale(760), UiScale(640)};
    std::wstring value = GetSetting(L"Window", L"InstallSize");
    size_t x = value.find(L'x');
    if (x == std::wstring::npos) return size;
    int w = StrToInt(value.substr(0, x)), h = StrToInt(value.substr(x + 1));
    if (w >= 560 && h >= 420) size = SIZE{UiScale(w), UiScale(h)};
    return size;
}

void SaveSize(HWND dialog) {
    RECT r;
    GetWindowRect(dialog, &r);
    std::wstring value = std::to_wstring(MulDiv(r.right - r.left, 96, UiDpi)) + L"x" +
                         std::to_wstring(MulDiv(r.bottom - r.top, 96, UiDpi));
    SettingsValues[L"Window/InstallSize"] = value;
    IniEnsureUtf16(SettingsIniPath());
    WritePrivateProfileStringW(L"Window", L"InstallSize", value.c_str(), SettingsIniPath().c_str());
}

BOOL InitDialog(HWND dialog, DialogRun& run) {
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)&run);
    InstCtx& ctx = run.ctx;
    ThemeMakeBrushes();
    SetWindowTextW(dialog, Tr(ctx.update ? "in_title_up" : "in_title").c_str());
    CreateHead(dialog, ctx);
    CreateKindBlock(dialog, ctx);
    CreateTail(dialog, ctx);
    ApplyThemes(dialog);
    SIZE size = SavedSize();
    UiCenterOnParent(dialog, size.cx, size.cy);
    InstDlgLayout(dialog);
    SetFocus(GetDlgItem(dialog, IDCANCEL));
    return FALSE;
}

// The key of the text that refuses the typed target, or null with the folder in t.
const char* TargetFault(const std::wstring& typed, std::wstring& t) {
    if (typed.size() > TargetMaxChars) return "in_err_targetlong";
    t = CheckedTargetFolder(EnvExpand(StrTrim(Unquote(StrTrim(typed)))));
    if (t.empty()) return "in_err_target";
    if (t.size() > TargetMaxChars) return "in_err_targetlong";
    // The clean-up after the install would delete the plugin there.
    if (LiesInInstallTemp(t)) return "in_err_targettemp";
    return nullptr;
}

// A typed key, or the path of the plugin file in the typed target, that the
// section's file cannot hold, as the profile functions write it, is refused here:
// the save would refuse it after the files were copied.
bool CharRefused(HWND dialog, int kind, const std::wstring& text) {
    std::wstring lacked = CharSectionCannotHold(PlugSectionName(kind), text);
    if (lacked.empty()) return false;
    Message(dialog, FillVars(Tr("in_err_char"), {{L"t", text}, {L"c", CharWithCode(lacked)}}), MB_ICONWARNING);
    return true;
}

// The typed target, checked; false keeps the dialog open.
bool AcceptTarget(HWND dialog, InstInfo& info) {
    std::wstring t;
    if (const char* fault = TargetFault(DlgItemText(dialog, IdTarget), t)) {
        Message(dialog, FillVar(Tr(fault), L"n", std::to_wstring(TargetMaxChars)), MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, IdTarget));
        return false;
    }
    if (CharRefused(dialog, (int)info.kind, InstallEntryPath(t, info.pluginFile))) {
        SetFocus(GetDlgItem(dialog, IdTarget));
        return false;
    }
    DWORD attrs = GetFileAttributesW(t.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        Message(dialog, Tr("in_err_target"), MB_ICONWARNING);
        return false;
    }
    bool full = false;
    if (attrs != INVALID_FILE_ATTRIBUTES && FoldCase(t) != FoldCase(info.target))
        ForEachDirItem(t, [&](const DirItem&) { return full = true, false; });
    if (full && Message(dialog, Tr("in_ask_exists"), MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    info.target = t;
    info.targetIsSource = FoldCase(info.folder) == FoldCase(t);
    return true;
}

bool AcceptKindChoices(HWND dialog, InstCtx& ctx) {
    const InstInfo& info = *ctx.info;
    if (info.kind == 2) {
        std::wstring bad = FirstBadExtToken(ctx.typedExts);
        if (!bad.empty()) {
            Message(dialog, FillVar(Tr("in_err_ext"), L"e", bad), MB_ICONWARNING);
            return false;
        }
        // Another packer's line is taken over only by its ticked box; typed, the save
        // would refuse it after the files were copied.
        std::vector<std::wstring> typed;
        AddExtTokens(typed, ctx.typedExts);
        for (const std::wstring& ext : typed) {
            if (CharRefused(dialog, KindPacker, ext)) return false;
            const PlugEntry* owner = PackerOwnerOf(info, ext);
            if (!owner) continue;
            Message(dialog, FillVars(Tr("in_err_exttaken"), {{L"e", ext}, {L"p", owner->name}}), MB_ICONWARNING);
            return false;
        }
        bool any = info.existing >= 0 || std::any_of(ctx.extChoices.begin(), ctx.extChoices.end(),
                                                      [](const ExtChoice& c) { return c.checked; });
        if (!any && StrTrim(ctx.typedExts).empty()) {
            Message(dialog, Tr("in_pk_none"), MB_ICONINFORMATION);
            return false;
        }
    } else if (info.kind == 3) {
        if (ctx.fsName.empty()) return Message(dialog, Tr("err_empty"), MB_ICONINFORMATION), false;
        if (IniKeyProblem(ctx.fsName))
            return Message(dialog, Tr("err_fsname"), MB_ICONWARNING), false;
        if (CharRefused(dialog, KindFileSystem, ctx.fsName)) return false;
        for (size_t i = 0; i < info.entries.size(); ++i)
            if ((int)i != info.existing && StrIEquals(info.entries[i].name, ctx.fsName))
                return Message(dialog, Tr("err_fsdup"), MB_ICONWARNING), false;
    }
    return true;
}

void OnInstall(HWND dialog) {
    InstCtx& ctx = Ctx(dialog);
    for (size_t i = 0; i < ctx.extChoices.size(); ++i) ctx.extChoices[i].checked = Checked(dialog, IdExtChoice + (int)i);
    ctx.takeNew = ctx.offerKeepTake && Checked(dialog, IdTake);
    ctx.takeCaps = ctx.offerTakeCaps ? Checked(dialog, IdTakeCaps) : 1;
    if (Has(dialog, IdTypedExts)) ctx.typedExts = DlgItemText(dialog, IdTypedExts);
    if (Has(dialog, IdFsName)) ctx.fsName = StrTrim(DlgItemText(dialog, IdFsName));
    if (Has(dialog, IdTarget) && !AcceptTarget(dialog, *ctx.info)) return;
    if (AcceptKindChoices(dialog, ctx)) EndDialog(dialog, IDOK);
}

void ShowDetectString(HWND dialog) {
    const InstCtx& ctx = Ctx(dialog);
    std::wstring title = ctx.info->pluginName + L" \x2013 " + Tr("in_detect");
    std::wstring text = DsWrap(ctx.pluginDetect, 100, L"");
    RunOf(dialog).host.ShowTextPopup(title, text);
}

// Height the extension box needs for its lines, within the room it has.
int ExtBoxHeight(HWND dialog, int width, int room) {
    HWND box = GetDlgItem(dialog, IdExtBox);
    int h = std::max(std::max(UiScale(140), room) * 35 / 100, UiScale(56));
    SetWindowPos(box, nullptr, 0, 0, width, h, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    int lines = (int)SendMessageW(box, EM_GETLINECOUNT, 0, 0);
    int f = std::max(8, (int)std::abs(UiFontPx));
    return std::max(UiScale(56), std::min(lines * (f * 3 / 2 + 2) + UiScale(14), h));
}

// The item ends gap pixels left of the other one.
void EndBefore(HWND dialog, int id, int other, int gap) {
    if (!Has(dialog, id) || !Has(dialog, other)) return;
    RECT r = UiItemRect(dialog, GetDlgItem(dialog, id));
    int right = UiItemRect(dialog, GetDlgItem(dialog, other)).left - gap;
    UiMoveItem(dialog, id, r.left, r.top, right - r.left, r.bottom - r.top);
}

int LayoutHead(HWND dialog, int w) {
    auto s = UiScale;
    UiMoveItem(dialog, IdHeading, s(16), s(16), w, s(32));
    int y = s(52);
    for (int id : {IdDescription, IdSource})
        if (Has(dialog, id)) UiMoveItem(dialog, id, s(16), y, w, s(23)), y += s(23);
    if (Has(dialog, IdTarget)) {
        UiMoveItem(dialog, IdTargetLine, s(16), y + s(2), s(52), s(23));
        UiMoveItem(dialog, IdTarget, s(16 + 52), y, w - s(52), s(26));
        y += s(30);
    } else {
        UiMoveItem(dialog, IdTargetLine, s(16), y, w, s(23)), y += s(23);
    }
    if (Has(dialog, IdExtra)) UiMoveItem(dialog, IdExtra, s(16), y, w, s(23)), y += s(23);
    return y + s(10);
}

int LayoutKindBlock(HWND dialog, const InstCtx& ctx, int w, int clientW, int y, int bottom) {
    auto s = UiScale;
    uint32_t kind = ctx.info->kind;
    if (kind <= 1) {
        int radios = ctx.offerKeepTake ? s(28) : 0;
        int h = ExtBoxHeight(dialog, w, bottom - y - s(58) - radios);
        bool raw = Has(dialog, IdRawButton);
        UiMoveItem(dialog, IdExtHeading, s(16), y, raw ? w - s(138) : w, s(22));
        UiMoveItem(dialog, IdRawButton, clientW - s(16 + 130), y - s(2), s(130), s(26));
        UiMoveItem(dialog, IdExtBox, s(16), y + s(26), w, h);
        int yr = y + s(26) + h + s(4);
        UiMoveItem(dialog, IdKeep, s(16), yr, w / 2 - s(4), s(24));
        UiMoveItem(dialog, IdTake, s(16) + w / 2, yr, w / 2, s(24));
        return yr + radios + s(6);
    }
    if (kind == 2) {
        UiMoveItem(dialog, IdExtHeading, s(16), y, w, s(22));
        int y2 = y + s(24), y3 = y2 + s(30);
        size_t n = ctx.extChoices.size();
        if (n == 0) {
            UiMoveItem(dialog, IdTypedExts, s(16), y2, s(160), s(24));
        } else {
            int count = std::max(1, w / s(96));
            for (size_t i = 0; i < n; ++i)
                UiMoveItem(dialog, IdExtChoice + (int)i, s(16) + (int)(i % count) * s(96), y2 + (int)(i / count) * s(26), s(90), s(24));
            y3 = y2 + s(26) * (int)((n + count - 1) / count) + s(4);
        }
        UiMoveItem(dialog, IdCaps, s(16), y3, w, s(40));
        y = y3 + s(42);
        if (Has(dialog, IdTakeCaps)) UiMoveItem(dialog, IdTakeCaps, s(16), y, w, s(24)), y += s(26);
        return y + s(10);
    }
    UiMoveItem(dialog, IdExtHeading, s(16), y + s(3), s(60), s(22));
    UiMoveItem(dialog, IdFsName, s(16 + 64), y, std::min(w - s(64), s(320)), s(26));
    return y + s(42);
}

}  // namespace

void InstDlgLayout(HWND dialog) {
    auto s = UiScale;
    RECT client;
    GetClientRect(dialog, &client);
    int cw = client.right, w = cw - s(32), strip = client.bottom - s(54), bottom = strip - s(16);
    const InstCtx& ctx = Ctx(dialog);
    int y = LayoutKindBlock(dialog, ctx, w, cw, LayoutHead(dialog, w), bottom);
    UiMoveItem(dialog, IdCheckLabel, s(16), y, w, s(22));
    UiMoveItem(dialog, IdReport, s(16), y + s(26), w, std::max(bottom - (y + s(26)), s(60)));
    UiMoveItem(dialog, IDCANCEL, cw - s(16 + 118), strip + s(13), s(118), s(28));
    UiMoveItem(dialog, IDOK, cw - s(16 + 236 + 8), strip + s(13), s(118), s(28));
    UiMoveItem(dialog, IdTcNote, s(16), strip + s(13), cw - s(48 + 236 + 8), s(28));
    FitDialogLayout(dialog);
    // Buttons widened for longer captions grow to the left; the texts beside them give way.
    EndBefore(dialog, IdTcNote, IDOK, s(16));
    EndBefore(dialog, IdExtHeading, IdRawButton, s(8));
    int grip = GetSystemMetrics(SM_CXVSCROLL);
    UiMoveItem(dialog, IdGrip, cw - grip, client.bottom - grip, grip, grip);
    InvalidateRect(dialog, nullptr, TRUE);
}

namespace {

// Runs over an in-memory template with the DialogRun as parameter; 1 after
// "Install" with the choices written back, 2 after "Cancel".
INT_PTR CALLBACK InstallDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (ThemeDialogColors(dialog, msg, wParam, lParam, {IdTcNote, IDOK, IDCANCEL, IdGrip}, {}, result)) return result;
    switch (msg) {
    case WM_INITDIALOG: return InitDialog(dialog, *reinterpret_cast<DialogRun*>(lParam));
    case WM_GETMINMAXINFO: {
        auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
        mm->ptMinTrackSize = POINT{UiScale(560), UiScale(440)};
        return TRUE;
    }
    case WM_SIZE:
        if (GetWindowLongPtrW(dialog, DWLP_USER)) InstDlgLayout(dialog);
        return TRUE;
    case WM_EXITSIZEMOVE: SaveSize(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnInstall(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IdRawButton: ShowDetectString(dialog); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunInstallDialog(IInstallHost& host, HWND owner, InstCtx& ctx) {
    DialogRun run{ctx, host};
    return RunTemplateDialog(owner, 300, 200, WS_THICKFRAME | WS_MAXIMIZEBOX, InstallDlgProc, (LPARAM)&run);
}
