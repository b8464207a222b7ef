#include "views/key_bar.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "foundation/handles.h"
#include "foundation/texts.h"
#include "views/page_window.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"

namespace {

KeyBarItem Item(const wchar_t* key, const char* action, int command) { return {key, Tr(action), command}; }
KeyBarItem ItemTr(const char* key, const char* action, int command) { return {Tr(key), Tr(action), command}; }

RECT CellRect(const RECT& bar, int i, int n) {
    RECT cell;
    UiGridCell(cell, bar, i, n);
    return cell;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    GdiHandle<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.Get());
}

}  // namespace

std::vector<KeyBarItem> BuildKeyBar(const MainView& view) {
    std::vector<KeyBarItem> items{Item(L"F1", "kb_help", 211)};
    auto add = [&](std::initializer_list<KeyBarItem> more) { items.insert(items.end(), more); };
    if (view.tabIsPreview) {
        add({Item(L"", "pv_pick_c", 142), Item(L"", "pv_pick_l", 151), ItemTr("kbk_ctrlf", "kb_find", 213),
             ItemTr("kbk_shiftf1", "kb_legend", 204)});
    } else if (view.tabIsFindings) {
        add({Item(L"Enter", "kb_jump", 220), Item(L"F4", "kb_edit", 216), ItemTr("kbk_ins", "kb_ack", 221),
             ItemTr("kbk_ctrlf", "kb_find", 213), ItemTr("kbk_ctrls", "kb_save", 208)});
    } else if (view.tabIsInventory) {
        add({Item(L"Enter", "kb_open", 223), ItemTr("kbk_ctrlf", "kb_find", 213), Item(L"F5", "kb_reload", 201)});
    } else {
        add({Item(L"F4", "kb_edit", 216), ItemTr("kbk_del", "kb_del", 217)});
        HWND tabs = view.controls.tabCtl;
        unsigned kind = tabs ? (unsigned)TabCtrl_GetCurSel(tabs) : 0;
        if (kind <= 1) add({ItemTr("kbk_ctrlup", "kb_up", 218), ItemTr("kbk_ctrldown", "kb_down", 219)});
        add({ItemTr("kbk_altenter", "kb_info", 207), ItemTr("kbk_ctrli", "kb_inst", 224), Item(L"", "kb_uninst", 222),
             ItemTr("kbk_ctrlf", "kb_find", 213), ItemTr("kbk_ctrls", "kb_save", 208)});
    }
    return items;
}

int KeyBarCellAt(const RECT& bar, int n, POINT point) {
    for (int i = 0; i < n; ++i) {
        RECT cell = CellRect(bar, i, n);
        if (point.x >= cell.left && point.x < cell.right && point.y >= cell.top && point.y < cell.bottom) return i;
    }
    return -1;
}

void PaintKeyBar(const MainView& view, const DRAWITEMSTRUCT* draw) {
    const ThemeColors& t = *CurrentTheme;
    COLORREF back = t.custom ? t.slot[1] : GetSysColor(COLOR_WINDOW);
    COLORREF frame = t.custom ? t.slot[16] : GetSysColor(COLOR_BTNSHADOW);
    COLORREF text = t.custom ? t.slot[2] : GetSysColor(COLOR_WINDOWTEXT);
    COLORREF pressed = t.custom ? t.slot[3] : GetSysColor(COLOR_3DLIGHT);
    HDC dc = draw->hDC;
    FillRect(dc, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, UiFont);
    HFONT keyFont = UiFontSemibold ? UiFontSemibold : UiFont;
    std::vector<KeyBarItem> items = BuildKeyBar(view);
    int n = (int)items.size();
    for (int i = 0; i < n; ++i) {
        RECT cell = CellRect(draw->rcItem, i, n);
        FillSolid(dc, cell, frame);
        RECT inner{cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1};
        FillSolid(dc, inner, i == view.keyBarPressed ? pressed : back);
        std::wstring key = items[i].key.empty() ? L"" : items[i].key + L" ";
        SIZE keySize{}, actionSize{};
        SelectObject(dc, keyFont);
        GetTextExtentPoint32W(dc, key.c_str(), (int)key.size(), &keySize);
        SelectObject(dc, UiFont);
        GetTextExtentPoint32W(dc, items[i].action.c_str(), (int)items[i].action.size(), &actionSize);
        int margin = std::max(((int)(inner.right - inner.left) - (int)keySize.cx - (int)actionSize.cx) / 2, UiScale(4));
        RECT textRect{inner.left + margin, inner.top, inner.right - UiScale(2), inner.bottom};
        if (!key.empty()) {
            SelectObject(dc, keyFont);
            SetTextColor(dc, CurrentTheme->slot[18]);
            DrawTextW(dc, key.c_str(), (int)key.size(), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            textRect.left += keySize.cx;
        }
        SelectObject(dc, UiFont);
        SetTextColor(dc, text);
        DrawTextW(dc, items[i].action.c_str(), (int)items[i].action.size(), &textRect,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK KeyBarWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    MainView& view = *reinterpret_cast<MainView*>(data);
    switch (msg) {
    case WM_NCHITTEST: return HTCLIENT;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        RECT client;
        GetClientRect(window, &client);
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        view.keyBarPressed = KeyBarCellAt(client, (int)BuildKeyBar(view).size(), at);
        if (view.keyBarPressed >= 0) {
            SetCapture(window);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        if (view.keyBarPressed < 0) return 0;
        int pressed = view.keyBarPressed;
        view.keyBarPressed = -1;  // before the release: WM_CAPTURECHANGED must find nothing to clear
        ReleaseCapture();
        RECT client;
        GetClientRect(window, &client);
        std::vector<KeyBarItem> items = BuildKeyBar(view);
        InvalidateRect(window, nullptr, FALSE);
        if (pressed < (int)items.size() &&
            KeyBarCellAt(client, (int)items.size(), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == pressed)
            PostMessageW(view.controls.main, WM_COMMAND, (WPARAM)items[(size_t)pressed].command, 0);
        return 0;
    }
    // Losing the mouse to another window must not leave a cell drawn pressed.
    case WM_CAPTURECHANGED:
        if (view.keyBarPressed >= 0) {
            view.keyBarPressed = -1;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}
