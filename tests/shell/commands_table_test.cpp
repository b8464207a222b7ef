// The commands table: every command the menu, the accelerators and the key bar send
// has its row, the accelerators are the table's keys, a child control acts only on its
// own notification, and the enabling rules keep commands off where nothing is theirs.
#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <set>
#include <vector>

#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "views/key_bar.h"

namespace {

void MenuIds(HMENU menu, std::vector<int>& ids) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) MenuIds(sub, ids);
        else if (!(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)) ids.push_back((int)GetMenuItemID(menu, i));
    }
}

// The key bar of each kind of tab: the plugin tabs, the inventory, the findings, the preview.
std::vector<int> KeyBarCommands() {
    MainWindow app;
    MainView& view = app.View();
    std::vector<int> ids;
    for (int shown = 0; shown < 4; ++shown) {
        view.tabIsInventory = shown == 1;
        view.tabIsFindings = shown == 2;
        view.tabIsPreview = shown == 3;
        for (const KeyBarItem& item : BuildKeyBar(view)) ids.push_back(item.command);
    }
    return ids;
}

bool Enabled(const MainWindow& app, int id) {
    const CommandRow* row = FindCommand(id);
    return row && (!row->enabled || row->enabled(app));
}

}  // namespace

TEST_CASE("every command of the menu, the key bar and the accelerators has its one row in the table") {
    std::set<int> ids;
    for (const CommandRow& row : CommandTable()) {
        CAPTURE(row.id);
        CHECK(ids.insert(row.id).second);
        CHECK(static_cast<bool>(row.run));
    }
    for (int id = CmdOpenIni; id <= CmdInstall; ++id) CHECK(ids.count(id) == 1);

    HMENU menu = BuildMainMenu();
    std::vector<int> menuIds;
    MenuIds(menu, menuIds);
    DestroyMenu(menu);
    CHECK(menuIds.size() >= 14);
    for (int id : menuIds) {
        CAPTURE(id);
        const CommandRow* row = FindCommand(id);
        REQUIRE(row);
        CHECK(row->notification == AnyNotification);
    }
    // A click on the key bar sends its command with notification 0, as BN_CLICKED is.
    for (int id : KeyBarCommands()) {
        CAPTURE(id);
        const CommandRow* row = FindCommand(id);
        REQUIRE(row);
        CHECK((row->notification == AnyNotification || row->notification == BN_CLICKED));
    }
    CHECK(FindCommand(IdSearchEdit)->notification == EN_CHANGE);
    CHECK(FindCommand(IdPluginList) == nullptr);
}

TEST_CASE("the accelerators are the keys of the table") {
    HACCEL table = CreateCommandAccelerators();
    REQUIRE(table);
    std::vector<ACCEL> keys((size_t)CopyAcceleratorTableW(table, nullptr, 0));
    CopyAcceleratorTableW(table, keys.data(), (int)keys.size());
    DestroyAcceleratorTable(table);
    std::map<std::pair<int, int>, int> found;
    for (const ACCEL& key : keys) found[{key.fVirt & ~0x80, key.key}] = key.cmd;
    const BYTE ctrl = FCONTROL | FVIRTKEY, shift = FSHIFT | FVIRTKEY, alt = FALT | FVIRTKEY, plain = FVIRTKEY;
    const std::map<std::pair<int, int>, int> expected = {
        {{ctrl, 'O'}, CmdOpenIni},       {{plain, VK_F5}, CmdReload},     {{plain, VK_F1}, CmdHelp},
        {{shift, VK_F1}, CmdLegend},     {{ctrl, 'E'}, CmdSettings},      {{ctrl, 'I'}, CmdInstall},
        {{alt, VK_RETURN}, CmdPluginInfo}, {{ctrl, 'S'}, CmdSave},        {{ctrl, 'F'}, CmdFind},
        {{plain, VK_F3}, CmdNextMatch},  {{shift, VK_F3}, CmdPrevMatch},
    };
    CHECK(found == expected);
}

TEST_SUITE("listview") {

TEST_CASE("a child control acts on its own notification only; edit, delete, order and uninstall where theirs") {
    MainWindow app;
    MainControls& c = app.View().controls;
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr, nullptr,
                                 nullptr);
    c.searchEdit = CreateWindowExW(0, L"EDIT", L"zebra", WS_CHILD, 0, 0, 100, 20, frame, nullptr, nullptr, nullptr);
    RunCommand(app, MAKEWPARAM(IdSearchClearBtn, EN_CHANGE), 0);
    CHECK(GetWindowTextLengthW(c.searchEdit) == 5);
    RunCommand(app, MAKEWPARAM(IdSearchClearBtn, BN_CLICKED), 0);
    CHECK(GetWindowTextLengthW(c.searchEdit) == 0);

    MainView& view = app.View();
    CHECK(Enabled(app, CmdEdit));
    CHECK_FALSE(Enabled(app, CmdUninstall));  // no plugin list to take a row from
    CHECK_FALSE(Enabled(app, CmdMoveUp));     // nor a tab control to tell the kind
    c.tabCtl = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD, 0, 0, 400, 30, frame, nullptr, nullptr, nullptr);
    c.pluginList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 40, 400, 300, frame, nullptr,
                                   nullptr, nullptr);
    for (int tab = 0; tab < 4; ++tab) {
        TCITEMW item{};
        TabCtrl_InsertItem(c.tabCtl, tab, &item);
    }
    for (int tab = 0; tab < 4; ++tab) {
        CAPTURE(tab);
        TabCtrl_SetCurSel(c.tabCtl, tab);
        CHECK(Enabled(app, CmdMoveUp) == (tab < 2));
        CHECK(Enabled(app, CmdMoveDown) == (tab < 2));
        CHECK(Enabled(app, CmdUninstall));
    }
    view.tabIsFindings = true;
    CHECK((Enabled(app, CmdEdit) && Enabled(app, CmdDelete)));
    CHECK_FALSE(Enabled(app, CmdUninstall));
    view.tabIsFindings = false;
    for (bool* special : {&view.tabIsInventory, &view.tabIsPreview}) {
        *special = true;
        CHECK_FALSE(Enabled(app, CmdEdit));
        CHECK_FALSE(Enabled(app, CmdDelete));
        CHECK_FALSE(Enabled(app, CmdUninstall));
        *special = false;
    }
    DestroyWindow(frame);
}

}  // TEST_SUITE
