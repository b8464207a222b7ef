#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "views/cell_hilite.h"
#include "views/cell_tips.h"
#include "views/list_subclass.h"
#include "view_fixture.h"

TEST_CASE("cell tip text: short texts whole, long ones cut near a blank or after twelve lines") {
    CHECK(ShortenTipText(L"short") == L"short");
    std::wstring words;
    while (words.size() < 800) words += L"abcdefg ";
    std::wstring cut = ShortenTipText(words);
    std::wstring tail = L"\u2026\r\n\r\n" + Tr("tip_more");
    REQUIRE(cut.size() > tail.size());
    CHECK(cut.substr(cut.size() - tail.size()) == tail);
    std::wstring kept = cut.substr(0, cut.size() - tail.size());
    CHECK(kept.size() <= 500);
    CHECK(kept.size() > 375);
    CHECK(kept.back() == L'g');  // cut at the blank, not inside a word
    std::wstring lines;
    for (int i = 0; i < 20; ++i) lines += L"line\n";
    std::wstring twelve = ShortenTipText(lines);
    CHECK(std::count(twelve.begin(), twelve.end(), L'\n') <= 11 + 2);  // at most 12 lines, then the note
    std::wstring noBlank(800, L'x');
    CHECK(ShortenTipText(noBlank).substr(0, 501) == std::wstring(500, L'x') + L"\u2026");
}

TEST_CASE("cell tip place: below the cell, pulled left at the right edge, above the cell at the bottom") {
    RECT work{0, 0, 1000, 800};
    POINT below = TipPlace(RECT{100, 100, 200, 120}, SIZE{300, 50}, work, 2);
    CHECK(below.x == 100);
    CHECK(below.y == 122);
    POINT left = TipPlace(RECT{900, 100, 990, 120}, SIZE{300, 50}, work, 2);
    CHECK(left.x == 700);
    POINT above = TipPlace(RECT{100, 770, 200, 790}, SIZE{300, 50}, work, 2);
    CHECK(above.y == 770 - 2 - 50);
    POINT huge = TipPlace(RECT{100, 770, 200, 790}, SIZE{1200, 900}, work, 2);
    CHECK(huge.x == 0);
    CHECK(huge.y == 0);
}

TEST_CASE("search hits in a cell: placed as the text is drawn, ended by the first one that passes the edge") {
    auto tenEach = [](const std::wstring& piece) { return static_cast<int>(piece.size()) * 10; };
    const RECT cell{100, 0, 300, 20};
    auto xs = [](const std::vector<HiliteSpan>& spans) {
        std::vector<int> out;
        for (const HiliteSpan& s : spans) out.insert(out.end(), {s.x1, s.x2});
        return out;
    };
    CHECK(xs(HiliteSpans(L"Abcab", L"ab", cell, 6, LVCFMT_LEFT, tenEach)) == std::vector<int>{106, 126, 136, 156});
    // A text that fits starts in the middle or at the right inset.
    CHECK(xs(HiliteSpans(L"xxab", L"ab", cell, 6, LVCFMT_CENTER, tenEach)) == std::vector<int>{200, 220});
    CHECK(xs(HiliteSpans(L"xxab", L"ab", cell, 6, LVCFMT_RIGHT, tenEach)) == std::vector<int>{274, 294});
    // Too long to fit: drawn from the left, hits beyond the edge are left out and end the walk.
    std::wstring longText = L"ab" + std::wstring(16, L'x') + L"ab" + L"ab";
    CHECK(xs(HiliteSpans(longText, L"ab", cell, 6, LVCFMT_RIGHT, tenEach)) == std::vector<int>{106, 126});
    CHECK(HiliteSpans(L"nothing", L"ab", cell, 6, LVCFMT_LEFT, tenEach).empty());
}

TEST_CASE("extra-column menu and order keys") {
    CHECK(ExtraColsAfterChoice({0, 9}, 99).empty());
    CHECK(ExtraColsAfterChoice({0, 9}, 100 + 9) == std::vector<int32_t>{0});
    CHECK(ExtraColsAfterChoice({9}, 100 + 4) == std::vector<int32_t>{4, 9});
    CHECK(ExtraColsAfterChoice({9}, 0) == std::vector<int32_t>{9});
    CHECK(OrderOpOfKey(VK_HOME) == 2);
    CHECK(OrderOpOfKey(VK_UP) == 0);
    CHECK(OrderOpOfKey(VK_DOWN) == 1);
    CHECK(OrderOpOfKey(VK_END) == 3);
    CHECK(OrderOpOfKey(VK_LEFT) == -1);
}

TEST_SUITE("listview") {

TEST_CASE("list subclass: Ctrl+End orders, Ctrl+Left does not; a sized last column is kept as its least width") {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 300, nullptr,
                                nullptr, nullptr, nullptr);
    for (int c = 0; c < 3; ++c) ListViewAddColumn(list, c, L"c", 100, LVCFMT_LEFT);
    TestView t;
    t.view.controls.pluginList = list;
    SubclassList(t.view, list);
    std::vector<int>& ops = t.host.moves;
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(list, WM_KEYDOWN, VK_END, 0);
    SendMessageW(list, WM_KEYDOWN, VK_LEFT, 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    CHECK(ops == std::vector<int>{3});

    HWND header = ListView_GetHeader(list);
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 300;
    NMHEADERW end{};
    end.hdr = {header, 0, HDN_ENDTRACKW};
    end.iItem = 2;
    end.pitem = &item;
    SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&end));
    CHECK(ListMinWidths[list] == 300);
    ListView_SetColumnWidth(list, 2, 50);
    ListViewFitLastColumn(list);
    CHECK(ListView_GetColumnWidth(list, 2) >= 300);
    DestroyWindow(list);
}

}  // TEST_SUITE
