// The content preview's lists on the fake Content plugins: what the pick list
// shows, which groups the field list is told to make, and the field menu.
#include "../analyses/preview_fixture.h"  // windows.h before commctrl.h
#include <commctrl.h>

#include <set>

#include "analyses/content_preview.h"
#include "foundation/data_folder.h"
#include "foundation/ui_globals.h"
#include "views/preview_layout.h"
#include "views/preview_lists.h"
#include "view_fixture.h"

namespace {

// The preview's view as the main window makes it: these lists, answers to the page.
struct ListsHost : FakeViewHost {
    MainView* view = nullptr;
    bool PanesShown() override { return view->tabIsPreview && view->previewMode == 0; }
    void Clear() override { PvClearFieldList(*view); }
    void FillPluginList() override { PvFillPluginList(*view); }
    void FillFieldList() override { PvFillFieldList(*view); }
    void RefreshGroup(int index) override { PvRefreshGroup(*view, index); }
    void SaveGroupStates() override { PvSaveGroupStates(*view); }
    void ShowIntro() override { ShowPreviewIntro(*view); }
};

// The preview tab's lists, as the main window holds them.
TestViewOf<ListsHost> Shown;
const MainControls& Controls = Shown.view.controls;

// Wine's list view ignores groups, so the test records what the field list is told.
std::wstring Told;
WNDPROC FieldListProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == LVM_REMOVEALLGROUPS) Told.clear();
    if (msg == LVM_INSERTGROUP) Told += std::to_wstring(wp) + L":" + ((const LVGROUP*)lp)->pszHeader + L"\n";
    return CallWindowProcW(FieldListProc, w, msg, wp, lp);
}

// The page of the preview tab: takes the answers in and hands the pick list's
// changes on, as the main window does.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && ((const NMHDR*)lParam)->hwndFrom == Controls.pvPluginList &&
        ((const NMHDR*)lParam)->code == LVN_ITEMCHANGED) {
        PvPickListChanged(Shown.view, *(const NMLISTVIEW*)lParam);
        return 0;
    }
    return PreviewWindowProc(window, message, wParam, lParam);
}

HWND MakeList(HWND parent, DWORD exStyle, int columns) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 800, 600, parent, nullptr,
                                nullptr, nullptr);
    ListView_SetExtendedListViewStyle(list, exStyle);
    LVCOLUMNW column{};
    for (int c = 0; c < columns; ++c) ListView_InsertColumn(list, c, &column);
    ListView_EnableGroupView(list, TRUE);
    return list;
}

std::wstring PickRows() {
    std::wstring out;
    HWND list = Controls.pvPluginList;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        wchar_t name[200] = L"", result[50] = L"";
        ListView_GetItemText(list, row, 0, name, 200);
        ListView_GetItemText(list, row, 1, result, 50);
        out += (ListView_GetCheckState(list, row) ? L"[x] " : L"[ ] ") + std::wstring(name) + L" " + result +
               L"\n";
    }
    return out;
}

}  // namespace

TEST_SUITE("64-bit") {
    TEST_CASE("the pick list and the groups of the ticked plugins") {
        PreviewFixture f(Entry(1, Configured(L"content", L"wdx"), L"EXT=\"JPG\"") +
                         Entry(2, Configured(L"content_many", L"wdx"), L"SIZE>0") + Entry(3, L"Z:\\gone\\lost.wdx") +
                         Entry(4, Configured(L"content", L"wdx"), L"EXT=\"TXT\""));
        MainControls& c = Shown.view.controls;
        HWND page = c.main = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr,
                                             nullptr, nullptr, nullptr);
        SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PageProc));
        HWND PvPluginList = c.pvPluginList = MakeList(page, LVS_EX_CHECKBOXES, 2);
        HWND PvFieldList = c.pvFieldList = MakeList(page, 0, 4);
        FieldListProc = (WNDPROC)SetWindowLongPtrW(PvFieldList, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
        Shown.host.view = &Shown.view;
        Shown.host.resultWindow = page;
        ShownView = &Shown.host;
        Shown.view.tabIsPreview = true;
        Shown.view.previewMode = 0;
        f.Preview(f.File(L"photo.jpg", 300));
        // Answered plugins by their values once the choice is made, then the others by state.
        CHECK(PickRows() == L"[ ] tc (pseudo) 26/31\n[ ] #2  content_many 500/500\n[x] #1  content  ★ 15/17\n"
                            L"[ ] #4  content \n[ ] #3  lost ×\n");
        CHECK(Told == L"0:#1  content  –  fields with a value: 15/17\n");
        CHECK(ListView_GetItemCount(PvFieldList) == 15);
        SUBCASE("ticking a plugin puts its group in display order and remembers the choice for the type") {
            ListView_SetCheckState(PvPluginList, 1, TRUE);
            CHECK(Told == L"0:#2  content_many  –  fields with a value: 500/500\n1:#1  content  –  fields with a value: "
                          L"15/17\n");
            CHECK(ListView_GetItemCount(PvFieldList) == 515);
            CHECK(PvLastChoice[L"jpg"] == std::set<std::wstring>{L"content", L"content_many"});
        }
        SUBCASE("ticking a plugin that does not match asks it, and its answer replaces its group") {
            ListView_SetCheckState(PvPluginList, 3, TRUE);
            CHECK(PvPlugins[4].state == PvQuerying);
            PumpUntilAnswered();
            CHECK(PvPlugins[4].state == PvAnsweredOk);
            CHECK(Told.ends_with(L"1:#4  content  –  fields with a value: 15/17  ·  assignment does not match this "
                                 L"file – TC would not ask it\n"));
        }
        SUBCASE("also empty fields and all units") {
            c.pvEmptyCheck = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 9, 9, page, nullptr,
                                             nullptr, nullptr);
            c.pvUnitsCheck = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 9, 9, page, nullptr,
                                             nullptr, nullptr);
            SendMessageW(c.pvEmptyCheck, BM_SETCHECK, BST_CHECKED, 0);
            SendMessageW(c.pvUnitsCheck, BM_SETCHECK, BST_CHECKED, 0);
            PvFillFieldList(Shown.view);
            // Every field, and the further units: 2 of Size, 2 of Colour, 15 of Many.
            CHECK(ListView_GetItemCount(PvFieldList) == 17 + 2 + 2 + 15);
        }
        Shown.view.tabIsPreview = false;
        DestroyWindow(page);
        c = {};
    }
}

TEST_CASE("the field menu: the built-in group cannot be skipped, its key would name a plugin") {
    PvPlugin builtIn, plugin;
    builtIn.builtIn = 1;
    builtIn.key = L"tc";
    plugin.key = L"tc";  // a real plugin of that name
    PvPlugins = {builtIn, plugin};
    auto ids = [](const PvRowRef& ref) {
        HMENU menu = PvFieldMenuItems(ref);
        std::vector<UINT> out;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) out.push_back(GetMenuItemID(menu, i));
        DestroyMenu(menu);
        return out;
    };
    CHECK(ids({0, 0, 0}) == std::vector<UINT>{PvCmdCopyValue, PvCmdCopyRef});
    CHECK(ids({1, 0, 0}) == std::vector<UINT>{PvCmdCopyValue, PvCmdCopyRef, 0, PvCmdSkip});
    CHECK(ids({1, -1, 0}) == std::vector<UINT>{PvCmdSkip});
    PvPlugins.clear();
}

TEST_CASE("the preview's menus act on the plugin they were opened on, after a refresh rebuilt the rows") {
    PvPlugin builtIn, first, second;
    builtIn.builtIn = 1;
    builtIn.key = L"tc";
    first.key = L"first_fields";
    second.key = L"second_fields";
    FieldDef size;
    size.name = L"Size";
    size.type = 2;
    size.values = {{2, L"12"}};
    first.fields = {size};
    size.name = L"Colour";
    size.values = {{8, L"red"}};
    second.fields = {size};
    TestView shown;
    shown.view.pvRows = {{1, 0, 0}};
    // The refresh a file handed over while the menu is open makes: the same plugins, another order.
    auto reordered = [&](UINT choice) {
        return [&, choice](HMENU) {
            PvPlugins = {builtIn, second, first};
            return choice;
        };
    };
    auto skipped = [] {
        std::set<std::wstring> keys = LoadPreviewSkip();
        return std::wstring(keys.count(L"first_fields") ? L"first " : L"") + (keys.count(L"second_fields") ? L"second" : L"");
    };
    for (UINT copy : {PvCmdCopyValue, PvCmdCopyRef}) {
        PvPlugins = {builtIn, first, second};
        shown.host.menu = reordered(copy);
        PvFieldMenu(shown.view, {}, 0);
        CHECK(ClipboardText() == (copy == PvCmdCopyValue ? L"12" : L"[=first_fields.Size]"));
    }
    PvPlugins = {builtIn, first, second};
    shown.host.menu = reordered(PvCmdSkip);
    PvFieldMenu(shown.view, {}, 0);
    CHECK(skipped() == L"first ");
    SetPreviewSkip(L"first_fields", false);
    PvPlugins = {builtIn, first, second};
    PvPluginMenu(shown.view, {}, 1);
    CHECK(skipped() == L"first ");
    SetPreviewSkip(L"first_fields", false);
    // Gone from the rows: nothing is skipped.
    PvPlugins = {builtIn, first, second};
    shown.host.menu = [&](HMENU) {
        PvPlugins = {builtIn};
        return (UINT)PvCmdSkip;
    };
    PvPluginMenu(shown.view, {}, 2);
    CHECK(skipped().empty());
    PvPlugins.clear();
}
