#include "views/cell_hilite.h"

#include "foundation/handles.h"
#include "foundation/list_view.h"
#include "foundation/text.h"
#include "foundation/ui_globals.h"
#include "views/cell_tips.h"
#include "views/list_rows.h"

namespace {

constexpr COLORREF CurrentHitColour = RGB(0xFF, 0xC8, 0x30);
constexpr COLORREF HitColour = RGB(0xFF, 0xF0, 0x80);
constexpr UINT MeasureFormat = DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX;

int TextWidth(HDC dc, const std::wstring& text) {
    if (text.empty()) return 0;
    RECT box{};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, MeasureFormat);
    return box.right - box.left;
}

int ColumnFormat(HWND list, int column) {
    LVCOLUMNW info{};
    info.mask = LVCF_FMT;
    if (!SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info))) return LVCFMT_LEFT;
    return info.fmt & LVCFMT_JUSTIFYMASK;
}

}  // namespace

std::vector<HiliteSpan> HiliteSpans(const std::wstring& text, const std::wstring& needle, const RECT& cell,
                                    int inset, int format, const std::function<int(const std::wstring&)>& width) {
    std::vector<HiliteSpan> spans;
    // Lowered one character at a time, so positions in it are positions in the text.
    std::wstring lowered = StrLower(text);
    if (needle.empty() || lowered.find(needle) == std::wstring::npos) return spans;
    int left = cell.left + inset, right = cell.right - inset;
    int start = left, whole = width(text);
    if (whole <= right - left) {
        if (format == LVCFMT_CENTER) start = cell.left + (cell.right - cell.left - whole) / 2;
        else if (format == LVCFMT_RIGHT) start = right - whole;
    }
    for (size_t at = lowered.find(needle); at != std::wstring::npos; at = lowered.find(needle, at + needle.size())) {
        int x1 = start + width(text.substr(0, at));
        int x2 = x1 + width(text.substr(at, needle.size()));
        if (x2 > right) break;
        spans.push_back({at, needle.size(), x1, x2});
    }
    return spans;
}

void DrawCellHilite(const MainView& view, const NMLVCUSTOMDRAW* draw) {
    if (view.searchPaint.text.empty()) return;
    HWND list = draw->nmcd.hdr.hwndFrom;
    HDC dc = draw->nmcd.hdc;
    int row = static_cast<int>(draw->nmcd.dwItemSpec);
    bool current = view.searchPaint.currentItem >= 0 && ListViewDrawnItem(draw) == view.searchPaint.currentItem;
    SavedDcState saved(dc);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    GdiHandle<HBRUSH> brush(CreateSolidBrush(current ? CurrentHitColour : HitColour));
    auto measure = [dc](const std::wstring& piece) { return TextWidth(dc, piece); };
    for (int column = 0, columns = ListViewColumnCount(list); column < columns; ++column) {
        std::wstring text = ListViewCellText(list, row, column, 2048);
        RECT cell{};
        if (text.empty() || !CellRect(list, row, column, cell)) continue;
        int inset = UiScale(column == 0 ? 2 : 6);
        const std::wstring& needle = view.searchPaint.text;
        for (const HiliteSpan& span : HiliteSpans(text, needle, cell, inset, ColumnFormat(list, column), measure)) {
            RECT mark{span.x1 - 1, cell.top + 1, span.x2, cell.bottom - 1};
            FillRect(dc, &mark, brush.Get());
            RECT glyphs{span.x1, cell.top, span.x2, cell.bottom};
            DrawTextW(dc, text.c_str() + span.at, static_cast<int>(span.length), &glyphs,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
        }
    }
}
