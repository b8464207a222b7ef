#include <doctest/doctest.h>

#include <windows.h>

#include <commctrl.h>

#include "analyses/preview_state.h"
#include "check_fixture.h"
#include "probe/pe.h"
#include "views/panes.h"

namespace {

// Wine's list view ignores groups, so the test records what the list is told.
std::wstring Told;
WNDPROC ListProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == LVM_REMOVEALLGROUPS) Told += L"clear\n";
    if (msg == LVM_INSERTGROUP) {
        const LVGROUP* g = (const LVGROUP*)lp;
        bool collapsible = (g->mask & LVGF_STATE) && (g->state & g->stateMask & LVGS_COLLAPSIBLE);
        Told += std::to_wstring(g->iGroupId) + L" " + g->pszHeader + (collapsible ? L" +\n" : L"\n");
    }
    if (msg == LVM_INSERTITEMW && (((const LVITEMW*)lp)->mask & LVIF_GROUPID))
        Told += L"in " + std::to_wstring(((const LVITEMW*)lp)->iGroupId) + L"\n";
    return CallWindowProcW(ListProc, w, msg, wp, lp);
}

// The cells of a row joined by "|".
std::wstring Cells(HWND list, int row) {
    std::wstring out;
    for (int c = 0; c < 4; ++c) {
        wchar_t cell[300] = L"";
        ListView_GetItemText(list, row, c, cell, 300);
        out += (c ? L"|" : L"") + std::wstring(cell);
    }
    return out;
}

}  // namespace

TEST_SUITE("listview") {
    TEST_CASE("the Lister-check list shows the rows in their groups with their indexes") {
        CheckFixture f(L"lvlist",
                       L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\text.wlx\r\n1_detect=\"EXT=\"TXT\"\"\r\n"
                       L"2=%COMMANDER_PATH%\\p\\forced.wlx\r\n2_detect=\"FORCE\"\r\n3=%COMMANDER_PATH%\\p\\gone.wlx\r\n",
                       {{L"text.wlx64", PeMachineX64}, {L"forced.wlx64", PeMachineX64}});
        HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 900, nullptr, nullptr,
                                     nullptr, nullptr);
        HWND list = LvCheckList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 800, 800,
                                                  frame, nullptr, nullptr, nullptr);
        for (int c = 0, widths[] = {44, 170, 64, 400}; c < 4; ++c) {
            LVCOLUMNW col{};
            col.mask = LVCF_WIDTH;
            col.cx = widths[c];
            ListView_InsertColumn(list, c, &col);
        }
        ListProc = (WNDPROC)SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)RecordingProc);

        PreviewFile = f.File(L"a.txt", "x");
        LvFillCheck();
        CHECK(Told == L"clear\n1 TC decides first +\n2 Matches with F3 – in this order (1) +\n3 Only with key 4 "
                      L"(1) +\n4 Does not match (1) +\nin 1\nin 1\nin 2\nin 3\nin 4\n");
        REQUIRE(ListView_GetItemCount(list) == 5);
        CHECK(Cells(list, 0) == L"|Order|→|nothing set for this type – TC asks the plugins in this order");
        CHECK(Cells(list, 2) == L"#1|text|✓|EXT=\"TXT\"");
        CHECK(Cells(list, 3) == L"#2|forced|✓ 4|only with key 4 (FORCE)");
        CHECK(Cells(list, 4) == L"#3|gone|–|plugin file missing");
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = 4;
        CHECK((ListView_GetItem(list, &item) && item.lParam == 4));
        RECT client{};
        GetClientRect(list, &client);
        CHECK(ListView_GetColumnWidth(list, 3) == client.right - 44 - 170 - 64);

        // A refill starts afresh and leaves out the groups without rows.
        Told.clear();
        PreviewFile = f.File(L"a.doc", "x");
        LvFillCheck();
        CHECK(Told == L"clear\n1 TC decides first +\n3 Only with key 4 (1) +\n4 Does not match (2) +\n"
                      L"in 1\nin 4\nin 3\nin 4\n");
        CHECK(ListView_GetItemCount(list) == 4);
        DestroyWindow(frame);
        LvCheckList = nullptr;
        PreviewFile.clear();
    }
}
