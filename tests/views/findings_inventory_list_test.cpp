#include <windows.h>

#include <commctrl.h>

#include "../editing/fake_editing_host.h"
#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/findings.h"
#include "analyses/plugin_caches.h"
#include "editing/open_ini.h"
#include "editing/save_changes.h"
#include "editing/save_dialog.h"
#include "editing/tc_control.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/list_view.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/pending.h"
#include "probe/post_record.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/status_text.h"
#include "view_fixture.h"

namespace {

std::wstring Joined(const auto& cells) {
    std::wstring out;
    for (const auto& c : cells) out += (out.empty() ? L"" : L"|") + c;
    return out;
}

// Local time `minutes` ago in the form the inventory stores.
std::wstring StampMinutesAgo(int64_t minutes) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart -= (uint64_t)minutes * 60 * 10000000;
    ft = {t.LowPart, t.HighPart};
    SYSTEMTIME then;
    FileTimeToSystemTime(&ft, &then);
    return MinuteStampText(then);
}

void English() {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
}

}  // namespace

TEST_CASE("a finding's row names where it stands, whether it is checked and what its fix offers") {
    English();
    Finding stray, orphan, lister, note;
    stray.severity = SeverityError, stray.fix = FixStray, stray.tab = 2, stray.iniLine = 1, stray.name = L"zip";
    stray.text = L"zip is left over";
    orphan.fix = FixStray, orphan.iniLine = orphan.otherIni = 1, orphan.tab = 0, orphan.name = L"lsplugin.ini: [x]";
    lister.severity = SeverityDifference, lister.fix = FixDetect, lister.number = 12, lister.name = L"foo";
    note.acked = 1, note.tab = 9, note.name = L"bar";
    CHECK(Joined(FindingCells(stray)) == L"Error|Packer|wincmd.ini: zip|zip is left over|Del");
    CHECK(Joined(FindingCells(orphan)) == L"Note|Lister|lsplugin.ini: [x]||Del");
    CHECK(Joined(FindingCells(lister)) == L"Difference|Lister|#12 foo||take detect string");
    PendingEdits[EntryEditKey(0, 12)] = PendingEdit{};
    CHECK(FindingCells(lister)[2] == L"#12 foo *");
    PendingEdits.clear();
    CHECK(Joined(FindingCells(note)) == L"Checked|Preview|bar||display only");

    Findings = {lister};
    Findings[0].text = L"plugin can do more: +C";
    Findings[0].explanation = L"why";
    CHECK(FindingDetailText(0) == L"Finding:\tplugin can do more: +C\r\nWhat is going on:\twhy\r\n"
                                  L"In Kestrovane:\tContext menu › Take detect string from plugin, or set "
                                  L"checkboxes after Enter.");
    Findings[0].advice = L"take it";
    CHECK(FindingDetailText(0).find(L"\r\nRemedy:\ttake it\r\nIn Kestrovane:") != std::wstring::npos);
    CHECK(FindingDetailText(1).empty());

    Findings = {stray, lister, note, note};
    HiddenAckedCount = 2;
    FindingsPartial = 1;
    CHECK(FindingsStatus() == L"findings: 4 – errors: 1, differences: 1, notes: 2  ·  checked and hidden: 2  ·  "
                              L"plugins are still being queried – the list completes itself");
    HiddenAckedCount = 0;
    FindingsPartial = 0;
    CHECK(FindingsStatus() == L"findings: 4 – errors: 1, differences: 1, notes: 2");
}

TEST_CASE("the inventory rows: type, dates, origin and state, and which are marked") {
    English();
    InvRecord removed{{L"Type", L"C"}, {L"Name", L"fields"}, {L"Origin", L"new"}, {L"FirstSeen", StampMinutesAgo(5)},
                      {L"Removed", L"2026-01-02 03:04"}, {L"Path", L"%COMMANDER_PATH%\\x.wdx"}};
    InvRecord untyped{{L"Name", L"old"}, {L"Origin", L"initial"}, {L"Exists", L"0"}, {L"Version", L"1.2"},
                      {L"File", L"2024-01-31 23:30|1234"}};
    CHECK(Joined(InventoryCells(untyped)) == L"Lister|old|1.2|2024-01-31 23:30||initial inventory|"
                                             L"in TC, file missing|");
    CHECK(InventoryCells(removed)[6] == L"removed 2026-01-02 03:04");
    CHECK(InventoryCells(removed)[5] == L"recorded later");
    CHECK(InventoryMark(removed) == InvMarkRemoved);
    InvSections = {{L"C|x", removed}, {L"L|y", untyped}};
    InvOtherIni = 0;
    CHECK(InventoryStatus(true) == L"plugins in inventory: 2, removed: 1  ·  inventory is being updated…  ·  " +
                                       InventoryIniPath());
    InvOtherIni = 1;
    CHECK(InventoryStatus(false) == L"Inventory belongs to another wincmd.ini – not updated  ·  " + InventoryIniPath());
    InvOtherIni = 0;
    // A file without its [Meta] lines is kept, and never updated: the status says so.
    WriteFileBytes(InventoryIniPath(), "\xFF\xFE" + Utf16Bytes(L"[L|c:\\x.wlx]\r\nName=x\r\n"));
    LoadInventory();
    CHECK(InventoryStatus(false) == L"Inventory cannot be read – not updated  ·  " + InventoryIniPath());
    DeleteFileW(InventoryIniPath().c_str());
    LoadInventory();
    CHECK(InventoryStatus(false).starts_with(L"plugins in inventory: 0"));
    CHECK(InventoryMark(untyped) == InvMarkNone);  // of the first inventory

    InvRecord recent{{L"Origin", L"new"}};
    SettingsValues[L"View/HighlightDays"] = L"7";
    recent[L"FirstSeen"] = StampMinutesAgo(7 * 24 * 60 - 60);
    CHECK(InventoryMark(recent) == InvMarkNew);
    recent[L"FirstSeen"] = StampMinutesAgo(7 * 24 * 60 + 1);
    CHECK(InventoryMark(recent) == InvMarkNone);
    recent[L"FirstSeen"] = L"yesterday";
    CHECK(InventoryMark(recent) == InvMarkNone);
    SettingsValues[L"View/HighlightDays"] = L"0";
    recent[L"FirstSeen"] = StampMinutesAgo(1);
    CHECK(InventoryMark(recent) == InvMarkNone);
    SettingsValues.erase(L"View/HighlightDays");
}

TEST_CASE("a checked unexpected-folder finding no longer counts on the plugin tab") {
    TcIniDir tc(L"ackfolder");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    CreateDirectoryW((tc / L"wcx").c_str(), nullptr);
    WriteFileBytes(tc / L"wcx\\View.wlx", "MZ");  // a Lister plugin in the packers' folder
    WriteIniText(tc.ini, L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\wcx\\View.wlx\r\n", true);
    ResetPluginCaches();
    BuildFindings();
    auto folder = std::find_if(Findings.begin(), Findings.end(), [](const Finding& f) { return f.ackKey.ends_with(L"|folder"); });
    REQUIRE(folder != Findings.end());
    const PlugEntry entry = LoadPluginSection(KindLister).entries.at(0);
    ForgetTabCounts();
    CHECK(InWrongFolder(entry));
    SetAcknowledged(folder->ackKey, true);
    ForgetTabCounts();
    CHECK_FALSE(InWrongFolder(entry));
    SetAcknowledged(folder->ackKey, false);
}

TEST_CASE("an inventory read counts unless a newer one was compared or a save began after it was asked") {
    TcIniDir tc(L"invreads");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    DeleteFileW(InventoryIniPath().c_str());
    ResetPluginCaches();
    TestView t;
    HWND main = t.view.controls.main =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    auto readNow = [&](InventoryReadMsg& msg, const wchar_t* section) {
        WriteIniText(tc.ini, section, true);
        ReadAskedInventory(msg);
    };
    auto removed = [](const wchar_t* name) {
        for (const auto& [key, record] : InvSections)
            if (EntryGet(record, L"Name") == name) return !EntryGet(record, L"Removed").empty();
        return false;
    };
    const wchar_t* both = L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\gone.wlx\r\n2=%COMMANDER_PATH%\\away.wlx\r\n";
    const wchar_t* one = L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\gone.wlx\r\n";

    // Read before the second plugin came, but answered last: it must not remove it.
    auto older = AskInventoryRead(t.view, KindLister), newer = AskInventoryRead(t.view, KindLister);
    readNow(*older, one);
    readNow(*newer, both);
    TakeInventoryRead(t.view, *newer);
    TakeInventoryRead(t.view, *older);
    CHECK(InvSections.size() == 2);
    CHECK_FALSE(removed(L"away"));

    // A save began after the read was asked: the file may have been half written, so it is read again.
    auto overlapped = AskInventoryRead(t.view, KindLister);
    readNow(*overlapped, one);
    --overlapped->saves;
    TakeInventoryRead(t.view, *overlapped);
    CHECK_FALSE(removed(L"away"));
    REQUIRE(InventoryReadsRunning());
    MSG msg{};
    for (int i = 0; i < 400 && !PeekMessageW(&msg, main, MsgInventoryRead, MsgInventoryRead, PM_REMOVE); ++i) Sleep(50);
    REQUIRE(msg.message == MsgInventoryRead);
    TakeInventoryRead(t.view, *TakePostedRecord<InventoryReadMsg>(msg.lParam));
    CHECK(removed(L"away"));
    CHECK_FALSE(InventoryReadsRunning());
    DestroyWindow(main);
    DeleteFileW(InventoryIniPath().c_str());
}

TEST_CASE("an inventory read asked before another wincmd.ini was opened reads its own file and is dropped") {
    TcIniDir tc(L"invopen");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    DeleteFileW(InventoryIniPath().c_str());
    WriteIniText(tc.ini, L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\gone.wlx\r\n", true);
    const std::wstring other = tc / L"other.ini";
    WriteIniText(other, L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\there.wlx\r\n", true);
    ResetPluginCaches();
    TestView t;
    auto asked = AskInventoryRead(t.view, KindLister);
    FakeHost<> host;
    REQUIRE(OpenIniFile(host, nullptr, other));
    ReadAskedInventory(*asked);
    REQUIRE(asked->read.section.entries.size() == 1);
    CHECK(asked->read.section.entries[0].name == L"gone");
    // Compared with the inventory of the file now open, gone.wlx would enter it as one of its plugins.
    TakeInventoryRead(t.view, *asked);
    CHECK(InvSections.empty());
    CHECK(EntryGet(InvMeta, L"Ini").empty());
    TcOwnIniPath.clear();
    DeleteFileW(InventoryIniPath().c_str());
}

TEST_CASE("an inventory read asked while a save runs counts as asked before the save") {
    TcIniDir tc(L"invsave");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    DeleteFileW(InventoryIniPath().c_str());
    DeleteFileW(ChangeLogPath().c_str());
    // Their files are missing: the kind needs no probe, so any read of it is compared.
    WriteIniText(tc.ini, L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\gone.wlx\r\n2=%COMMANDER_PATH%\\away.wlx\r\n",
                 true);
    ResetPluginCaches();
    SavedKinds.clear();
    REQUIRE(UpdateInventory(KindLister));
    TestView t;
    HWND main = t.view.controls.main =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    // The save's dialog is open when a probe job's end asks for the comparison, and the
    // worker reads the section before the save writes.
    struct Saving : FakeHost<> {
        std::function<void()> dialogOpen;
        int AskToSave(HWND, const std::wstring&, bool) override {
            dialogOpen();
            return SaveOnly;
        }
    } host;
    std::unique_ptr<InventoryReadMsg> asked;
    host.dialogOpen = [&] {
        asked = AskInventoryRead(t.view, KindLister);
        ReadAskedInventory(*asked);
    };
    PendingEditFor(LoadPluginSection(KindLister).entries.at(1)).deleted = 1;
    SaveChanges(host, nullptr);
    REQUIRE(asked);
    REQUIRE(LoadPluginSection(KindLister).entries.size() == 1);
    TakeInventoryRead(t.view, *asked);
    if (InventoryReadsRunning()) {  // asked again
        MSG msg{};
        for (int i = 0; i < 400 && !PeekMessageW(&msg, main, MsgInventoryRead, MsgInventoryRead, PM_REMOVE); ++i)
            Sleep(50);
        REQUIRE(msg.message == MsgInventoryRead);
        TakeInventoryRead(t.view, *TakePostedRecord<InventoryReadMsg>(msg.lParam));
    }
    UpdateInventory(KindLister);  // the next comparison, as the next probe job's end asks for it
    const InvRecord& away = InvSections.at(InventorySectionName(KindLister, tc / L"away.wlx"));
    CHECK_FALSE(EntryGet(away, L"Removed").empty());
    // The program's own deletion is no change from outside.
    CHECK(ReadTextFileAuto(ChangeLogPath(), 1 << 20).find(Tr("log_removed")) == std::wstring::npos);
    DestroyWindow(main);
    DeleteFileW(InventoryIniPath().c_str());
    DeleteFileW(ChangeLogPath().c_str());
}

TEST_CASE("an inventory file read beside a section is taken only while none is loaded") {
    TcIniDir tc(L"invfile");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    DeleteFileW(InventoryIniPath().c_str());
    WriteIniText(tc.ini, L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\gone.wlx\r\n", true);
    ResetPluginCaches();
    InvLoaded = 0;
    TestView t;
    auto first = AskInventoryRead(t.view, KindLister), second = AskInventoryRead(t.view, KindLister);
    REQUIRE(first->withFile);
    ReadAskedInventory(*first);
    ReadAskedInventory(*second);
    TakeInventoryRead(t.view, *first);
    REQUIRE(InvSections.size() == 1);
    // What the window changed after the second read must outlive it.
    InvSections.begin()->second[L"FirstSeen"] = L"2026-01-01";
    TakeInventoryRead(t.view, *second);
    CHECK(InvSections.size() == 1);
    CHECK(EntryGet(InvSections.begin()->second, L"FirstSeen") == L"2026-01-01");
    CHECK_FALSE(InventoryFileWanted());
    DeleteFileW(InventoryIniPath().c_str());
}

TEST_SUITE("listview") {
    TEST_CASE("the two lists fill from the findings and the inventory") {
        English();
        TcIniDir tc(L"lists");
        ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
        WriteIniText(tc.ini,
                     L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\gone.wlx\r\n2=%COMMANDER_PATH%\\away.wlx\r\n"
                     L"3=%COMMANDER_PATH%\\lost.wlx\r\n",
                     true);
        ResetPluginCaches();
        HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr, nullptr,
                                     nullptr, nullptr);
        HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 800, 500, frame, nullptr,
                                    nullptr, nullptr);
        LVCOLUMNW column{};
        for (int c = 0; c < 8; ++c) ListView_InsertColumn(list, c, &column);
        auto cell = [&](int row, int c) {
            wchar_t text[300] = L"";
            ListView_GetItemText(list, row, c, text, 300);
            return std::wstring(text);
        };
        auto columnText = [&](int c) {
            std::wstring out;
            for (int row = 0; row < ListView_GetItemCount(list); ++row) out += cell(row, c) + L"|";
            return out;
        };
        TestView t;
        t.view.controls.findingsList = t.view.controls.inventoryList = list;
        FillFindingsList(t.view);
        REQUIRE(ListView_GetItemCount(list) == 3);
        CHECK(columnText(2) == L"#1 gone|#2 away|#3 lost|");
        CHECK(cell(0, 3) == L"plugin file missing");
        // A refill keeps the sort the header shows.
        SortStates[list] = {2, 1};
        FillFindingsList(t.view);
        CHECK(columnText(2) == L"#3 lost|#2 away|#1 gone|");
        SortStates[list] = {};

        InvSections = {{L"L|b", {{L"Type", L"L"}, {L"Name", L"beta"}, {L"Path", L"b.wlx"}}},
                       {L"F|a", {{L"Type", L"F"}, {L"Name", L"alpha"}}},
                       {L"L|a", {{L"Type", L"L"}, {L"Name", L"Alpha"}, {L"Removed", L"2026-01-01 00:00"}}}};
        InvLoaded = 1;
        FillInventoryList(t.view);
        REQUIRE(ListView_GetItemCount(list) == 3);
        CHECK(cell(0, 1) == L"Alpha");
        CHECK(cell(1, 1) == L"beta");
        CHECK(cell(2, 0) == L"File system");
        CHECK(t.view.invRowNames == std::vector<std::wstring>{L"Alpha", L"beta", L"alpha"});
        CHECK(t.view.invRowPaths[1] == L"b.wlx");
        CHECK(t.view.invRowMarks == std::vector<int32_t>{InvMarkRemoved, InvMarkNone, InvMarkNone});
        SortStates[list] = {1, 1};
        FillInventoryList(t.view);
        CHECK(columnText(1) == L"beta|alpha|Alpha|");
        CHECK(t.view.invRowNames[(size_t)ListViewItemData(list, 0)] == L"beta");  // the rows keep their records
        SortStates[list] = {};
        DestroyWindow(frame);
    }
}
