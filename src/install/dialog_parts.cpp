#include "install/dialog_parts.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

#include "install/report.h"
#include "install/report_look.h"
#include "foundation/dialog_template.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"

void UiCenterOnParent(HWND window, int width, int height) {
    HWND owner = GetParent(window);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& work = mi.rcWork;
    width = std::min(width, (int)(work.right - work.left));
    height = std::min(height, (int)(work.bottom - work.top));
    RECT ref = work;
    if (owner) GetWindowRect(owner, &ref);
    int x = (ref.left + ref.right - width) / 2, y = (ref.top + ref.bottom - height) / 2;
    x = std::max((int)work.left, std::min(x, (int)work.right - width));
    y = std::max((int)work.top, std::min(y, (int)work.bottom - height));
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND UiAddControlAt(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                    DWORD exStyle, HFONT font, int x, int y, int width, int height) {
    HWND control = UiAddDlgControl(parent, className, text, style, RECT{x, y, x + width, y + height}, id, exStyle);
    if (control) SendMessageW(control, WM_SETFONT, (WPARAM)(font ? font : UiFont), FALSE);
    return control;
}

HWND UiAddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                  DWORD exStyle, HFONT font) {
    return UiAddControlAt(parent, className, text, style, id, exStyle, font, 0, 0, 0, 0);
}

void RichSetText(HWND richEdit, const std::string& rtf) {
    SETTEXTEX set{ST_DEFAULT, CP_ACP};
    SendMessageW(richEdit, EM_SETTEXTEX, (WPARAM)&set, (LPARAM)rtf.c_str());
    SendMessageW(richEdit, EM_SETBKGNDCOLOR, 0, (LPARAM)ThemeWindowColor());
}

bool RichEditReady() {
    // Kept loaded for the life of the process, as the window class needs it.
    static const bool ready = LoadLibraryW(L"Msftedit.dll") != nullptr;
    return ready;
}

const wchar_t* ReportBoxClass() { return RichEditReady() ? MSFTEDIT_CLASS : L"Edit"; }

void ShowReportInBox(HWND box, const std::vector<ReportRow>& rows) {
    if (RichEditReady()) {
        SendMessageW(box, EM_SETTARGETDEVICE, 0, 0);
        RichSetText(box, ReportToRtf(rows, CurrentReportLook()));
    } else {
        SetWindowTextW(box, FormatChecklist(rows).c_str());
    }
}

std::wstring DlgItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::wstring text((size_t)std::max(0, GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize((size_t)GetWindowTextW(item, text.data(), (int)text.size()));
    return text;
}
