#include <windows.h>

#include <commctrl.h>

#include "../analyses/lister_check_scenario.h"
#include "analyses/preview_state.h"
#include "probe/workers.h"
#include "views/lister_check_list.h"
#include "view_fixture.h"

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
        Told += std::to_wstring(((const LVITEMW*)lp)->iGroupId);
    return CallWindowProcW(ListProc, w, msg, wp, lp);
}

int StatusUpdates = 0;
LRESULT CALLBACK CountStatusTexts(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == SB_SETTEXTW) ++StatusUpdates;
    return DefSubclassProc(w, msg, wp, lp);
}

}  // namespace

TEST_SUITE("listview") {
    TEST_CASE("LvFillCheck checks the preview file, lists the rows in their groups and explains each row") {
        Scenario s;
        HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 900, nullptr, nullptr,
                                     nullptr, nullptr);
        TestView t;
        HWND list = t.view.controls.lvCheckList = CreateWindowExW(
            0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 800, 800, frame, nullptr, nullptr, nullptr);
        LVCOLUMNW column{};
        for (int c = 0; c < 4; ++c) ListView_InsertColumn(list, c, &column);
        ListProc = (WNDPROC)SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
        HWND bar = t.view.controls.statusBar =
            CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 800, 20, frame, nullptr, nullptr, nullptr);
        SetWindowSubclass(bar, CountStatusTexts, 1, 0);
        StatusUpdates = 0;
        uint32_t generation = PvFieldsGen;

        PreviewFile = s.File(L"a.txt", kTextHead);
        LvFillCheck(t.view);
        CHECK(PvFieldsGen == generation + 1);
        CHECK((RowsText(LvRows) == kTxtRows && LvFileExt == L"TXT"));
        CHECK(Told == L"clear\n1 TC decides first +\n2 Matches with F3 – in this order (4) +\n3 Only with key 4 (1) +\n"
                      L"4 Does not match (3) +\n1124423422");
        REQUIRE(ListView_GetItemCount(list) == 10);
        auto cells = [&](int row) {  // the row's cells joined by "|"
            std::wstring out;
            for (int c = 0; c < 4; ++c) {
                wchar_t cell[300] = L"";
                ListView_GetItemText(list, row, c, cell, 300);
                out += (c ? L"|" : L"") + std::wstring(cell);
            }
            return out;
        };
        CHECK(cells(0) == L"|Order|→|nothing set for this type – TC asks the plugins in this order");
        CHECK(cells(2) == L"#1|text|✓|EXT=\"TXT\"");
        CHECK(cells(3) == L"#2|missing|–|plugin file missing");
        CHECK(cells(6) == L"#5|forced|✓ 4|only with key 4 (FORCE)");
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = 9;
        CHECK((ListView_GetItem(list, &item) && item.lParam == 9));
        CHECK(LvRowDetailText(6) ==
              L"Plugin:\tforced  (#5)\r\nDetect:\tFORCE & EXT=\"TXT\"\r\nResult:\tonly with key 4 – only with key 4 "
              L"(FORCE)\r\nParts:\t(key 4) FORCE   ✓ EXT=\"TXT\"\r\nNote:\t" + Tr("lv_note"));
        CHECK(LvRowDetailText(0) == L"Order:\tnothing set for this type – TC asks the plugins in this order");
        CHECK(LvRowDetailText(10).empty());

        // A refill starts afresh and leaves out the groups without rows.
        Told.clear();
        PreviewFile = s.File(L"a.nomm", "x");
        LvFillCheck(t.view);
        CHECK(Told == L"clear\n1 TC decides first +\n3 Only with key 4 (2) +\n4 Does not match (6) +\n144434434");
        PreviewFile.clear();
        LvFillCheck(t.view);
        CHECK((LvRows.empty() && ListView_GetItemCount(list) == 0 && StatusUpdates == 3));
        DestroyWindow(frame);
    }
}
