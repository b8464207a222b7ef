#include "views/list_subclass.h"

#include <commctrl.h>

#include <algorithm>

#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/cell_tips.h"
#include "views/drawn_icons.h"
#include "views/extra_columns.h"
#include "views/main_view.h"
#include "views/window_layout.h"

namespace {

void PostFitPath(const MainView& view, HWND list) {
    HWND main = view.controls.main;
    if (list == view.controls.pluginList && main) PostMessageW(main, MsgFitPathColumn, 0, 0);
}

LRESULT ExtraColumnMenu(MainView& view) {
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < 13; ++i) {
        if (i == 4 || i == 9) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        bool shown = std::find(ExtraColIds.begin(), ExtraColIds.end(), i) != ExtraColIds.end();
        AppendMenuW(menu, MF_STRING | (shown ? MF_CHECKED : 0), 100 + i, Tr(ExtraColumnTable[i].titleKey).c_str());
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | (ExtraColIds.empty() ? MF_GRAYED : 0), 99, Tr("xc_none").c_str());
    POINT at{};
    GetCursorPos(&at);
    int choice = static_cast<int>(view.host.PopupMenu(view.controls.main, at, menu));
    DestroyMenu(menu);
    if (choice) {
        SetExtraCols(view, ExtraColsAfterChoice(ExtraColIds, choice));
        SaveExtraCols(view);
        XcolStartWorker(view);
    }
    return 1;
}

// The last column keeps the width the user gave it; the others make the path column refit.
LRESULT EndTrack(const MainView& view, HWND list, UINT msg, WPARAM wParam, LPARAM lParam, const NMHEADERW* header) {
    // The notification's width is read first: the list may change the record while it handles it.
    bool given = header->hdr.code == HDN_ENDTRACKW && header->pitem && (header->pitem->mask & HDI_WIDTH);
    int givenWidth = given ? header->pitem->cxy : 0;
    LRESULT result = DefSubclassProc(list, msg, wParam, lParam);
    HWND headerWnd = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int last = static_cast<int>(SendMessageW(headerWnd, HDM_GETITEMCOUNT, 0, 0)) - 1;
    if (header->iItem == last)
        ListMinWidths[list] = given ? givenWidth : static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, last, 0));
    PostFitPath(view, list);
    return result;
}

LRESULT OnListNotify(MainView& view, HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    LRESULT drawn = 0;
    if (DrawHeader(reinterpret_cast<NMCUSTOMDRAW*>(lParam), drawn)) return drawn;
    HWND headerWnd = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    if (header->code == NM_RCLICK && list == view.controls.pluginList && header->hwndFrom == headerWnd)
        return ExtraColumnMenu(view);
    if (header->code == HDN_ENDTRACKW || header->code == HDN_DIVIDERDBLCLICKW)
        return EndTrack(view, list, msg, wParam, lParam, reinterpret_cast<NMHEADERW*>(lParam));
    bool tipCode = header->code == TTN_GETDISPINFOW || header->code == TTN_SHOW;
    bool fromOwnTip = tipCode && header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(list, LVM_GETTOOLTIPS, 0, 0));
    // Set when the tip asks for its text, before it is sized: asking the list for its
    // tooltip earlier makes Wine create one per list at start, a top-level window each.
    if (header->code == TTN_GETDISPINFOW && fromOwnTip) SendMessageW(header->hwndFrom, TTM_SETMAXTIPWIDTH, 0, UiScale(460));
    if (header->code == TTN_SHOW && fromOwnTip) {
        LVHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ScreenToClient(list, &hit.pt);
        SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        bool infoTips = (SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_INFOTIP) != 0;
        if (!infoTips || hit.iSubItem != 0) {
            // The list's own tip must never cover the cell tips.
            SetWindowPos(header->hwndFrom, nullptr, -32000, -32000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 1;
        }
    }
    return DefSubclassProc(list, msg, wParam, lParam);
}

}  // namespace

int OrderOpOfKey(WPARAM key) {
    switch (key) {
    case VK_HOME: return 2;
    case VK_UP: return 0;
    case VK_DOWN: return 1;
    case VK_END: return 3;
    default: return -1;
    }
}

std::vector<int32_t> ExtraColsAfterChoice(const std::vector<int32_t>& shown, int choice) {
    if (choice == 99) return {};
    int row = choice - 100;
    if (row < 0 || row >= 13) return shown;
    std::vector<int32_t> next = shown;
    if (auto at = std::find(next.begin(), next.end(), row); at != next.end()) next.erase(at);
    else next.push_back(row);
    std::sort(next.begin(), next.end());
    return next;
}

LRESULT CALLBACK ListSubclass(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    MainView& view = *reinterpret_cast<MainView*>(data);
    const MainControls& c = view.controls;
    switch (msg) {
    case WM_KEYDOWN:
        UiHideTrackTip(view);
        if (list == c.pluginList && GetKeyState(VK_CONTROL) < 0 && OrderOpOfKey(wParam) >= 0) {
            view.host.MoveSelectedEntries(OrderOpOfKey(wParam));
            return 0;
        }
        break;
    case WM_NOTIFY:
        return OnListNotify(view, list, msg, wParam, lParam);
    case WM_GETDLGCODE:
        if ((list == c.pluginList || list == c.findingsList || list == c.inventoryList) && lParam &&
            reinterpret_cast<MSG*>(lParam)->message == WM_KEYDOWN && reinterpret_cast<MSG*>(lParam)->wParam == VK_RETURN)
            return DefSubclassProc(list, msg, wParam, lParam) | DLGC_WANTALLKEYS;
        break;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, list, 0};
        TrackMouseEvent(&track);
        CellTipShow(view, list, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        break;
    }
    case WM_KILLFOCUS:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSELEAVE:
        UiHideTrackTip(view);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(list, ListSubclass, 1);
        break;
    }
    return DefSubclassProc(list, msg, wParam, lParam);
}

void SubclassList(MainView& view, HWND list) {
    if (list) SetWindowSubclass(list, ListSubclass, 1, reinterpret_cast<DWORD_PTR>(&view));
}
