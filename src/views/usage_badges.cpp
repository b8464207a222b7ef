#include "views/usage_badges.h"

#include <string>

#include "analyses/content_preview.h"
#include "analyses/plugin_caches.h"
#include "analyses/preview_texts.h"
#include "foundation/handles.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/cell_tips.h"
#include "views/drawn_icons.h"
#include "views/extra_columns.h"
#include "views/list_rows.h"
#include "views/preview_lists.h"

namespace {

int CountWidth(HDC dc, int count) {
    std::wstring text = std::to_wstring(count);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

// The scheme's text colour of a row, as the list draws its cells.
COLORREF BadgeColour(bool selected) {
    if (!CurrentTheme->custom) return GetSysColor(COLOR_WINDOWTEXT);
    return CurrentTheme->slot[selected ? 4 : 2];
}

bool ItemSelected(HWND list, int item) {
    return (ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// In the list's font and the row's text colour.
void PaintRowBadges(HWND list, int item, HDC dc, const RECT& cell, const int (&counts)[UsePlaceCount]) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    PaintCountBadges(dc, cell, counts, font, BadgeColour(ItemSelected(list, item)));
}

}  // namespace

std::vector<BadgePlace> CountBadgeLayout(const RECT& rect, const int (&counts)[UsePlaceCount],
                                         const std::function<int(int)>& countWidth) {
    const int icon = UiScale(16);
    std::vector<BadgePlace> places;
    int x = rect.left + UiScale(4);
    for (int place = 0; place < UsePlaceCount; ++place) {
        if (!counts[place]) continue;
        if (x + icon + UiScale(10) > rect.right) break;
        int textX = x + icon + UiScale(2);
        places.push_back({place, x, textX});
        x = textX + countWidth(counts[place]) + UiScale(3 + 4);
    }
    return places;
}

void PaintCountBadges(HDC dc, const RECT& rect, const int (&counts)[UsePlaceCount], HFONT font, COLORREF colour) {
    SavedDcState saved(dc);
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    const int icon = UiScale(16);
    int y = rect.top + (rect.bottom - rect.top - icon) / 2;
    for (const BadgePlace& badge : CountBadgeLayout(rect, counts, [dc](int count) { return CountWidth(dc, count); })) {
        DrawPictogram(dc, badge.place, badge.iconX, y, icon);
        std::wstring text = std::to_wstring(counts[badge.place]);
        RECT box{badge.textX, rect.top, badge.textX + CountWidth(dc, counts[badge.place]), rect.bottom};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

void PaintUsedBadges(const NMLVCUSTOMDRAW* draw) {
    HWND list = draw->nmcd.hdr.hwndFrom;
    int row = static_cast<int>(draw->nmcd.dwItemSpec), column = XcolFindUsedColumn();
    if (column < 0) return;
    std::wstring key = LvRowContentPlugKey(list, row);
    int counts[UsePlaceCount] = {};
    RECT cell{};
    if (key.empty() || !FieldUsageCount(CurrentFieldUsage(), key, counts, L"") || !CellRect(list, row, column, cell))
        return;
    PaintRowBadges(list, row, draw->nmcd.hdc, cell, counts);
}

void PvDrawUsageBadges(const MainView& view, HDC dc, int item) {
    HWND list = view.controls.pvFieldList;
    const PvRowRef* ref = list ? PvRowOfItem(view, ListViewItemData(list, item)) : nullptr;
    // Only a field's own row: the rows of its further units repeat it.
    const FieldDef* field = ref && ref->unit == 0 ? PvFieldAt(*ref) : nullptr;
    int counts[UsePlaceCount] = {};
    RECT cell{};
    if (!field || !FieldUsageCount(CurrentFieldUsage(), PvPlugins[ref->row].key, counts, field->name) ||
        !CellRect(list, item, PvUsedColumn, cell))
        return;
    PaintRowBadges(list, item, dc, cell, counts);
}
