#include "editing/save_dialog.h"

#include "foundation/dialog_template.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"

namespace {

enum : int { IdIntro = 100, IdList = 101, IdNote = 102 };

struct SaveDlgParam {
    const std::wstring* changeList;
    bool tcRunning;
};

// The box in dialog units, as the dialog's font measures them.
HWND Add(HWND dlg, const wchar_t* cls, const std::wstring& text, DWORD style, RECT box, int id, DWORD exStyle = 0) {
    MapDialogRect(dlg, &box);
    return UiAddDlgControl(dlg, cls, text, style, box, id, exStyle);
}

void CreateControls(HWND dlg, const SaveDlgParam& p) {
    Add(dlg, L"Static", Tr("save_intro"), 0, {7, 7, 453, 17}, IdIntro);
    HWND list = Add(dlg, L"Edit", L"",
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | WS_HSCROLL | WS_VSCROLL,
                    {7, 20, 453, 170}, IdList, WS_EX_CLIENTEDGE);
    if (UiFontFixed) SendMessageW(list, WM_SETFONT, (WPARAM)UiFontFixed, FALSE);
    // The default limit would cut a long change list.
    SendMessageW(list, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(list, p.changeList->c_str());
    std::wstring note = Tr("save_backup");
    if (p.tcRunning) note += L"\r\n\r\n" + Tr("save_tcrun");
    Add(dlg, L"Static", note, 0, {7, 176, 453, 216}, IdNote);
    if (p.tcRunning) {
        Add(dlg, L"Button", Tr("btn_save_restart"), BS_DEFPUSHBUTTON | WS_TABSTOP, {189, 222, 319, 236}, SaveAndRestart);
        Add(dlg, L"Button", Tr("btn_save_only"), WS_TABSTOP, {323, 222, 393, 236}, SaveOnly);
    } else {
        Add(dlg, L"Button", Tr("btn_save"), BS_DEFPUSHBUTTON | WS_TABSTOP, {323, 222, 393, 236}, SaveAndRestart);
    }
    Add(dlg, L"Button", Tr("btn_cancel"), WS_TABSTOP, {397, 222, 453, 236}, SaveCancel);
    FitDialogLayout(dlg);
}

INT_PTR CALLBACK SaveDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowTextW(dlg, Tr("save_title").c_str());
        CreateControls(dlg, *(const SaveDlgParam*)lp);
        SetFocus(GetDlgItem(dlg, 1));
        return FALSE;
    }
    if (msg == WM_COMMAND) {
        int id = LOWORD(wp);
        if (id == SaveAndRestart || id == SaveCancel || id == SaveOnly) {
            EndDialog(dlg, id);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

int RunSaveDialog(HWND owner, const std::wstring& changeList, bool tcRunning) {
    SaveDlgParam param{&changeList, tcRunning};
    INT_PTR r = RunTemplateDialog(owner, 460, 244, 0, SaveDlgProc, (LPARAM)&param);
    return r == SaveAndRestart || r == SaveOnly ? (int)r : SaveCancel;
}
