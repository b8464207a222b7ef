#include "views/drawn_icons.h"

#include <algorithm>

#include "foundation/handles.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "views/main_controls.h"


namespace {

constexpr COLORREF kGrey = RGB(0x55, 0x58, 0x5E), kAccent = RGB(0x2F, 0x6F, 0xD0), kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kMask = RGB(0xFF, 0x00, 0xFF);
constexpr COLORREF kDarkGrey = RGB(0xB8, 0xBB, 0xC0), kDarkFill = RGB(0x20, 0x20, 0x20);

using Pen = GdiHandle<HPEN>;
using Brush = GdiHandle<HBRUSH>;

// Pens and brushes of one drawing, with the DC's own pen and brush put back at the end.
struct DrawKit {
    HDC dc;
    Pen grey, accent;
    Brush fill, accentBrush, greyBrush;
    HGDIOBJ oldPen, oldBrush;
    DrawKit(HDC d, int size, COLORREF greyColor, COLORREF fillColor)
        : dc(d),
          grey(CreatePen(PS_SOLID, std::max(1, MulDiv(1, size, 16)), greyColor)),
          accent(CreatePen(PS_SOLID, std::max(1, MulDiv(1, size, 16)), kAccent)),
          fill(CreateSolidBrush(fillColor)),
          accentBrush(CreateSolidBrush(kAccent)),
          greyBrush(CreateSolidBrush(greyColor)),
          oldPen(SelectObject(d, grey.Get())),
          oldBrush(SelectObject(d, fill.Get())) {}
    ~DrawKit() {
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
    }
    void UseGrey() { SelectObject(dc, grey.Get()); }
    void UseAccent() { SelectObject(dc, accent.Get()); }
    void UseNullPen() { SelectObject(dc, GetStockObject(NULL_PEN)); }
};

struct Line16 {
    int x1, y1, x2, y2;
};

void Lines16(HDC dc, int size, std::initializer_list<Line16> lines) {
    for (const Line16& l : lines) DrawLine16(dc, size, l.x1, l.y1, l.x2, l.y2);
}

void DrawTabIcon(DrawKit& kit, int tab, int s) {
    HDC dc = kit.dc;
    switch (tab) {
    case 0:  // a page with text lines
        DrawRect16(dc, s, 3, 1, 13, 15);
        Lines16(dc, s, {{10, 1, 13, 4}});
        kit.UseAccent();
        Lines16(dc, s, {{5, 6, 11, 6}});
        kit.UseGrey();
        Lines16(dc, s, {{5, 9, 11, 9}, {5, 12, 9, 12}});
        break;
    case 1:  // a table with an accent header row
        DrawRect16(dc, s, 1, 3, 15, 13);
        DrawFillRect16(dc, s, 2, 4, 14, 6, kit.accentBrush.Get());
        Lines16(dc, s, {{6, 3, 6, 13}, {10, 3, 10, 13}, {1, 9, 15, 9}});
        break;
    case 2:  // a box with a zip
        DrawRect16(dc, s, 2, 3, 14, 14);
        Lines16(dc, s, {{2, 6, 14, 6}});
        kit.UseAccent();
        Lines16(dc, s, {{7, 7, 9, 7}, {7, 9, 9, 9}, {7, 11, 9, 11}});
        kit.UseGrey();
        break;
    case 3:  // a drive with its lamp
        DrawRect16(dc, s, 1, 5, 15, 12);
        Lines16(dc, s, {{3, 10, 9, 10}});
        DrawFillRect16(dc, s, 11, 8, 13, 10, kit.accentBrush.Get());
        Lines16(dc, s, {{3, 5, 5, 2}, {5, 2, 11, 2}, {11, 2, 13, 5}});
        break;
    case 4:  // a clipboard with a tick
        DrawRect16(dc, s, 3, 2, 13, 15);
        DrawFillRect16(dc, s, 6, 1, 10, 4, kit.greyBrush.Get());
        kit.UseAccent();
        Lines16(dc, s, {{5, 8, 6, 9}, {6, 9, 8, 6}});
        kit.UseGrey();
        Lines16(dc, s, {{9, 8, 11, 8}, {5, 12, 11, 12}});
        break;
    case 5: {  // a magnifier
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, MulDiv(2, s, 16), MulDiv(2, s, 16), MulDiv(11, s, 16), MulDiv(11, s, 16));
        kit.UseAccent();
        Lines16(dc, s, {{5, 6, 8, 6}});
        Pen handle(CreatePen(PS_SOLID, std::max(2, MulDiv(2, s, 16)), kGrey));
        SelectObject(dc, handle.Get());
        Lines16(dc, s, {{10, 10, 14, 14}});
        kit.UseGrey();
        break;
    }
    default:  // a window with panes
        DrawRect16(dc, s, 1, 2, 15, 14);
        Lines16(dc, s, {{6, 2, 6, 14}});
        DrawFillRect16(dc, s, 2, 6, 14, 8, kit.accentBrush.Get());
        Lines16(dc, s, {{1, 10, 15, 10}});
        break;
    }
}

void Ellipse16(HDC dc, int x, int y, int s, int l, int t, int r, int b) {
    Ellipse(dc, DrawMulDiv16(x, s, l), DrawMulDiv16(y, s, t), DrawMulDiv16(x, s, r), DrawMulDiv16(y, s, b));
}

void Polygon16(HDC dc, int x, int y, int s, std::initializer_list<POINT> grid) {
    POINT points[8];
    int n = 0;
    for (POINT p : grid) points[n++] = {DrawMulDiv16(x, s, p.x), DrawMulDiv16(y, s, p.y)};
    Polygon(dc, points, n);
}

void Letter16(HDC dc, int x, int y, int s, const wchar_t* letter, int l, int t, int r, int b) {
    RECT box{DrawMulDiv16(x, s, l), DrawMulDiv16(y, s, t), DrawMulDiv16(x, s, r), DrawMulDiv16(y, s, b)};
    DrawTextW(dc, letter, 1, &box, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
}

}  // namespace

int DrawMulDiv16(int origin, int size, int v) { return origin + MulDiv(v, size, 16); }

void DrawFillRect16(HDC dc, int size, int l, int t, int r, int b, HBRUSH brush) {
    DrawFill16b(dc, 0, 0, size, l, t, r, b, brush);
}

void DrawLine16(HDC dc, int size, int x1, int y1, int x2, int y2) { DrawLine16b(dc, 0, 0, size, x1, y1, x2, y2); }

void DrawRect16(HDC dc, int size, int l, int t, int r, int b) {
    Rectangle(dc, MulDiv(l, size, 16), MulDiv(t, size, 16), MulDiv(r, size, 16), MulDiv(b, size, 16));
}

void DrawFill16b(HDC dc, int x, int y, int size, int l, int t, int r, int b, HBRUSH brush) {
    RECT box{DrawMulDiv16(x, size, l), DrawMulDiv16(y, size, t), DrawMulDiv16(x, size, r), DrawMulDiv16(y, size, b)};
    FillRect(dc, &box, brush);
}

void DrawLine16b(HDC dc, int x, int y, int size, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, DrawMulDiv16(x, size, x1), DrawMulDiv16(y, size, y1), nullptr);
    LineTo(dc, DrawMulDiv16(x, size, x2), DrawMulDiv16(y, size, y2));
}

HIMAGELIST BuildTabIcons(int size) {
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 7, 0);
    if (!images) return nullptr;
    WindowDc screenDc(nullptr);
    HDC screen = screenDc.Get();
    HDC dc = CreateCompatibleDC(screen);
    for (int tab = 0; tab < 7; ++tab) {
        GdiHandle<HBITMAP> bitmap(CreateCompatibleBitmap(screen, size, size));
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap.Get());
        Brush mask(CreateSolidBrush(kMask));
        RECT all{0, 0, size, size};
        FillRect(dc, &all, mask.Get());
        {
            DrawKit kit(dc, size, kGrey, kWhite);
            DrawTabIcon(kit, tab, size);
        }
        SelectObject(dc, oldBitmap);
        ImageList_AddMasked(images, bitmap.Get(), kMask);
    }
    DeleteDC(dc);
    return images;
}

void DrawTabIcons(HWND tabs) {
    HIMAGELIST images = BuildTabIcons(UiScale(16));
    // The tab control hands back the list it drew with so far; no one else holds it.
    HIMAGELIST old = tabs ? TabCtrl_SetImageList(tabs, images) : images;
    if (old) ImageList_Destroy(old);
}

void DrawPictogram(HDC dc, int index, int x, int y, int s) {
    bool dark = CurrentTheme->dark != 0;
    DrawKit kit(dc, s, dark ? kDarkGrey : kGrey, dark ? kDarkFill : kWhite);
    switch (index) {
    case 0:  // a table
        Rectangle(dc, DrawMulDiv16(x, s, 1), DrawMulDiv16(y, s, 2), DrawMulDiv16(x, s, 15), DrawMulDiv16(y, s, 14));
        DrawFill16b(dc, x, y, s, 2, 3, 14, 5, kit.accentBrush.Get());
        DrawLine16b(dc, x, y, s, 6, 5, 6, 13);
        DrawLine16b(dc, x, y, s, 10, 5, 10, 13);
        break;
    case 1:  // a speech bubble
        Polygon16(dc, x, y, s, {{1, 2}, {15, 2}, {15, 11}, {7, 11}, {4, 14}, {4, 11}, {1, 11}});
        kit.UseAccent();
        DrawLine16b(dc, x, y, s, 4, 5, 12, 5);
        kit.UseGrey();
        DrawLine16b(dc, x, y, s, 4, 8, 10, 8);
        break;
    case 2:  // a picture: sun over hills
        Rectangle(dc, DrawMulDiv16(x, s, 1), DrawMulDiv16(y, s, 2), DrawMulDiv16(x, s, 15), DrawMulDiv16(y, s, 14));
        kit.UseNullPen();
        SelectObject(dc, kit.accentBrush.Get());
        Ellipse16(dc, x, y, s, 10, 4, 13, 7);
        SelectObject(dc, kit.greyBrush.Get());
        Polygon16(dc, x, y, s, {{2, 13}, {6, 8}, {9, 11}, {11, 9}, {14, 13}});
        break;
    case 3: {  // "A" to "B"
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(9, s, 16);
        lf.lfWeight = FW_BOLD;
        lf.lfQuality = CLEARTYPE_QUALITY;
        wcscpy_s(lf.lfFaceName, L"Segoe UI");
        GdiHandle<HFONT> font(CreateFontIndirectW(&lf));
        HGDIOBJ oldFont = SelectObject(dc, font.Get());
        COLORREF oldColor = SetTextColor(dc, dark ? kDarkGrey : kGrey);
        int oldMode = SetBkMode(dc, TRANSPARENT);
        Letter16(dc, x, y, s, L"A", 0, 2, 7, 15);
        Letter16(dc, x, y, s, L"B", 10, 2, 17, 15);
        SetBkMode(dc, oldMode);
        SetTextColor(dc, oldColor);
        SelectObject(dc, oldFont);
        kit.UseAccent();
        DrawLine16b(dc, x, y, s, 6, 8, 9, 8);
        DrawLine16b(dc, x, y, s, 8, 6, 10, 8);
        DrawLine16b(dc, x, y, s, 10, 8, 8, 10);
        break;
    }
    case 4:  // binoculars
        DrawFill16b(dc, x, y, s, 3, 3, 6, 8, kit.greyBrush.Get());
        DrawFill16b(dc, x, y, s, 10, 3, 13, 8, kit.greyBrush.Get());
        DrawFill16b(dc, x, y, s, 6, 6, 10, 9, kit.accentBrush.Get());
        Ellipse16(dc, x, y, s, 1, 7, 8, 14);
        Ellipse16(dc, x, y, s, 8, 7, 15, 14);
        break;
    default:  // three dots
        kit.UseNullPen();
        SelectObject(dc, kit.greyBrush.Get());
        Ellipse16(dc, x, y, s, 2, 6, 5, 9);
        Ellipse16(dc, x, y, s, 11, 6, 14, 9);
        SelectObject(dc, kit.accentBrush.Get());
        Ellipse16(dc, x, y, s, 6, 6, 10, 9);
        break;
    }
}

namespace {

void FillSlot(HDC dc, const RECT& box, int slot) {
    Brush brush(CreateSolidBrush(CurrentTheme->slot[slot]));
    FillRect(dc, &box, brush.Get());
}

void DrawHeaderItem(NMCUSTOMDRAW* draw) {
    HDC dc = draw->hdc;
    RECT r = draw->rc;
    FillSlot(dc, r, 13);
    {
        Pen separator(CreatePen(PS_SOLID, 1, CurrentTheme->slot[16]));
        HGDIOBJ old = SelectObject(dc, separator.Get());
        MoveToEx(dc, r.right - 1, r.top + 3, nullptr);
        LineTo(dc, r.right - 1, r.bottom - 4);
        SelectObject(dc, old);
    }
    FillSlot(dc, RECT{r.left, r.bottom - 2, r.right, r.bottom}, 15);
    wchar_t text[256] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(draw->hdr.hwndFrom, HDM_GETITEMW, draw->dwItemSpec, reinterpret_cast<LPARAM>(&item));
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(draw->hdr.hwndFrom, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CurrentTheme->slot[14]);
    bool sorted = (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) != 0;
    RECT textBox{r.left + UiScale(6), r.top, r.right - UiScale(6) - (sorted ? UiScale(12) : 0), r.bottom};
    UINT align = (item.fmt & HDF_CENTER) ? DT_CENTER : (item.fmt & HDF_RIGHT) ? DT_RIGHT : DT_LEFT;
    DrawTextW(dc, text, -1, &textBox, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    if (!sorted) return;
    int h = UiScale(4);
    int d = (item.fmt & HDF_SORTUP) ? h / 2 : -h / 2;
    int cx = r.right - UiScale(6) - UiScale(12) / 2, cy = (r.top + r.bottom) / 2;
    POINT arrow[3] = {{cx - h, cy + d}, {cx + h, cy + d}, {cx, cy - d}};
    Pen pen(CreatePen(PS_SOLID, 1, CurrentTheme->slot[14]));
    Brush brush(CreateSolidBrush(CurrentTheme->slot[14]));
    HGDIOBJ oldPen = SelectObject(dc, pen.Get()), oldBrush = SelectObject(dc, brush.Get());
    Polygon(dc, arrow, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void DrawHeaderRest(NMCUSTOMDRAW* draw) {
    HWND header = draw->hdr.hwndFrom;
    int right = 0;
    int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (SendMessageW(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) right = std::max(right, (int)item.right);
    }
    RECT client{};
    GetClientRect(header, &client);
    if (right >= client.right) return;
    FillSlot(draw->hdc, RECT{right, client.top, client.right, client.bottom}, 13);
    FillSlot(draw->hdc, RECT{right, client.bottom - 2, client.right, client.bottom}, 15);
}

}  // namespace

bool DrawHeader(NMCUSTOMDRAW* draw, LRESULT& result) {
    if (!CurrentTheme->custom || draw->hdr.code != NM_CUSTOMDRAW) return false;
    wchar_t cls[32] = {};
    GetClassNameW(draw->hdr.hwndFrom, cls, 32);
    if (_wcsicmp(cls, L"SysHeader32") != 0) return false;
    switch (draw->dwDrawStage) {
    case CDDS_PREPAINT:
        result = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        return true;
    case CDDS_ITEMPREPAINT:
        DrawHeaderItem(draw);
        result = CDRF_SKIPDEFAULT;
        return true;
    case CDDS_POSTPAINT:
        DrawHeaderRest(draw);
        result = CDRF_DODEFAULT;
        return true;
    default:
        return false;
    }
}

void DrawGroupHeader(NMLVCUSTOMDRAW* draw) {
    HDC dc = draw->nmcd.hdc;
    HWND list = draw->nmcd.hdr.hwndFrom;
    RECT r = IsRectEmpty(&draw->rcText) ? draw->nmcd.rc : draw->rcText;
    FillSlot(dc, r, 1);
    wchar_t text[256] = {};
    LVGROUP group{};
    group.cbSize = sizeof(group);
    group.mask = LVGF_HEADER | LVGF_STATE;
    group.stateMask = LVGS_COLLAPSED;
    group.pszHeader = text;
    group.cchHeader = 256;
    SendMessageW(list, LVM_GETGROUPINFO, draw->nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&group));
    HGDIOBJ oldFont = SelectObject(dc, UiFontSemibold ? UiFontSemibold : UiFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, CurrentTheme->slot[18]);
    RECT textBox{r.left + UiScale(6), r.top, r.right - UiScale(24), r.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    DrawTextW(dc, text, -1, &textBox, format | DT_END_ELLIPSIS);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
    int ruleLeft = textBox.left + extent.cx + UiScale(8), ruleRight = r.right - UiScale(26);
    if (ruleRight > ruleLeft) {
        COLORREF a = CurrentTheme->slot[18], b = CurrentTheme->slot[1];
        COLORREF mean = RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
                            (GetBValue(a) + GetBValue(b)) / 2);
        int y = (r.top + r.bottom) / 2;
        Brush rule(CreateSolidBrush(mean));
        RECT line{ruleLeft, y, ruleRight, y + 1};
        FillRect(dc, &line, rule.Get());
    }
    // Only the preview's field list opens and closes its groups.
    if (GetDlgCtrlID(list) == IdPvFieldList) {
        RECT mark{r.right - UiScale(22), r.top, r.right - UiScale(6), r.bottom};
        const wchar_t* glyph = (group.state & LVGS_COLLAPSED) ? L"\u25B8" : L"\u25BE";
        DrawTextW(dc, glyph, 1, &mark, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
}

bool GroupHeaderPrePaint(NMLVCUSTOMDRAW* draw) {
    if (!CurrentTheme->custom || draw->dwItemType != LVCDI_GROUP || draw->nmcd.dwDrawStage != CDDS_PREPAINT)
        return false;
    DrawGroupHeader(draw);
    return true;
}
