#include "views/legend.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "foundation/data_folder.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/list_view.h"
#include "foundation/system_dlls.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/drawn_icons.h"
#include "views/list_subclass.h"
#include "views/main_colors.h"
#include "views/row_status.h"

std::vector<LegendRow> LegendRows;
std::vector<LegendLine> LegendLines;

namespace {

bool ListHasTheme(HWND list) {
    const UxthemeDll* uxtheme = Uxtheme();
    return uxtheme && uxtheme->GetWindowTheme(list);
}

constexpr UINT MsgLegendRewrap = WM_APP + 1;
constexpr int IdLegendList = 1;
const wchar_t kIndent[] = L"    ";

void AddHeading(const char* key, bool spacer) {
    if (spacer) AddLegendRow(L"", L"", L"", 0);
    AddLegendRow(L"", Tr(key), L"", 0);
}

void AddKeyed(const std::wstring& symbol, const char* meaning, const char* explanation, uint32_t style = 0) {
    AddLegendRow(symbol.empty() ? symbol : kIndent + symbol, Tr(meaning), Tr(explanation), style);
}

void AddGlyphRows() {
    size_t count = 0;
    const StatusGlyph* glyphs = StatusGlyphs(count);
    for (size_t i = 0; i < count; ++i) AddKeyed(glyphs[i].glyph, glyphs[i].shortKey, glyphs[i].legendKey);
}

void AddPackerRows() {
    static const char* const kBits[][2] = {
        {"pk_new", "pkx_new"},         {"pk_modify", "pkx_modify"},       {"pk_multiple", "pkx_multiple"},
        {"pk_delete", "pkx_delete"},   {"pk_options", "pkx_options"},     {"pk_mempack", "pkx_mempack"},
        {"pk_bycontent", "pkx_bycontent"}, {"pk_searchtext", "pkx_searchtext"}, {"pk_hide", "pkx_hide"},
        {"pk_encrypt", "pkx_encrypt"}};
    AddKeyed(L"735", "lgp_number", "lgpx_number");
    int bit = 1;
    for (const auto& keys : kBits) {
        AddKeyed(std::to_wstring(bit), keys[0], keys[1]);
        bit *= 2;
    }
    AddKeyed(L"\u2260", "chk_capsdiff", "lgx_capsdiff");
}

void AddListedRows(std::initializer_list<const char*> meanings, std::initializer_list<const char*> explanations,
                   uint32_t firstStyle, uint32_t styleStep) {
    auto e = explanations.begin();
    uint32_t style = firstStyle;
    for (const char* m : meanings) {
        AddKeyed(L"", m, *e++, style);
        style += styleStep;
    }
}

int LegendMeasure(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Screen pixels "x,y,w,h" of the saved place, when it still lies on a monitor.
bool SavedLegendPlace(RECT& place) {
    std::wstring text = IniGetString(SettingsIniPath(), L"Window", L"LegendPos").substr(0, 63);
    long x, y, w, h;
    wchar_t rest;
    if (swscanf(text.c_str(), L"%ld,%ld,%ld,%ld%lc", &x, &y, &w, &h, &rest) != 4) return false;
    if (w <= 200 || h <= 150) return false;
    RECT r{x, y, x + w, y + h};
    HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT common;
    if (!monitor || !GetMonitorInfoW(monitor, &info) || !IntersectRect(&common, &r, &info.rcWork)) return false;
    place = r;
    return true;
}

void SaveLegendPlace(HWND window) {
    std::wstring ini = SettingsIniPath();
    IniEnsureUtf16(ini);
    RECT r{};
    if (!IsIconic(window) && GetWindowRect(window, &r)) {
        wchar_t pos[64];
        swprintf(pos, 64, L"%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
        WriteSettingsIniValue(L"Window", L"LegendPos", pos);
    }
    std::wstring widths = ListViewColumnWidths(GetDlgItem(window, IdLegendList), true);
    WriteSettingsIniValue(L"Window", L"ColsLegend", widths.c_str());
}

HWND CreateLegendList(MainView& view, HWND window) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, 0, 0, 0, 0,
                                window, reinterpret_cast<HMENU>(IdLegendList), AppInstance, nullptr);
    if (!list) return nullptr;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ThemeSetWindowTheme(list, L"Explorer", nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont), FALSE);
    ThemeListView(list);
    SubclassList(view, list);
    ListViewAddColumn(list, 0, Tr("lg_symbol"), UiScale(70), LVCFMT_LEFT);
    ListViewAddColumn(list, 1, Tr("lg_meaning"), UiScale(170), LVCFMT_LEFT);
    ListViewAddColumn(list, 2, Tr("lg_explain"), UiScale(420), LVCFMT_LEFT);
    return list;
}

// A heading has only a meaning. Its cell holds it, for screen readers and copying, but
// it is drawn across the explanation column, so that a long one is not cut at the
// meaning column's edge.
bool IsHeading(const LegendRow& row) { return row.symbol.empty() && row.explanation.empty() && !row.meaning.empty(); }

// The meanings are never wrapped: the column starts wide enough for the longest one,
// but leaves the explanations at least half of the window.
void FitMeaningColumn(HWND list) {
    int widest = UiScale(170);
    for (const LegendRow& row : LegendRows) {
        if (IsHeading(row)) continue;
        int width = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                  reinterpret_cast<LPARAM>(row.meaning.c_str())));
        widest = std::max(widest, width + UiScale(16));
    }
    widest = std::min(widest, UiScale(700) / 2 - UiScale(70));
    ListView_SetColumnWidth(list, 1, std::max(widest, UiScale(170)));
}

void DrawHeading(const NMLVCUSTOMDRAW* draw, const LegendRow& row) {
    HWND list = draw->nmcd.hdr.hwndFrom;
    auto item = static_cast<int>(draw->nmcd.dwItemSpec);
    RECT cell{}, whole{};
    ListView_GetSubItemRect(list, item, 1, LVIR_LABEL, &cell);
    ListView_GetItemRect(list, item, &whole, LVIR_BOUNDS);
    cell.left += 3 * GetSystemMetrics(SM_CXEDGE);  // where the list starts a cell's text, at any dpi
    cell.right = whole.right;
    COLORREF color = ListView_GetTextColor(list);
    if (color == CLR_DEFAULT) color = GetSysColor(COLOR_WINDOWTEXT);
    if (ListView_GetItemState(list, item, LVIS_SELECTED)) {
        // An unthemed list marks the selection in the system's highlight colours while it has the focus.
        if (CurrentTheme->custom) color = CurrentTheme->slot[4];
        else if (!ListHasTheme(list) && GetFocus() == list) color = GetSysColor(COLOR_HIGHLIGHTTEXT);
    }
    HDC dc = draw->nmcd.hdc;
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, color);
    DrawTextW(dc, row.meaning.c_str(), static_cast<int>(row.meaning.size()), &cell,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

LRESULT LegendCustomDraw(const MainView& view, NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        auto line = static_cast<size_t>(draw->nmcd.dwItemSpec);
        if (line >= LegendLines.size()) {
            ThemeSelColors(view, draw);
            return CDRF_DODEFAULT;
        }
        const LegendRow& row = LegendRows[LegendLines[line].row];
        static const int kTextSlot[] = {0, 0, 6, 7, 17, 6};
        if (row.style == 1) draw->clrTextBk = CurrentTheme->slot[5];
        else if (row.style >= 2 && row.style <= 5) draw->clrText = CurrentTheme->slot[kTextSlot[row.style]];
        ThemeSelColors(view, draw);
        if (IsHeading(row)) return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        return row.style >= 100 && LegendLines[line].first ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    }
    case CDDS_SUBITEM | CDDS_ITEMPREPAINT:  // only heading rows ask: their text comes after
        return draw->iSubItem == 1 ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
    case CDDS_ITEMPOSTPAINT: {
        auto line = static_cast<size_t>(draw->nmcd.dwItemSpec);
        if (line >= LegendLines.size()) return CDRF_DODEFAULT;
        const LegendRow& row = LegendRows[LegendLines[line].row];
        if (IsHeading(row)) {
            DrawHeading(draw, row);
            return CDRF_DODEFAULT;
        }
        RECT label{};
        label.left = LVIR_LABEL;
        SendMessageW(draw->nmcd.hdr.hwndFrom, LVM_GETITEMRECT, line, reinterpret_cast<LPARAM>(&label));
        int size = UiScale(16);
        DrawPictogram(draw->nmcd.hdc, static_cast<int>(row.style - 100), label.left + UiScale(24),
                      (label.top + label.bottom - size) / 2, size);
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

}  // namespace

void AddLegendRow(const std::wstring& symbol, const std::wstring& meaning, const std::wstring& explanation,
                  uint32_t style) {
    LegendRows.push_back({symbol, meaning, explanation, style});
}

void BuildLegendRows() {
    LegendRows.clear();
    AddHeading("lg_left", false);
    AddGlyphRows();
    AddHeading("lg_right", true);
    AddKeyed(L"[x]", "s_active", "lgx_active");
    AddKeyed(L"[x]", "s_active_cond", "lgx_active_cond");
    AddKeyed(L"[x]", "s_active_force", "h_force");
    AddKeyed(L"[x]", "s_ini_only", "lgx_ini_only");
    AddKeyed(L"[ ]", "s_new", "lgx_new");
    AddKeyed(L"[ ]", "s_parked", "lgx_parked");
    AddKeyed(L"", "s_excluded", "lgx_excluded");
    AddKeyed(L"", "s_keyword", "lgx_keyword");
    AddHeading("lg_packer", true);
    AddPackerRows();
    AddHeading("lg_marks", true);
    AddKeyed(L"\u25A0", "lgm_new", "lgmx_new", 1);
    AddKeyed(L"\u25A1", "lgm_removed", "lgmx_removed", 2);
    AddKeyed(L"*", "lgm_pending", "lgmx_pending");
    AddKeyed(L"\u00B7", "lgm_novalue", "lgmx_novalue");
    AddKeyed(L"\u2013", "lgm_disabled", "lgmx_disabled");
    AddKeyed(L"\u25A0", "lgm_folder", "lgmx_folder", 3);
    AddKeyed(L"\u25A0", "lgm_greedy", "lgmx_greedy", 4);
    AddHeading("lg_findings", true);
    AddListedRows({"fk_error", "fk_diff", "fk_hint"}, {"lgf_error", "lgf_diff", "lgf_hint"}, 0, 0);
    AddKeyed(L"", "fk_acked", "lgf_acked", 5);
    AddHeading("lg_notes", true);
    AddListedRows({"lgn_always", "lgn_almost", "lgn_except", "lgn_forceall", "lgn_find", "lgn_dup", "lgn_unquoted",
                   "lgn_syntax"},
                  {"note_always", "note_almost", "note_except", "note_forceall", "lgnx_find", "lgnx_dup",
                   "lgnx_unquoted", "lgnx_syntax"},
                  0, 0);
    AddHeading("lg_used", true);
    AddListedRows({"lgu_column", "lgu_tip", "lgu_thumb", "lgu_rename", "lgu_search", "lgu_other"},
                  {"lgux_column", "lgux_tip", "lgux_thumb", "lgux_rename", "lgux_search", "lgux_other"}, 100, 1);
    AddHeading("lg_pvside", true);
    AddKeyed(L"\u2605", "lgm_spec", "lgmx_spec");
}

std::vector<std::wstring> LegendWrap(const std::wstring& text, int width,
                                     const std::function<int(const std::wstring&)>& measure) {
    std::vector<std::wstring> lines;
    if (text.empty()) return {L""};
    size_t start = 0;
    while (true) {
        size_t end = text.find(L'\n', start);
        std::wstring paragraph = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        std::wstring line;
        size_t pos = 0;
        while (pos < paragraph.size()) {
            size_t blank = paragraph.find(L' ', pos);
            std::wstring word = paragraph.substr(pos, blank == std::wstring::npos ? std::wstring::npos : blank - pos);
            pos = blank == std::wstring::npos ? paragraph.size() : blank + 1;
            if (word.empty()) continue;
            std::wstring candidate = line.empty() ? word : line + L" " + word;
            if (!line.empty() && measure(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
        }
        lines.push_back(line);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

void LegendFillList(HWND list) {
    if (!list) return;
    int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0)) - UiScale(12);
    width = std::max(width, UiScale(80));
    WindowDc listDc(list);
    HDC dc = listDc.Get();
    SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int oldTop = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    LegendLines.clear();
    auto measure = [dc](const std::wstring& t) { return LegendMeasure(dc, t); };
    for (size_t r = 0; r < LegendRows.size(); ++r) {
        const LegendRow& row = LegendRows[r];
        std::vector<std::wstring> lines = LegendWrap(row.explanation, width, measure);
        for (size_t j = 0; j < lines.size(); ++j) {
            int index = static_cast<int>(LegendLines.size());
            ListViewSetCell(list, index, 0, j == 0 ? row.symbol : L"");
            ListViewSetCell(list, index, 1, j == 0 ? row.meaning : L"");
            ListViewSetCell(list, index, 2, lines[j]);
            LegendLines.push_back({static_cast<int32_t>(r), static_cast<uint8_t>(j == 0)});
        }
    }
    int count = static_cast<int>(LegendLines.size());
    if (oldTop > 0 && count > oldTop) {
        int page = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
        SendMessageW(list, LVM_ENSUREVISIBLE, std::min(oldTop + page, count) - 1, FALSE);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

LRESULT CALLBACK LegendWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* view = reinterpret_cast<MainView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!view) return DefWindowProcW(window, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE: {
        HWND list = CreateLegendList(*view, window);
        ThemeDwmDark(window, CurrentTheme->dark != 0);
        BuildLegendRows();
        FitMeaningColumn(list);
        LegendFillList(list);
        return 0;
    }
    case WM_SIZE: {
        // Minimised there is no width to wrap at; the rows stay as they are for the restore.
        if (wParam == SIZE_MINIMIZED) return 0;
        HWND list = GetDlgItem(window, IdLegendList);
        MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        ListViewFitLastColumn(list);
        LegendFillList(list);
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == HDN_ENDTRACKW || header->code == HDN_ENDTRACKA) {
            PostMessageW(window, MsgLegendRewrap, 0, 0);
        } else if (header->code == NM_CUSTOMDRAW && header->idFrom == IdLegendList) {
            return LegendCustomDraw(*view, reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        }
        break;
    }
    case MsgLegendRewrap:
        LegendFillList(GetDlgItem(window, IdLegendList));
        return 0;
    case WM_DESTROY:
        SaveLegendPlace(window);
        if (window == view->legend) view->legend = nullptr;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void ShowLegend(MainView& view) {
    if (view.legend) {
        SetForegroundWindow(view.legend);
        return;
    }
    HWND owner = view.controls.main;
    RECT ownerRect{};
    if (owner) GetWindowRect(owner, &ownerRect);
    RECT place{ownerRect.left + UiScale(60), ownerRect.top + UiScale(80), 0, 0};
    place.right = place.left + UiScale(700);
    place.bottom = place.top + UiScale(470);
    SavedLegendPlace(place);
    HWND legend = CreateWindowExW(WS_EX_TOOLWINDOW, L"KestrovaneLegend", Tr("lg_title").c_str(),
                                  WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, place.left, place.top,
                                  place.right - place.left, place.bottom - place.top, owner, nullptr, AppInstance,
                                  &view);
    view.legend = legend;
    if (!legend) return;
    std::wstring widths = IniGetString(SettingsIniPath(), L"Window", L"ColsLegend").substr(0, 63);
    if (!widths.empty()) {
        HWND list = GetDlgItem(legend, IdLegendList);
        ListViewSetColumnWidths(list, widths);
        ListViewFitLastColumn(list);
        LegendFillList(list);
    }
    ShowWindow(legend, SW_SHOW);
}

void LegendTakeFont(const MainView& view) {
    if (!view.legend) return;
    HWND list = GetDlgItem(view.legend, IdLegendList);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont), TRUE);
    LegendFillList(list);
}
