#include "editing/save_dialog.h"

#include <vector>

#include "foundation/handles.h"
#include "foundation/texts.h"

namespace {

enum : int { IdIntro = 100, IdList = 101, IdNote = 102 };

struct SaveDlgParam {
    const std::wstring* changeList;
    bool tcRunning;
    GdiHandle<HFONT> monoFont;
};

// A dialog without controls, 8-point "MS Shell Dlg", centred; the procedure adds them.
std::vector<WORD> EmptyDialogTemplate(short width, short height) {
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* d = (DLGTEMPLATE*)t.data();
    d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_FIXEDSYS;
    d->cx = width;
    d->cy = height;
    t.push_back(0);  // no menu
    t.push_back(0);  // standard class
    t.push_back(0);  // no caption yet
    t.push_back(8);
    for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) t.push_back((WORD)*c);
    t.push_back(0);
    if (t.size() % 2) t.push_back(0);
    return t;
}

HWND AddControl(HWND dlg, const wchar_t* cls, const std::wstring& text, DWORD style, RECT box, int id, DWORD exStyle,
                HFONT font) {
    MapDialogRect(dlg, &box);
    HWND w = CreateWindowExW(exStyle, cls, text.c_str(), style | WS_CHILD | WS_VISIBLE, box.left, box.top,
                             box.right - box.left, box.bottom - box.top, dlg, (HMENU)(INT_PTR)id,
                             (HINSTANCE)GetWindowLongPtrW(dlg, GWLP_HINSTANCE), nullptr);
    SendMessageW(w, WM_SETFONT, (WPARAM)(font ? font : (HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0)), FALSE);
    return w;
}

// The dialog font's size in the fixed-pitch face, so the columns of the list line up.
HFONT MonoFontLike(HWND dlg) {
    LOGFONTW lf = {};
    GetObjectW((HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0), sizeof lf, &lf);
    wcscpy_s(lf.lfFaceName, L"Consolas");
    return CreateFontIndirectW(&lf);
}

void CreateControls(HWND dlg, SaveDlgParam& p) {
    p.monoFont.Reset(MonoFontLike(dlg));
    AddControl(dlg, L"Static", Tr("save_intro"), 0, {7, 7, 453, 17}, IdIntro, 0, nullptr);
    HWND list = AddControl(dlg, L"Edit", L"",
                           ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | WS_HSCROLL | WS_VSCROLL,
                           {7, 20, 453, 170}, IdList, WS_EX_CLIENTEDGE, p.monoFont.Get());
    // The default limit would cut a long change list.
    SendMessageW(list, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(list, p.changeList->c_str());
    std::wstring note = Tr("save_backup");
    if (p.tcRunning) note += L"\r\n\r\n" + Tr("save_tcrun");
    AddControl(dlg, L"Static", note, 0, {7, 176, 453, 216}, IdNote, 0, nullptr);
    if (p.tcRunning) {
        AddControl(dlg, L"Button", Tr("btn_save_restart"), BS_DEFPUSHBUTTON | WS_TABSTOP, {189, 222, 319, 236}, 1, 0, nullptr);
        AddControl(dlg, L"Button", Tr("btn_save_only"), WS_TABSTOP, {323, 222, 393, 236}, 3, 0, nullptr);
    } else {
        AddControl(dlg, L"Button", Tr("btn_save"), BS_DEFPUSHBUTTON | WS_TABSTOP, {323, 222, 393, 236}, 1, 0, nullptr);
    }
    AddControl(dlg, L"Button", Tr("btn_cancel"), WS_TABSTOP, {397, 222, 453, 236}, 2, 0, nullptr);
}

INT_PTR CALLBACK SaveDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowTextW(dlg, Tr("save_title").c_str());
        CreateControls(dlg, *(SaveDlgParam*)lp);
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
    SaveDlgParam param{&changeList, tcRunning, {}};
    std::vector<WORD> tmpl = EmptyDialogTemplate(460, 244);
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), (DLGTEMPLATE*)tmpl.data(), owner, SaveDlgProc,
                                        (LPARAM)&param);
    return r == SaveAndRestart || r == SaveOnly ? (int)r : SaveCancel;
}
