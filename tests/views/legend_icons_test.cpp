#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "foundation/data_folder.h"
#include "foundation/ini.h"
#include "foundation/labels.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/drawn_icons.h"
#include "views/legend.h"
#include "views/list_rows.h"
#include "views/row_status.h"
#include "views/usage_badges.h"
#include "view_fixture.h"

namespace {

bool HasRow(const std::wstring& symbol, const char* meaning, uint32_t style) {
    for (const LegendRow& r : LegendRows)
        if (r.symbol == L"    " + symbol && r.meaning == Tr(meaning) && r.style == style) return true;
    return false;
}

// The box that holds every pixel not of the background colour.
RECT PaintedBox(int size, const std::function<void(HDC)>& paint) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 64);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 64, 64};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    paint(dc);
    RECT box{64, 64, -1, -1};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (GetPixel(dc, x, y) != RGB(0, 0, 0)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    (void)size;
    return box;
}

// Pixels darker than mid grey in a rectangle of the window as it stands on the screen.
int DarkPixels(HWND window, const RECT& r) {
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            count += c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
        }
    ReleaseDC(window, dc);
    return count;
}

// A memory bitmap to draw on, white at the start.
struct Canvas {
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas(int width, int height) : bitmap(CreateCompatibleBitmap(screen, width, height)), old(SelectObject(dc, bitmap)) {
        RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
};

}  // namespace

TEST_CASE("legend rows: every status glyph, mark colour, packer bit and pictogram the lists use") {
    InitLanguage(std::nullopt);
    BuildLegendRows();
    size_t count = 0;
    const StatusGlyph* glyphs = StatusGlyphs(count);
    CHECK(count == 16);
    for (size_t i = 0; i < count; ++i) {
        CAPTURE(glyphs[i].shortKey);
        CHECK(HasRow(glyphs[i].glyph, glyphs[i].shortKey, 0));
    }
    // Under their heading, the running query after the failures.
    const char* const order[] = {"lg_left", "chk_same", "chk_reworded", "chk_more", "chk_less", "chk_both",
                                 "chk_noini", "chk_none", "chk_32", "chk_err", "chk_nostart", "fd_onlytc", "chk_missing",
                                 "chk_pending", "chk_capsdiff", "chk_fsok", "chk_notfs"};
    for (size_t i = 0; i < std::size(order); ++i) {
        CAPTURE(order[i]);
        CHECK(LegendRows[i].meaning == Tr(order[i]));
    }
    for (uint32_t bit = 1; bit <= 512; bit *= 2) {  // each capability bit the packer cells name
        bool found = false;
        for (const LegendRow& r : LegendRows)
            found |= r.symbol == L"    " + std::to_wstring(bit) && r.meaning == PackerCapsText(bit);
        CAPTURE(bit);
        CHECK(found);
    }
    CHECK(HasRow(L"\u25A0", "lgm_new", 1));
    CHECK(HasRow(L"\u25A1", "lgm_removed", 2));
    CHECK(HasRow(L"\u25A0", "lgm_folder", 3));
    CHECK(HasRow(L"\u25A0", "lgm_greedy", 4));
    std::set<uint32_t> styles;
    for (const LegendRow& r : LegendRows) styles.insert(r.style);
    std::set<uint32_t> expected{0, 1, 2, 3, 4, 5};  // plain and the five mark colours
    for (uint32_t place = 0; place < UsePlaceCount; ++place) expected.insert(100 + place);  // every pictogram
    CHECK(styles == expected);
    for (const LegendRow& r : LegendRows) {
        CAPTURE(r.meaning);
        CHECK(r.meaning.find(L'_') == std::wstring::npos);      // no key left without its text
        CHECK(r.explanation.find(L'_') == std::wstring::npos);
    }
}

TEST_CASE("legend wrap: greedy at blanks, a line feed always breaks, a long word stands alone") {
    auto chars = [](const std::wstring& t) { return static_cast<int>(t.size()); };
    CHECK(LegendWrap(L"", 10, chars) == std::vector<std::wstring>{L""});
    CHECK(LegendWrap(L"aa bb cc dd", 5, chars) == std::vector<std::wstring>{L"aa bb", L"cc dd"});
    CHECK(LegendWrap(L"a\nb", 50, chars) == std::vector<std::wstring>{L"a", L"b"});
    CHECK(LegendWrap(L"a\n", 50, chars) == std::vector<std::wstring>{L"a", L""});
    CHECK(LegendWrap(L"x verylongword y", 4, chars) == std::vector<std::wstring>{L"x", L"verylongword", L"y"});
}

TEST_CASE("count badges: a pictogram and its count per used place, left out from the first that does not fit") {
    const int dpi = UiDpi;
    auto digits = [](int count) { return static_cast<int>(std::to_wstring(count).size()) * 8; };
    const int counts[UsePlaceCount] = {2, 0, 0, 12, 0, 1};
    auto layout = [&](int right) {
        std::vector<int> out;
        for (const BadgePlace& b : CountBadgeLayout(RECT{10, 0, right, 20}, counts, digits))
            out.insert(out.end(), {b.place, b.iconX, b.textX});
        return out;
    };
    UiDpi = 96;
    CHECK(layout(300) == std::vector<int>{0, 14, 32, 3, 47, 65, 5, 88, 106});
    CHECK(layout(80) == std::vector<int>{0, 14, 32, 3, 47, 65});  // the third needs 88 + 26
    CHECK(layout(39).empty());
    UiDpi = 192;
    CHECK(layout(300) == std::vector<int>{0, 18, 54, 3, 76, 112, 5, 142, 178});
    UiDpi = dpi;
}

TEST_SUITE("listview") {

TEST_CASE("tab icons and pictograms have their sizes at 96, 144 and 192 dpi") {
    for (int dpi : {96, 144, 192}) {
        CAPTURE(dpi);
        int size = MulDiv(16, dpi, 96);
        HIMAGELIST images = BuildTabIcons(size);
        REQUIRE(images);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        CHECK(cx == size);
        CHECK(cy == size);
        CHECK(ImageList_GetImageCount(images) == 7);
        ImageList_Destroy(images);
        for (int index = 0; index < 6; ++index) {
            CAPTURE(index);
            RECT box = PaintedBox(size, [&](HDC dc) { DrawPictogram(dc, index, 8, 8, size); });
            CHECK(box.left >= 8);
            CHECK(box.top >= 8);
            if (index != 3) CHECK(box.right < 8 + size);  // the letters of 3 may pass the edge
            CHECK(box.bottom < 8 + size);
            CHECK(box.right - box.left >= size / 2);  // drawn, and at the drawing's scale
        }
    }
    CHECK(DrawMulDiv16(0, 24, 15) == 23);
    // The Lister icon's page spans grid 3..13 and 1..15; at 24 pixels MulDiv rounds 19.5 up.
    HIMAGELIST images = BuildTabIcons(24);
    RECT page = PaintedBox(24, [&](HDC dc) { ImageList_Draw(images, 0, dc, 0, 0, ILD_TRANSPARENT); });
    // Its outline pen is 2 pixels wide there and may spread one pixel outwards.
    CHECK(std::abs(page.left - MulDiv(3, 24, 16)) <= 1);
    CHECK(std::abs(page.right - (MulDiv(13, 24, 16) - 1)) <= 1);
    CHECK(page.bottom == MulDiv(15, 24, 16) - 1);
    ImageList_Destroy(images);
}

TEST_CASE("pictograms take the dark scheme's grey and fill; tab icons keep theirs") {
    const ThemeColors* before = CurrentTheme;
    auto centre = [](const ThemeColors* theme) {
        CurrentTheme = theme;
        COLORREF fill = 0;
        PaintedBox(16, [&](HDC dc) {
            DrawPictogram(dc, 0, 0, 0, 16);
            fill = GetPixel(dc, 4, 10);
        });
        return fill;
    };
    CHECK(centre(&ThemeDark) == RGB(0x20, 0x20, 0x20));
    CHECK(centre(&ThemeStandard) == RGB(0xFF, 0xFF, 0xFF));
    CurrentTheme = before;
}

TEST_CASE("legend window: one window, a saved place off every monitor falls back, widths are kept") {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = LegendWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrovaneLegend";
    RegisterClassExW(&wc);
    AppInstance = wc.hInstance;
    WriteSettingsIniValue(L"Window", L"LegendPos", L"-30000,-30000,640,480");
    TestView t;
    ShowLegend(t.view);
    HWND first = t.view.legend;
    REQUIRE(first);
    ShowLegend(t.view);
    CHECK(t.view.legend == first);
    RECT r{};
    GetWindowRect(first, &r);
    CHECK(r.right - r.left == UiScale(700));
    HWND list = GetDlgItem(first, 1);
    int meaningWidth = ListView_GetColumnWidth(list, 1);
    for (const LegendRow& row : LegendRows) {  // no meaning cut off; headings run on across the list
        if (row.explanation.empty()) continue;
        CAPTURE(row.meaning);
        CHECK(ListView_GetStringWidth(list, row.meaning.c_str()) < meaningWidth);
    }
    CHECK(ListView_GetItemCount(list) >= static_cast<int>(LegendRows.size()));
    // A heading stands in its cell, though it is drawn across the columns.
    CHECK(ListViewCellText(list, 0, 1) == Tr("lg_left"));
    CHECK(ListViewCellText(list, 0, 2).empty());
    ListView_SetColumnWidth(list, 1, UiScale(40));
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT run{};
    ListView_GetSubItemRect(list, 0, 2, LVIR_BOUNDS, &run);
    CHECK(DarkPixels(list, run) > 20);
    ListView_SetColumnWidth(list, 1, meaningWidth);
    CHECK(LegendLines.size() == static_cast<size_t>(ListView_GetItemCount(list)));
    ListView_SetColumnWidth(list, 2, 150);
    LegendFillList(list);
    size_t narrow = LegendLines.size();
    CHECK(narrow > LegendRows.size());  // long explanations take several rows
    // A dpi change makes the fonts anew and deletes the old one: the open legend takes the new
    // font, and its larger letters need more rows.
    HFONT before = UiFont;
    UiFont = CreateFontW(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    LegendTakeFont(t.view);
    CHECK(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)) == UiFont);
    CHECK(LegendLines.size() > narrow);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(before), FALSE);
    DeleteObject(UiFont);
    UiFont = before;
    ShowWindow(first, SW_MINIMIZE);
    DestroyWindow(first);
    CHECK(t.view.legend == nullptr);
    CHECK(IniGetString(SettingsIniPath(), L"Window", L"LegendPos") == L"-30000,-30000,640,480");
    std::wstring cols = IniGetString(SettingsIniPath(), L"Window", L"ColsLegend");
    CHECK(cols == L"70," + std::to_wstring(MulDiv(meaningWidth, 96, UiDpi)) + L",150");
    DeleteFileW(SettingsIniPath().c_str());
}

TEST_CASE("a group header in the scheme's colours: the fill, a rule after the text, none when the text is cut") {
    const ThemeColors* before = CurrentTheme;
    CurrentTheme = &ThemeDark;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 200, nullptr, nullptr,
                                nullptr, nullptr);
    ListView_EnableGroupView(list, TRUE);
    wchar_t caption[] = L"Matches";
    LVGROUP group{};
    group.cbSize = sizeof(group);
    group.mask = LVGF_HEADER | LVGF_GROUPID;
    group.pszHeader = caption;
    group.iGroupId = 1;
    REQUIRE(ListView_InsertGroup(list, -1, &group) >= 0);
    Canvas canvas(400, 24);
    HDC dc = canvas.dc;
    const COLORREF back = CurrentTheme->slot[1], text = CurrentTheme->slot[18];
    const COLORREF mean = RGB((GetRValue(back) + GetRValue(text)) / 2, (GetGValue(back) + GetGValue(text)) / 2,
                              (GetBValue(back) + GetBValue(text)) / 2);
    auto draw = [&](int width) {
        RECT all{0, 0, 400, 24};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        NMLVCUSTOMDRAW record{};
        record.nmcd.hdr.hwndFrom = list;
        record.nmcd.hdc = dc;
        record.nmcd.dwItemSpec = 1;
        record.rcText = {0, 0, width, 24};
        DrawGroupHeader(&record);
    };
    // Counted right of where the text may be drawn: its smoothed edges can take any shade.
    auto ruleAt = [&](int width) {
        int count = 0;
        for (int x = width - 24; x < width; ++x) count += GetPixel(dc, x, 12) == mean;
        return count;
    };
    draw(400);
    CHECK(GetPixel(dc, 2, 2) == back);
    CHECK(GetPixel(dc, 399 - 26, 12) == mean);  // the rule runs to 26 pixels before the right edge
    CHECK(GetPixel(dc, 400 - 26, 12) == back);
    draw(50);
    CHECK(GetPixel(dc, 2, 2) == back);
    CHECK(GetPixel(dc, 60, 2) == RGB(0xFF, 0xFF, 0xFF));  // nothing outside the header
    CHECK(ruleAt(50) == 0);
    DestroyWindow(list);
    CurrentTheme = before;
}

TEST_CASE("a list header in the scheme's colours: separators, the sort arrow's direction, the part after the last item") {
    const ThemeColors* before = CurrentTheme;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 200, nullptr, nullptr,
                                nullptr, nullptr);
    for (int c = 0; c < 2; ++c) {
        wchar_t caption[] = L"Col";
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = c == 0 ? 100 : 80;
        column.pszText = caption;
        ListView_InsertColumn(list, c, &column);
    }
    HWND header = ListView_GetHeader(list);
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    item.fmt = HDF_LEFT | HDF_STRING | HDF_SORTDOWN;
    Header_SetItem(header, 1, &item);
    RECT all{};
    GetClientRect(header, &all);
    const int bottom = all.bottom, cy = bottom / 2;
    REQUIRE(bottom > 12);
    Canvas canvas(all.right, bottom);
    HDC dc = canvas.dc;
    auto stage = [&](DWORD drawStage, RECT rc, DWORD_PTR index) {
        NMCUSTOMDRAW draw{};
        draw.hdr = {header, 0, static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.dwDrawStage = drawStage;
        draw.hdc = dc;
        draw.rc = rc;
        draw.dwItemSpec = index;
        LRESULT result = 0;
        return DrawHeader(&draw, result) ? result : -1;
    };
    CurrentTheme = &ThemeStandard;
    CHECK(stage(CDDS_PREPAINT, all, 0) == -1);  // the system draws it, with its own arrow
    CurrentTheme = &ThemeLight;
    CHECK(stage(CDDS_PREPAINT, all, 0) == (CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT));
    CHECK(stage(CDDS_ITEMPREPAINT, RECT{100, 0, 180, bottom}, 1) == CDRF_SKIPDEFAULT);
    CHECK(stage(CDDS_POSTPAINT, all, 0) == CDRF_DODEFAULT);
    const COLORREF* slot = CurrentTheme->slot;
    CHECK(GetPixel(dc, 179, cy) == slot[16]);  // the separator at the item's right edge
    CHECK(GetPixel(dc, 140, bottom - 1) == slot[15]);  // the underline
    // Descending: the arrow's wide edge on top, its point below.
    const int cx = 180 - UiScale(6) - UiScale(12) / 2, h = UiScale(4);
    CHECK(GetPixel(dc, cx - h + 1, cy - h / 2) == slot[14]);
    CHECK(GetPixel(dc, cx - h + 1, cy + h / 2) == slot[13]);
    // Right of the last item the header is the scheme's too, not the system's white.
    CHECK(GetPixel(dc, 300, 3) == slot[13]);
    CHECK(GetPixel(dc, 300, bottom - 1) == slot[15]);
    CHECK(GetPixel(dc, 50, 3) == RGB(0xFF, 0xFF, 0xFF));  // item 0 was not drawn here
    DestroyWindow(list);
    CurrentTheme = before;
}

}  // TEST_SUITE
