#include "views/cell_tips.h"

#include <commctrl.h>

#include <algorithm>

#include "analyses/content_preview.h"
#include "analyses/plugin_caches.h"
#include "analyses/preview_texts.h"
#include "foundation/dialog_template.h"
#include "foundation/list_view.h"
#include "foundation/logs.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "views/extra_columns.h"
#include "views/list_rows.h"
#include "views/preview_lists.h"
#include "views/row_status.h"
#include "views/window_layout.h"

namespace {

TTTOOLINFOW ToolInfo(MainView& view) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = view.controls.main;
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(view.cellTip.text.c_str());
    return tool;
}

void CreateCellTip(MainView& view, HWND list) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                               0, 0, 0, view.controls.main, nullptr, AppInstance, nullptr);
    view.cellTip.window = tip;
    if (!tip) return;
    TTTOOLINFOW tool = ToolInfo(view);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, UiScale(460));
}

bool TextFits(HWND list, const std::wstring& text, const RECT& cell) {
    return UiTextWidth(list, text) + UiScale(12) <= cell.right - cell.left;
}

RECT WorkAreaOf(const RECT& cell) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromRect(&cell, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

void ShowTipAt(MainView& view, const RECT& cellOnScreen) {
    HWND tip = view.cellTip.window;
    TTTOOLINFOW tool = ToolInfo(view);
    SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    DWORD bubble = static_cast<DWORD>(SendMessageW(tip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool)));
    SIZE size{LOWORD(bubble), HIWORD(bubble)};
    RECT work = WorkAreaOf(cellOnScreen);
    POINT at = TipPlace(cellOnScreen, size, work, UiScale(2));
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    RECT real{};
    if (!GetWindowRect(tip, &real)) return;
    SIZE realSize{real.right - real.left, real.bottom - real.top};
    POINT again = TipPlace(cellOnScreen, realSize, work, UiScale(2));
    if (again.x != at.x || again.y != at.y) {
        SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(again.x, again.y));
        SetWindowPos(tip, nullptr, again.x, again.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    DebugLog(L"celltip bubble " + std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy) + L", window " +
             std::to_wstring(realSize.cx) + L"x" + std::to_wstring(realSize.cy) + L" at " + std::to_wstring(again.x) +
             L"," + std::to_wstring(again.y) + L", work right " + std::to_wstring(work.right));
}

std::wstring StatusTip(const PlugEntry& entry) {
    const StatusGlyph& g = RowStateGlyph(entry);
    return std::wstring(g.glyph) + L"  " + Tr(g.shortKey) + L"\n" + Tr(g.legendKey);
}

std::wstring UsedTip(HWND pluginList, int row) {
    std::wstring key = LvRowContentPlugKey(pluginList, row);
    if (key.empty()) return L"";
    std::wstring text = FieldUsageText(CurrentFieldUsage(), key, L"");
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text;
}

std::wstring FieldUsedTip(const MainView& view, int item) {
    const PvRowRef* ref = PvRowOfItem(view, ListViewItemData(view.controls.pvFieldList, item));
    const FieldDef* field = ref ? PvFieldAt(*ref) : nullptr;
    return field ? FieldUsageTextFor(CurrentFieldUsage(), PvPlugins[ref->row].key, field->name) : L"";
}

// The explanation a cell gives even when its text fits; a forced cell explains itself
// even when it shows no text (its badges), and shows no tip without an explanation.
std::wstring ExplainingTip(const MainView& view, HWND list, int row, int column, const std::wstring& cellText,
                          bool& forced) {
    bool plugins = list == view.controls.pluginList, fields = list == view.controls.pvFieldList;
    forced = (plugins && column == XcolFindUsedColumn()) || (fields && column == PvUsedColumn);
    if (plugins && column == 3)
        if (const PlugEntry* entry = PluginListEntry(list, row)) return StatusTip(*entry);
    if (plugins && column == PathColumn && cellText.find(L'\u2026') != std::wstring::npos)
        return SelectedRowPath(list, row);  // the path cell was shortened to fit
    if (plugins && column == XcolFindUsedColumn()) return UsedTip(list, row);
    if (fields && column == PvUsedColumn) return FieldUsedTip(view, row);
    return L"";
}

}  // namespace

bool CellRect(HWND list, int row, int column, RECT& cell) {
    cell = {};
    cell.top = column;
    cell.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    if (!SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return false;
    if (column != 0) cell.right = cell.left + static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    return true;
}

std::wstring ShortenTipText(const std::wstring& text) {
    size_t lines = 1, stop = 0;
    bool cut = false;
    for (; stop < text.size(); ++stop) {
        if (stop >= 500) {
            cut = true;
            break;
        }
        if (text[stop] == L'\n' && ++lines > 12) {
            cut = true;
            break;
        }
    }
    if (!cut) return text;
    std::wstring kept = text.substr(0, stop);
    size_t blank = kept.find_last_of(L" \t\n");
    if (blank != std::wstring::npos && blank > kept.size() * 3 / 4) kept.resize(blank);
    while (!kept.empty() && (kept.back() == L'\n' || kept.back() == L'\r' || kept.back() == L' ')) kept.pop_back();
    return kept + L"\u2026\r\n\r\n" + Tr("tip_more");
}

POINT TipPlace(const RECT& cell, SIZE tip, const RECT& work, int gap) {
    POINT at{cell.left, cell.bottom + gap};
    if (at.x + tip.cx > work.right) at.x = std::max<LONG>(work.right - tip.cx, work.left);
    if (at.y + tip.cy > work.bottom) at.y = std::max<LONG>(cell.top - gap - tip.cy, work.top);
    return at;
}

void UiHideTrackTip(MainView& view) {
    CellTipState& tip = view.cellTip;
    if (tip.window && tip.list) {
        TTTOOLINFOW tool = ToolInfo(view);
        SendMessageW(tip.window, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    }
    tip.list = nullptr;
    tip.row = tip.column = -1;
}

void CellTipShow(MainView& view, HWND list, POINT point) {
    CellTipState& tip = view.cellTip;
    LVHITTESTINFO hit{};
    hit.pt = point;
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0) {
        UiHideTrackTip(view);
        return;
    }
    if (tip.list == list && tip.row == hit.iItem && tip.column == hit.iSubItem) return;
    UiHideTrackTip(view);
    auto exStyle = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    if ((exStyle & LVS_EX_INFOTIP) && hit.iSubItem == 0) return;
    std::wstring cellText = ListViewCellText(list, hit.iItem, hit.iSubItem, 2048);
    bool forced = false;
    std::wstring special = ExplainingTip(view, list, hit.iItem, hit.iSubItem, cellText, forced);
    if (!forced && cellText.empty()) return;
    RECT cell{};
    if (!CellRect(list, hit.iItem, hit.iSubItem, cell)) return;
    if (forced && special.empty()) return;
    std::wstring text = special;
    if (text.empty()) {
        if (TextFits(list, cellText, cell)) return;
        text = cellText;
    }
    if (!tip.window) CreateCellTip(view, list);
    if (!tip.window) return;
    tip.text = ShortenTipText(text);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&cell), 2);
    ShowTipAt(view, cell);
    tip.list = list;
    tip.row = hit.iItem;
    tip.column = hit.iSubItem;
}
