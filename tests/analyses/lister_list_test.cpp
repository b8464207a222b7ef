#include <doctest/doctest.h>

#include <windows.h>

#include <commctrl.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/lister_check.h"
#include "analyses/preview_state.h"
#include "check_fixture.h"
#include "views/panes.h"

namespace {

const wchar_t kIni[] =
    L"[ListerPlugins]\r\n"
    L"1=%COMMANDER_PATH%\\p\\text.wlx\r\n1_detect=\"EXT=\"TXT\"\"\r\n"
    L"2=%COMMANDER_PATH%\\p\\forced.wlx\r\n2_detect=\"FORCE\"\r\n"
    L"3=%COMMANDER_PATH%\\p\\gone.wlx\r\n";

// What the list was told about groups, recorded on the way in: Wine's list view
// ignores groups, so the test reads the messages rather than the list.
std::wstring GroupLog;
WNDPROC ListProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == LVM_REMOVEALLGROUPS) GroupLog += L"clear\n";
    if (msg == LVM_INSERTGROUP) {
        const LVGROUP* g = (const LVGROUP*)lp;
        bool collapsible = (g->mask & LVGF_STATE) && (g->state & g->stateMask & LVGS_COLLAPSIBLE);
        GroupLog += std::to_wstring(g->iGroupId) + L" " + g->pszHeader + (collapsible ? L" +\n" : L"\n");
    }
    if (msg == LVM_INSERTITEMW) {
        const LVITEMW* item = (const LVITEMW*)lp;
        if (item->mask & LVIF_GROUPID) GroupLog += L"item " + std::to_wstring(item->iGroupId) + L"\n";
    }
    return CallWindowProcW(ListProc, w, msg, wp, lp);
}

// A window with the Lister-check list as the main window will hold it.
struct ListWindow {
    HWND frame = nullptr;

    ListWindow() {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 900, nullptr, nullptr, nullptr,
                                nullptr);
        LvCheckList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 800, 800,
                                      frame, nullptr, nullptr, nullptr);
        const int widths[] = {44, 170, 64, 400};
        for (int c = 0; c < 4; ++c) {
            LVCOLUMNW col{};
            col.mask = LVCF_WIDTH | LVCF_SUBITEM;
            col.cx = widths[c];
            col.iSubItem = c;
            ListView_InsertColumn(LvCheckList, c, &col);
        }
        ListView_EnableGroupView(LvCheckList, TRUE);
        ListProc = (WNDPROC)SetWindowLongPtrW(LvCheckList, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
    }
    ~ListWindow() {
        DestroyWindow(frame);
        LvCheckList = nullptr;
    }
};

// Every item as "data|col0|col1|col2|col3".
std::wstring Items(HWND list) {
    std::wstring out;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        ListView_GetItem(list, &item);
        out += std::to_wstring(item.lParam);
        for (int c = 0; c < 4; ++c) {
            wchar_t cell[300] = L"";
            ListView_GetItemText(list, i, c, cell, 300);
            out += L"|" + std::wstring(cell);
        }
        out += L"\n";
    }
    return out;
}

}  // namespace

TEST_SUITE("listview") {
    TEST_CASE("the Lister-check list shows the rows in groups with their item data") {
        CheckFixture f(L"lvlist");
        f.Ini(kIni);
        f.Plugin(L"text.wlx64", 0x8664);
        f.Plugin(L"forced.wlx64", 0x8664);
        ListWindow w;
        HWND list = LvCheckList;

        PreviewFile = f.File(L"a.txt", "x");
        GroupLog.clear();
        LvFillCheck();
        CHECK(GroupLog ==
              L"clear\n1 TC decides first +\n2 Matches with F3 – in this order (1) +\n3 Only with key 4 (1) +\n"
              L"4 Does not match (1) +\nitem 1\nitem 1\nitem 2\nitem 3\nitem 4\n");
        CHECK(Items(list) ==
              L"0||Order|→|nothing set for this type – TC asks the plugins in this order\n"
              L"1||Key 4 cycle|→|text → forced → text – starts at the first match, skips plugins that refuse "
              L"the file\n"
              L"2|#1|text|✓|EXT=\"TXT\"\n"
              L"3|#2|forced|✓ 4|only with key 4 (FORCE)\n"
              L"4|#3|gone|–|plugin file missing\n");
        RECT client{};
        GetClientRect(list, &client);
        CHECK(ListView_GetColumnWidth(list, 3) == client.right - 44 - 170 - 64);

        // A refill starts afresh and leaves out the groups without rows.
        PreviewFile = f.File(L"a.doc", "x");
        GroupLog.clear();
        LvFillCheck();
        CHECK(GroupLog == L"clear\n1 TC decides first +\n3 Only with key 4 (1) +\n4 Does not match (2) +\n"
                          L"item 1\nitem 4\nitem 3\nitem 4\n");
        CHECK(ListView_GetItemCount(list) == 4);
        PreviewFile.clear();
    }
}
