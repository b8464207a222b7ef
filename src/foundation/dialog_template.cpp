#include "foundation/dialog_template.h"

#include <algorithm>
#include <map>

#include "foundation/handles.h"
#include "foundation/ui_globals.h"

void PushWord(std::vector<uint16_t>& words, uint16_t value) { words.push_back(value); }

std::vector<uint32_t> BuildDlgTemplate(uint16_t cx, uint16_t cy, DWORD extraStyle) {
    constexpr DWORD baseStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME |
                                DS_SETFONT | DS_FIXEDSYS;
    DWORD style = baseStyle | (extraStyle & 0xFFFF0000u);
    std::vector<uint16_t> words;
    PushWord(words, LOWORD(style));
    PushWord(words, HIWORD(style));
    PushWord(words, 0);  // extended style
    PushWord(words, 0);
    PushWord(words, 0);  // no controls: the procedure creates them
    PushWord(words, 0);  // x, y: DS_CENTER places the dialog
    PushWord(words, 0);
    PushWord(words, cx);
    PushWord(words, cy);
    PushWord(words, 0);  // no menu
    PushWord(words, 0);  // the standard dialog class
    PushWord(words, 0);  // empty title: the procedure sets it
    PushWord(words, 8);  // point size
    for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) PushWord(words, static_cast<uint16_t>(*c));
    PushWord(words, 0);
    std::vector<uint32_t> buffer((words.size() + 1) / 2, 0);
    std::copy(words.begin(), words.end(), reinterpret_cast<uint16_t*>(buffer.data()));
    return buffer;
}

INT_PTR RunTemplateDialog(HWND owner, uint16_t cx, uint16_t cy, DWORD extraStyle, DLGPROC proc,
                          LPARAM param) {
    std::vector<uint32_t> tmpl = BuildDlgTemplate(cx, cy, extraStyle);
    return DialogBoxIndirectParamW(AppInstance, reinterpret_cast<LPCDLGTEMPLATEW>(tmpl.data()), owner,
                                   proc, param);
}

bool EditEntryDialog(HWND owner, DLGPROC editorProc, LPARAM editRecord, bool capabilityForm) {
    return RunTemplateDialog(owner, 400, capabilityForm ? 224 : 92, 0, editorProc, editRecord) == IDOK;
}

BOOL CALLBACK EnumButtonsProc(HWND window, LPARAM buttons) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    // Push and default push buttons only: check boxes, radios, group boxes and
    // owner-drawn buttons keep their size.
    if (_wcsicmp(cls, L"Button") == 0 && (style & 0x0E) == 0)
        reinterpret_cast<std::vector<HWND>*>(buttons)->push_back(window);
    return TRUE;
}

namespace {

struct FitButton {
    HWND window;
    RECT box;  // dialog client coordinates
    int needed;
};

int CaptionWidth(HWND button) {
    wchar_t text[257] = {};
    GetWindowTextW(button, text, 257);
    std::wstring caption(text);
    std::erase(caption, L'&');  // doubled ampersands too: both go
    return UiTextWidth(button, caption);
}

void FitButtonRow(std::vector<FitButton>& row) {
    std::sort(row.begin(), row.end(), [](const FitButton& a, const FitButton& b) { return a.box.right > b.box.right; });
    const int gap = UiScale(4);
    bool first = true;
    int limit = 0;
    for (const FitButton& b : row) {
        int width = std::max<int>(b.box.right - b.box.left, b.needed);
        int right = (first || b.box.right <= limit - gap) ? b.box.right : limit - gap;
        int left = right - width;
        if (left != b.box.left)
            SetWindowPos(b.window, nullptr, left, b.box.top, width, b.box.bottom - b.box.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        limit = left;
        first = false;
    }
}

}  // namespace

void FitDialogLayout(HWND dialog) {
    std::vector<HWND> buttons;
    EnumChildWindows(dialog, EnumButtonsProc, reinterpret_cast<LPARAM>(&buttons));
    std::map<LONG, std::vector<FitButton>> rows;  // by top edge
    for (HWND button : buttons) {
        if (GetParent(button) != dialog) continue;
        RECT box = UiItemRect(dialog, button);
        rows[box.top].push_back({button, box, CaptionWidth(button) + UiScale(20)});
    }
    for (auto& [top, row] : rows) FitButtonRow(row);
}

int UiTextWidth(HWND control, const std::wstring& text) {
    WindowDc dc(control);
    SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

HWND UiAddDlgControl(HWND dialog, const wchar_t* className, const std::wstring& text, DWORD style,
                     const RECT& box, int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD | WS_VISIBLE, box.left,
                                   box.top, box.right - box.left, box.bottom - box.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
    if (control) SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    return control;
}

RECT UiItemRect(HWND dialog, HWND item) {
    RECT r{};
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void UiMoveItem(HWND dialog, int id, int x, int y, int width, int height) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return;
    SetWindowPos(item, nullptr, x, y, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}
