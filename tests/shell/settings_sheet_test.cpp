#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/data_folder.h"
#include "foundation/ini.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"
#include "shell/settings_apply.h"
#include "views/settings_sheet.h"
#include "../views/view_fixture.h"

namespace {

// Steps run one by one from a timer inside the sheet's modal loop.
std::vector<std::function<void(HWND)>> Steps;
size_t StepAt = 0;

BOOL CALLBACK SheetOf(HWND w, LPARAM out) {
    if (!IsWindowVisible(w) || !SendMessageW(w, PSM_GETTABCONTROL, 0, 0)) return TRUE;
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
}

HWND FindSheet() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), SheetOf, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND sheet = FindSheet();
    if (!sheet || StepAt >= Steps.size()) return;
    Steps[StepAt++](sheet);
}

HWND ShowPage(HWND sheet, int index) {
    SendMessageW(sheet, PSM_SETCURSEL, index, 0);
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

size_t RowOf(const wchar_t* key) {
    for (size_t r = 0; r < SettingsTable.size(); ++r)
        if (std::wstring(SettingsTable[r].key) == key) return r;
    return 0;
}

int EditorId(const wchar_t* key) { return 1000 + 10 * static_cast<int>(RowOf(key)); }

void Notify(HWND page, int id, int code) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void Choose(HWND page, const wchar_t* key, const std::wstring& value) {
    auto choices = SettingChoices(SettingsTable[RowOf(key)]);
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].first == value) SendDlgItemMessageW(page, EditorId(key), CB_SETCURSEL, i, 0);
    Notify(page, EditorId(key), CBN_SELCHANGE);
}

void Type(HWND page, const wchar_t* key, const wchar_t* text) {
    SetDlgItemTextW(page, EditorId(key), text);  // the edit sends EN_CHANGE itself
}

void Toggle(HWND page, const wchar_t* key) {
    HWND box = GetDlgItem(page, EditorId(key));
    bool on = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(box, BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
    Notify(page, EditorId(key), BN_CLICKED);
}

void RunSheet(std::vector<std::function<void(HWND)>> steps) {
    Steps = std::move(steps);
    StepAt = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, StepTimer);
    FakeViewHost host;
    MainView noWindow(host);
    RunSettingsSheet(noWindow);
    KillTimer(nullptr, timer);
    CHECK(StepAt == Steps.size());
}

}  // namespace

TEST_SUITE("listview") {

// Whether every help text of a page shows all of its lines inside the page.
bool HelpTextsFit(HWND page) {
    RECT client{};
    GetClientRect(page, &client);
    for (size_t r = 0; r < SettingsTable.size(); ++r) {
        HWND help = GetDlgItem(page, EditorId(SettingsTable[r].key) + 2);
        if (!help) continue;
        RECT box{};
        GetWindowRect(help, &box);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&box), 2);
        RECT need{0, 0, box.right - box.left, 0};
        HDC dc = GetDC(help);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(help, WM_GETFONT, 0, 0)));
        DrawTextW(dc, Tr(SettingsTable[r].helpKey).c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ReleaseDC(help, dc);
        if (need.bottom > box.bottom - box.top || box.bottom > client.bottom) return false;
    }
    return true;
}

TEST_CASE("looking through the sheet, in English and German: every help text fits, Apply stays off, OK writes nothing") {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    AppInstance = GetModuleHandleW(nullptr);
    for (const wchar_t* language : {L"eng", L"deu"}) {
        CAPTURE(std::string(language, language + 3));
        DeleteFileW(SettingsIniPath().c_str());
        WriteSettingsIniValue(L"General", L"Language", language);
        LoadSettings(SettingsIniPath());
        InitLanguage(std::nullopt);
        bool applyOn = true;
        RunSheet({
            [&](HWND sheet) {
                for (int page = 0; page < 4; ++page) CHECK(HelpTextsFit(ShowPage(sheet, page)));
                for (int page : {4, 0, 2}) ShowPage(sheet, page);
                applyOn = IsWindowEnabled(GetDlgItem(sheet, 0x3021));  // the sheet's Apply button
                CHECK(PendingSettings.empty());
                SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            },
        });
        CHECK_FALSE(applyOn);
        CHECK(IniGetString(SettingsIniPath(), L"Probe", L"Timeout").empty());  // no save happened
    }
    DeleteFileW(SettingsIniPath().c_str());
}

TEST_CASE("the settings sheet changes all twelve settings, clamps numbers and takes effect at once") {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    AppInstance = GetModuleHandleW(nullptr);
    DeleteFileW(SettingsIniPath().c_str());
    LoadSettings(SettingsIniPath());
    InitLanguage(std::nullopt);
    SelectTheme();
    std::wstring themeAfterApply, langAfterApply;

    RunSheet({
        [](HWND sheet) {
            HWND page = ShowPage(sheet, 0);
            Choose(page, L"Language", L"deu");
            Choose(page, L"StartTab", L"findings");
            Choose(page, L"DoubleClick", L"edit");
            Type(page, L"OpenInTc", L"/O /T");
            Toggle(page, L"InstallOpen");
            page = ShowPage(sheet, 1);
            Choose(page, L"Colors", L"dark");
            Type(page, L"HighlightDays", L"500");
            Toggle(page, L"KeyBar");
            Choose(page, L"PathDisplay", L"resolved");
            page = ShowPage(sheet, 2);
            Type(page, L"Timeout", L"500");
            Toggle(page, L"Background");
            page = ShowPage(sheet, 3);
            Toggle(page, L"DebugLog");
        },
        [&](HWND sheet) {
            SendMessageW(sheet, PSM_APPLY, 0, 0);
            themeAfterApply = CurrentTheme == &ThemeDark ? L"dark" : L"other";
            langAfterApply = LangCode();
        },
        [](HWND sheet) { PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0); },  // applied values stay
    });
    CHECK(themeAfterApply == L"dark");
    CHECK(langAfterApply == L"deu");
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"Language", L"deu"},   {L"StartTab", L"findings"},   {L"DoubleClick", L"edit"}, {L"OpenInTc", L"/O /T"},
        {L"InstallOpen", L"0"},  {L"Colors", L"dark"},         {L"HighlightDays", L"365"}, {L"KeyBar", L"0"},
        {L"PathDisplay", L"resolved"}, {L"Timeout", L"60"},    {L"Background", L"0"},     {L"DebugLog", L"1"}};
    for (const auto& [key, value] : expected) {
        CAPTURE(std::string(key, key + wcslen(key)));
        const SettingDef& def = SettingsTable[RowOf(key)];
        CHECK(GetSetting(def.section, def.key) == value);
        CHECK(IniGetString(SettingsIniPath(), def.section, def.key) == value);
    }
    CHECK(ProbeTimeoutMs() == 60000);

    // The all-settings page: reset the time limit; then an emptied number takes the default; Cancel first.
    RunSheet({
        [](HWND sheet) {
            HWND page = ShowPage(sheet, 4);
            HWND list = GetDlgItem(page, 900);
            int row = static_cast<int>(RowOf(L"Timeout"));
            ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(902, BN_CLICKED), 0);
            wchar_t cell[32] = {};
            ListView_GetItemText(list, row, 1, cell, 32);
            CHECK(std::wstring(cell) == L"5");
            page = ShowPage(sheet, 1);
            Type(page, L"HighlightDays", L"");
            Choose(page, L"Colors", L"standard");
            PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
        },
    });
    CHECK(GetSetting(L"Probe", L"Timeout") == L"60");  // Cancel kept the edits out
    CHECK(CurrentTheme == &ThemeDark);
    RunSheet({
        [](HWND sheet) {
            HWND page = ShowPage(sheet, 1);
            Type(page, L"HighlightDays", L"");
            Choose(page, L"Colors", L"light");
            page = ShowPage(sheet, 0);
            Choose(page, L"Language", L"eng");
            SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        },
    });
    CHECK(GetSetting(L"View", L"HighlightDays") == L"14");
    CHECK(CurrentTheme == &ThemeLight);
    CHECK(LangCode() == L"eng");
    DeleteFileW(SettingsIniPath().c_str());
}

}  // TEST_SUITE
