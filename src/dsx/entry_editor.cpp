#include "dsx/entry_editor.h"

#include <commctrl.h>
#include <shlwapi.h>
#undef StrTrim  // the shell's macro would hide the program's own StrTrim

#include <algorithm>
#include <climits>
#include <cwchar>
#include <utility>

#include "dsx/completion.h"
#include "dsx/parse.h"
#include "dsx/reach.h"
#include "dsx/syntax_message.h"
#include "foundation/data_folder.h"
#include "foundation/dialog_template.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/system_dlls.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"

namespace {

constexpr wchar_t ErrProp[] = L"KvrErr";
constexpr size_t MaxDetectChars = 2000;  // with its two quotes
constexpr UINT_PTR CompletionSubclass = 1;
const char* const CapsKeys[] = {"pkx_new",     "pkx_modify",    "pkx_multiple",   "pkx_delete", "pkx_options",
                                "pkx_mempack", "pkx_bycontent", "pkx_searchtext", "pkx_hide",   "pkx_encrypt"};

EntryEditForm* FormOf(HWND dialog) { return reinterpret_cast<EntryEditForm*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

RECT DluBox(HWND dialog, int l, int t, int r, int b) {
    RECT box{l, t, r, b};
    MapDialogRect(dialog, &box);
    return box;
}

int DluX(HWND dialog, int x) { return DluBox(dialog, 0, 0, x, 0).right; }
int DluY(HWND dialog, int y) { return DluBox(dialog, 0, 0, 0, y).bottom; }

RECT ItemRect(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring WindowText(HWND window) {
    int n = GetWindowTextLengthW(window);
    std::wstring s((size_t)std::max(n, 0) + 1, L'\0');
    s.resize((size_t)GetWindowTextW(window, s.data(), n + 1));
    return s;
}

void SetItemGuarded(HWND dialog, EntryEditForm& form, int id, const std::wstring& text) {
    form.guard = 1;
    SetDlgItemTextW(dialog, id, text.c_str());
    form.guard = 0;
}

void EditDlgSyncFlags(HWND dialog, EntryEditForm& form) {
    int v = EditDlgReadNumber(dialog);
    form.guard = 1;
    for (int k = 0; k < 10; ++k)
        CheckDlgButton(dialog, EdCapsBox + k, v >= 0 && (v & (1 << k)) ? BST_CHECKED : BST_UNCHECKED);
    form.guard = 0;
}

void CapsBoxClicked(HWND dialog, EntryEditForm& form) {
    int v = EditDlgReadNumber(dialog);
    int bits = v < 1 ? 0 : v & ~0x3FF;
    for (int k = 0; k < 10; ++k)
        if (IsDlgButtonChecked(dialog, EdCapsBox + k) == BST_CHECKED) bits |= 1 << k;
    SetItemGuarded(dialog, form, EdValue1, std::to_wstring(bits));
}

int LineHeight(HWND edit) {
    WindowDc dc(edit);
    SelectedObject font(dc.Get(), (HFONT)SendMessageW(edit, WM_GETFONT, 0, 0));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.Get(), &tm);
    return tm.tmHeight;
}

int TextWidth(HWND edit, const std::wstring& text) {
    WindowDc dc(edit);
    SelectedObject font(dc.Get(), (HFONT)SendMessageW(edit, WM_GETFONT, 0, 0));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), (int)text.size(), &size);
    return size.cx;
}

void ReplaceRange(HWND edit, int start, int end, const std::wstring& text) {
    SendMessageW(edit, EM_SETSEL, (WPARAM)start, (LPARAM)end);
    SendMessageW(edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &mi);
    return mi.rcWork;
}

void OpenPopup(HWND edit, EntryEditForm& form, int caret) {
    int line = LineHeight(edit) + UiScale(2);
    LRESULT pos = SendMessageW(edit, EM_POSFROMCHAR, (WPARAM)std::max(caret - 1, 0), 0);
    POINT at{(short)LOWORD(pos), (short)HIWORD(pos) + line};
    ClientToScreen(edit, &at);
    int width = UiScale(80);
    for (const std::wstring& c : form.candidates) width = std::max(width, TextWidth(edit, c) + UiScale(24));
    int height = (int)std::min<size_t>(form.candidates.size(), 10) * line + UiScale(4);
    RECT work = WorkAreaOf(edit);
    if (at.x + width > work.right) at.x = std::max<LONG>(work.right - width, work.left);
    if (at.y + height > work.bottom) at.y -= line + height + UiScale(4);
    form.popup = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"ListBox", L"",
                                 WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, at.x, at.y,
                                 width, height, GetParent(edit), nullptr, AppInstance, nullptr);
    if (!form.popup) return;
    SendMessageW(form.popup, WM_SETFONT, SendMessageW(edit, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(form.popup, LB_SETITEMHEIGHT, 0, line);
    for (const std::wstring& c : form.candidates)
        SendMessageW(form.popup, LB_ADDSTRING, 0, (LPARAM)CompletionLabel(c).c_str());
    SendMessageW(form.popup, LB_SETCURSEL, 0, 0);
    ShowWindow(form.popup, SW_SHOWNOACTIVATE);
}

void MoveSelection(HWND popup, int delta) {
    int count = (int)SendMessageW(popup, LB_GETCOUNT, 0, 0);
    int sel = (int)SendMessageW(popup, LB_GETCURSEL, 0, 0) + delta;
    SendMessageW(popup, LB_SETCURSEL, (WPARAM)std::clamp(sel, 0, std::max(count - 1, 0)), 0);
}

bool CompletionWanted(HWND edit, EntryEditForm& form) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    if (start != end) return false;
    return !DetectCompletions(WindowText(edit), (int)end, form.knownExts, form.ownExtCount).candidates.empty();
}

bool PlainTab() { return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0; }

LRESULT DlgCode(HWND edit, WPARAM wParam, LPARAM lParam, EntryEditForm& form) {
    LRESULT code = DefSubclassProc(edit, WM_GETDLGCODE, wParam, lParam);
    const MSG* m = reinterpret_cast<const MSG*>(lParam);
    if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR)) {
        WPARAM key = m->wParam;
        bool tab = m->message == WM_KEYDOWN ? key == VK_TAB : key == L'\t';
        bool enterEsc = m->message == WM_KEYDOWN ? key == VK_RETURN || key == VK_ESCAPE : key == L'\r' || key == 27;
        if (form.popup && (tab || enterEsc)) return code | DLGC_WANTMESSAGE;
        if (!form.popup && tab && PlainTab() && (m->message == WM_CHAR || CompletionWanted(edit, form)))
            return code | DLGC_WANTMESSAGE;
        if (form.swallowChar && m->message == WM_CHAR && (tab || enterEsc)) return code | DLGC_WANTMESSAGE;
    }
    return code & ~(DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_HASSETSEL);
}

bool PopupKey(HWND edit, WPARAM key, EntryEditForm& form) {
    switch (key) {
    case VK_UP: MoveSelection(form.popup, -1); return true;
    case VK_DOWN: MoveSelection(form.popup, 1); return true;
    case VK_PRIOR: MoveSelection(form.popup, -5); return true;
    case VK_NEXT: MoveSelection(form.popup, 5); return true;
    case VK_TAB:
    case VK_RETURN:
        form.swallowChar = 1;
        AcAccept(edit, form);
        return true;
    case VK_ESCAPE:
        form.swallowChar = 1;
        AcClosePopup(form);
        return true;
    default: AcClosePopup(form); return false;
    }
}

LRESULT CALLBACK DetectCompletionProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    EntryEditForm& form = *reinterpret_cast<EntryEditForm*>(data);
    switch (msg) {
    case WM_SETFOCUS: {
        LRESULT r = DefSubclassProc(edit, msg, wParam, lParam);
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        if (start == 0 && end == 0) {
            int n = GetWindowTextLengthW(edit);
            SendMessageW(edit, EM_SETSEL, (WPARAM)n, (LPARAM)n);
            SendMessageW(edit, EM_SCROLLCARET, 0, 0);
        }
        return r;
    }
    case WM_KILLFOCUS:
        if ((HWND)wParam != form.popup) AcClosePopup(form);
        break;
    case WM_GETDLGCODE: return DlgCode(edit, wParam, lParam, form);
    case WM_KEYDOWN:
        form.swallowChar = 0;
        if (form.popup) {
            if (PopupKey(edit, wParam, form)) return 0;
        } else if (wParam == VK_TAB && PlainTab()) {
            ShowDetectCompletion(edit, form);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\t') return 0;
        if ((wParam == L'\r' || wParam == 27) && (form.popup || form.swallowChar)) {
            form.swallowChar = 0;
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEWHEEL: AcClosePopup(form); break;
    case WM_NCDESTROY:
        AcClosePopup(form);
        RemoveWindowSubclass(edit, DetectCompletionProc, CompletionSubclass);
        break;
    }
    return DefSubclassProc(edit, msg, wParam, lParam);
}

void SaveEditSize(HWND dialog) {
    if (IsZoomed(dialog) || IsIconic(dialog)) return;
    RECT r{};
    GetWindowRect(dialog, &r);
    std::wstring value = std::to_wstring(MulDiv(r.right - r.left, 96, UiDpi)) + L"," +
                         std::to_wstring(MulDiv(r.bottom - r.top, 96, UiDpi));
    WriteSettingsIniValue(L"Window", L"EditSize", value.c_str());
}

// The remembered size at 96 dpi; {0, 0} when none is usable.
SIZE RememberedEditSize() {
    std::wstring text = IniGetString(SettingsIniPath(), L"Window", L"EditSize").substr(0, 64);
    int w = 0, h = 0;
    if (swscanf(text.c_str(), L"%d,%d", &w, &h) != 2 || w < 1 || h < 1) return {0, 0};
    return {MulDiv(w, UiDpi, 96), MulDiv(h, UiDpi, 96)};
}

void UiLayoutDialog(HWND dialog, bool detect) {
    RECT client{};
    GetClientRect(dialog, &client);
    int m = DluX(dialog, 7), w = client.right - 2 * m;
    RECT ok = ItemRect(dialog, IDOK), cancel = ItemRect(dialog, IDCANCEL);
    int bh = cancel.bottom - cancel.top, top = client.bottom - m - bh;
    int cancelLeft = client.right - m - (cancel.right - cancel.left);
    UiMoveItem(dialog, IDCANCEL, cancelLeft, top, cancel.right - cancel.left, bh);
    UiMoveItem(dialog, IDOK, cancelLeft - DluX(dialog, 4) - (ok.right - ok.left), top, ok.right - ok.left,
               ok.bottom - ok.top);
    for (int id = EdLabel1; id <= EdValue2; ++id) {
        if (!GetDlgItem(dialog, id)) continue;
        RECT r = ItemRect(dialog, id);
        UiMoveItem(dialog, id, r.left, r.top, w, r.bottom - r.top);
    }
    if (detect) {
        RECT field = ItemRect(dialog, EdValue2);
        bool status = GetDlgItem(dialog, EdStatus) != nullptr;
        int bottom = top - m - (status ? DluY(dialog, 10) + DluY(dialog, 3) : 0);
        int height = std::max<int>(bottom - field.top, UiScale(20));
        UiMoveItem(dialog, EdValue2, m, field.top, w, height);
        if (status) UiMoveItem(dialog, EdStatus, m, field.top + height + DluY(dialog, 3), w, DluY(dialog, 10));
    }
    InvalidateRect(dialog, nullptr, TRUE);
}

void EnableFileCompletion(HWND edit) {
    const Ole32Dll* ole = Ole32();
    const ShlwapiDll* shlwapi = Shlwapi();
    static int comState = -1;  // -1 not tried, 0 failed, 1 ready
    if (comState < 0) comState = ole && SUCCEEDED(ole->CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) ? 1 : 0;
    if (comState == 1 && shlwapi) shlwapi->SHAutoComplete(edit, SHACF_FILESYS_ONLY);
}

HWND AddEdit(HWND dialog, EntryEditForm& form, int id, const std::wstring& text, DWORD style, const RECT& box) {
    HWND edit = UiAddDlgControl(dialog, L"Edit", text, style | WS_TABSTOP, box, id, WS_EX_CLIENTEDGE);
    SendMessageW(edit, WM_SETFONT, (WPARAM)form.monoFont, FALSE);
    return edit;
}

void AddCapsControls(HWND dialog, EntryEditForm& form) {
    for (int k = 0; k < 10; ++k)
        UiAddDlgControl(dialog, L"Button", Tr(CapsKeys[k]) + L"  (" + std::to_wstring(1 << k) + L")",
                        BS_AUTOCHECKBOX | WS_TABSTOP, DluBox(dialog, 7, 70 + 11 * k, 393, 80 + 11 * k), EdCapsBox + k, 0);
    if (form.pluginCaps >= 0)
        UiAddDlgControl(dialog, L"Button", Tr("cm_take_caps") + L"  (" + std::to_wstring(form.pluginCaps) + L")",
                        BS_PUSHBUTTON | WS_TABSTOP, DluBox(dialog, 7, 183, 157, 197), EdTakeCaps, 0);
    EditDlgSyncFlags(dialog, form);
}

// Resizable, as tall as the string needs and as the last run left it, within the monitor.
void SizeDetectDialog(HWND dialog, EntryEditForm& form) {
    SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_THICKFRAME | WS_MAXIMIZEBOX);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT win{}, client{};
    GetWindowRect(dialog, &win);
    GetClientRect(dialog, &client);
    int width = win.right - win.left, height = win.bottom - win.top;
    form.minWidth = width;
    form.minHeight = height - client.bottom + DluY(dialog, 128);
    SIZE remembered = RememberedEditSize();
    int w = std::max<int>(width, remembered.cx), h = std::max<int>(form.minHeight, remembered.cy);
    HWND edit = GetDlgItem(dialog, EdValue2);
    TEXTMETRICW tm{};
    {
        WindowDc dc(edit);
        SelectedObject font(dc.Get(), form.monoFont);
        GetTextMetricsW(dc.Get(), &tm);
    }
    int perLine = std::max(DluX(dialog, 386) / std::max<int>((int)tm.tmAveCharWidth, 1) - 3, 20);
    int lines = (int)form.value2.size() / perLine + 2;
    h = std::max(h, form.minHeight + std::max(lines * (int)tm.tmHeight - DluY(dialog, 50), 0));
    RECT work = WorkAreaOf(dialog);
    h = std::min<int>(h, (work.bottom - work.top) * 3 / 4);
    w = std::min<int>(w, work.right - work.left);
    int x = std::max<int>(win.left - (w - width) / 2, work.left), y = std::max<int>(win.top - (h - height) / 2, work.top);
    SetWindowPos(dialog, nullptr, x, y, w, h, SWP_NOACTIVATE | SWP_NOZORDER);
}

void InitDialog(HWND dialog, EntryEditForm& form) {
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)&form);
    SetWindowTextW(dialog, form.title.c_str());
    bool detect = form.detectEditor != 0;
    UiAddDlgControl(dialog, L"Static", form.label1, SS_NOPREFIX, DluBox(dialog, 7, 7, 393, 17), EdLabel1, 0);
    HWND first = AddEdit(dialog, form, EdValue1, form.value1, ES_AUTOHSCROLL, DluBox(dialog, 7, 19, 393, 32));
    UiAddDlgControl(dialog, L"Static", form.label2, SS_NOPREFIX, DluBox(dialog, 7, 38, 393, 48), EdLabel2, 0);
    DWORD secondStyle = detect ? ES_MULTILINE | WS_VSCROLL | ES_AUTOVSCROLL : ES_AUTOHSCROLL;
    HWND second = AddEdit(dialog, form, EdValue2, form.value2, secondStyle, DluBox(dialog, 7, 50, 393, 63));
    if (detect) {
        UiAddDlgControl(dialog, L"Static", L"", SS_ENDELLIPSIS | SS_NOPREFIX, DluBox(dialog, 7, 66, 393, 76), EdStatus, 0);
        SetWindowSubclass(second, DetectCompletionProc, CompletionSubclass, (DWORD_PTR)&form);
        DetectSyntaxStatus(dialog);
    }
    if (form.packer) AddCapsControls(dialog, form);
    if (form.pathField == 1 || form.pathField == 2) EnableFileCompletion(form.pathField == 1 ? first : second);
    UiAddDlgControl(dialog, L"Button", Tr("btn_ok"), BS_DEFPUSHBUTTON | WS_TABSTOP, DluBox(dialog, 279, 72, 334, 86), IDOK, 0);
    UiAddDlgControl(dialog, L"Button", Tr("btn_cancel"), BS_PUSHBUTTON | WS_TABSTOP, DluBox(dialog, 338, 72, 393, 86),
                    IDCANCEL, 0);
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
    FitDialogLayout(dialog);
    if (detect) SizeDetectDialog(dialog, form);
    UiLayoutDialog(dialog, detect);
    SetFocus(first);
    SendMessageW(first, EM_SETSEL, 0, -1);
}

void OnOk(HWND dialog, EntryEditForm& form) {
    form.value1 = UiGetItemText(dialog, EdValue1);
    form.value2 = UiGetItemText(dialog, EdValue2);
    if (!form.detectEditor) {
        EndDialog(dialog, IDOK);
        return;
    }
    if (!form.value2.empty()) {
        DsxTree tree = dsx::Parse(form.value2);
        if (tree.error.code != DsxErrNone || tree.root < 0) {
            std::wstring q = FillVar(Tr("syn_confirm"), L"m", DetectSyntaxMessage(tree.error));
            if (MessageBoxW(dialog, q.c_str(), L"Kestrovane", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
                SetFocus(GetDlgItem(dialog, EdValue2));
                return;
            }
        }
    }
    SaveEditSize(dialog);
    EndDialog(dialog, IDOK);
}

bool OnCommand(HWND dialog, EntryEditForm& form, WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam), code = HIWORD(wParam);
    HWND edit = GetDlgItem(dialog, EdValue2);
    if (form.popup && (HWND)lParam == form.popup) {
        if (code == LBN_DBLCLK || (code == LBN_SELCHANGE && GetKeyState(VK_LBUTTON) < 0)) AcAccept(edit, form);
        return true;
    }
    if (id == EdValue2 && code == EN_CHANGE && form.detectEditor) {
        // Any change but the completion's own (which closes the list first) makes
        // the remembered range stale.
        AcClosePopup(form);
        DetectSyntaxStatus(dialog);
    } else if (id == EdValue1 && code == EN_CHANGE && form.packer && !form.guard) {
        EditDlgSyncFlags(dialog, form);
    } else if (id >= EdCapsBox && id < EdCapsBox + 10 && code == BN_CLICKED && !form.guard) {
        CapsBoxClicked(dialog, form);
    } else if (id == EdTakeCaps && code == BN_CLICKED) {
        SetDlgItemTextW(dialog, EdValue1, std::to_wstring(form.pluginCaps).c_str());
    } else if (id == IDOK) {
        OnOk(dialog, form);
    } else if (id == IDCANCEL) {
        if (form.detectEditor) SaveEditSize(dialog);
        EndDialog(dialog, IDCANCEL);
    } else {
        return false;
    }
    return true;
}

std::wstring TooLongText(size_t chars) {
    return FillVars(Tr("syn_toolong"), {{L"n", std::to_wstring(chars)}, {L"m", std::to_wstring(MaxDetectChars)}});
}

}  // namespace

std::wstring UiGetItemText(HWND dialog, int id) {
    std::wstring s = WindowText(GetDlgItem(dialog, id));
    std::erase(s, L'\r');
    std::erase(s, L'\n');
    return StrTrim(s);
}

int EditDlgReadNumber(HWND dialog) {
    std::wstring s = StrTrim(WindowText(GetDlgItem(dialog, EdValue1)).substr(0, 15));
    if (s.empty() || s.find_first_not_of(L"0123456789") != std::wstring::npos) return -1;
    long long v = wcstoll(s.c_str(), nullptr, 10);
    // A number too large for the field is refused, never wrapped into a small one.
    return v > INT_MAX ? -1 : (int)v;
}

void DetectSyntaxStatus(HWND dialog) {
    HWND status = GetDlgItem(dialog, EdStatus);
    if (!status) return;
    std::wstring text = WindowText(GetDlgItem(dialog, EdValue2));
    std::replace(text.begin(), text.end(), L'\r', L' ');
    std::replace(text.begin(), text.end(), L'\n', L' ');
    DsxTree tree = dsx::Parse(text);
    std::wstring msg = DetectSyntaxMessage(tree.error);
    bool readsContent = tree.error.code == DsxErrNone && tree.root >= 0 && DsxClassify(tree).readsContent;
    std::wstring trimmed = StrTrim(text);
    size_t n = trimmed.size() + 2;
    std::wstring shown = trimmed.empty()       ? Tr("syn_empty")
                         : !msg.empty()       ? msg
                         : n > MaxDetectChars ? TooLongText(n)
                         : readsContent       ? Tr("syn_ok_8k")
                                              : Tr("syn_ok");
    SetWindowTextW(status, shown.c_str());
    SetPropW(status, ErrProp, (HANDLE)(INT_PTR)(!msg.empty() || n > MaxDetectChars ? 2 : 1));
    InvalidateRect(status, nullptr, TRUE);
}

int DetectStatusState(HWND dialog) {
    HWND status = GetDlgItem(dialog, EdStatus);
    return status ? (int)(INT_PTR)GetPropW(status, ErrProp) : 0;
}

void ShowDetectCompletion(HWND edit, EntryEditForm& form) {
    DWORD start = 0, caret = 0;
    SendMessageW(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&caret);
    if (start != caret) return;
    DetectCompletion c = DetectCompletions(WindowText(edit), (int)caret, form.knownExts, form.ownExtCount);
    if (c.candidates.empty()) return;
    form.replaceStart = c.replaceStart;
    form.replaceEnd = (int)caret;
    if (c.candidates.size() == 1) {
        ReplaceRange(edit, form.replaceStart, form.replaceEnd, c.candidates[0]);
        if (c.candidates[0] == NextAlternativeText) ShowDetectCompletion(edit, form);
        return;
    }
    std::wstring common = CommonBeginning(c.candidates);
    if (common.size() > c.typed.size()) {
        ReplaceRange(edit, form.replaceStart, form.replaceEnd, common);
        return;
    }
    AcClosePopup(form);
    form.candidates = c.candidates;
    OpenPopup(edit, form, (int)caret);
}

void AcAccept(HWND edit, EntryEditForm& form) {
    int index = form.popup ? (int)SendMessageW(form.popup, LB_GETCURSEL, 0, 0) : -1;
    AcClosePopup(form);
    if (index >= 0 && (size_t)index < form.candidates.size())
        ReplaceRange(edit, form.replaceStart, form.replaceEnd, form.candidates[(size_t)index]);
    SetFocus(edit);
}

void AcClosePopup(EntryEditForm& form) {
    if (form.popup) DestroyWindow(std::exchange(form.popup, nullptr));
}

INT_PTR CALLBACK DetectEditDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        InitDialog(dialog, *reinterpret_cast<EntryEditForm*>(lParam));
        return FALSE;
    }
    EntryEditForm* form = FormOf(dialog);
    if (!form) return FALSE;
    switch (msg) {
    case WM_COMMAND: return OnCommand(dialog, *form, wParam, lParam);
    case WM_CTLCOLORSTATIC: {
        HWND control = (HWND)lParam;
        if (control != GetDlgItem(dialog, EdStatus) || (INT_PTR)GetPropW(control, ErrProp) != 2) return FALSE;
        HDC dc = (HDC)wParam;
        SetTextColor(dc, RGB(192, 40, 28));
        SetBkMode(dc, TRANSPARENT);
        return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
    }
    case WM_GETMINMAXINFO:
        if (form->minWidth) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {form->minWidth, form->minHeight};
        }
        return TRUE;
    case WM_SIZE:
        AcClosePopup(*form);
        UiLayoutDialog(dialog, form->detectEditor != 0);
        return TRUE;
    case WM_DESTROY:
        AcClosePopup(*form);
        if (HWND status = GetDlgItem(dialog, EdStatus)) RemovePropW(status, ErrProp);
        return FALSE;
    }
    return FALSE;
}

bool EditEntryDialog(HWND owner, EntryEditForm& form) {
    // The fixed-pitch UI font of the window; a dialog run without it makes its own.
    GdiHandle<HFONT> own;
    form.monoFont = UiFontFixed;
    if (!form.monoFont) {
        own.Reset(CreateFontW(-MulDiv(9, UiDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN,
                              L"Consolas"));
        form.monoFont = own.Get();
    }
    bool ok = EditEntryDialog(owner, DetectEditDlgProc, (LPARAM)&form, form.packer != 0);
    form.monoFont = nullptr;
    return ok;
}
