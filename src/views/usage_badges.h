// Count badges: where a Content plugin's fields are used, drawn as a pictogram and a
// number per kind of place, in the plugin list's "Used in" cells and in the preview's
// field list. UI thread only.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "hostcfg/field_usage.h"
#include "views/main_view.h"

struct BadgePlace {
    int place = 0;        // the pictogram, a UsePlace
    int iconX = 0;        // the pictogram's left edge
    int textX = 0;        // the count's left edge
};

// Where the badges of the non-zero counts go in a rectangle; the first one that does
// not fit ends the row. `countWidth` measures a count's text.
std::vector<BadgePlace> CountBadgeLayout(const RECT& rect, const int (&counts)[UsePlaceCount],
                                         const std::function<int(int count)>& countWidth);
void PaintCountBadges(HDC dc, const RECT& rect, const int (&counts)[UsePlaceCount], HFONT font, COLORREF colour);

// The badges of a plugin-list row in the "Used in" column, at its item postpaint.
void PaintUsedBadges(const NMLVCUSTOMDRAW* draw);
// The badges of a field-list item in the field list's "Used" column.
void PvDrawUsageBadges(const MainView& view, HDC dc, int item);
