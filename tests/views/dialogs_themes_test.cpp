#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "foundation/settings.h"
#include "foundation/dialog_template.h"
#include "foundation/themes.h"
#include "foundation/ui_globals.h"

namespace {

DWORD TemplateStyle(const std::vector<uint32_t>& tmpl) { return tmpl[0]; }

// A button row laid out by the test, fitted by FitDialogLayout, read back.
struct ButtonSpec {
    const wchar_t* caption;
    RECT box;
    DWORD style = BS_PUSHBUTTON;
};
struct FitCase {
    std::vector<ButtonSpec> buttons;
    std::vector<RECT> after;
};

RECT ChildRect(HWND dialog, HWND child) {
    RECT box{};
    GetWindowRect(child, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

INT_PTR CALLBACK FitProc(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* fit = reinterpret_cast<FitCase*>(lParam);
    std::vector<HWND> made;
    int id = 100;
    for (const ButtonSpec& b : fit->buttons)
        made.push_back(UiAddDlgControl(dialog, L"BUTTON", b.caption, b.style, b.box, id++, 0));
    FitDialogLayout(dialog);
    for (HWND h : made) fit->after.push_back(ChildRect(dialog, h));
    EndDialog(dialog, IDOK);
    return TRUE;
}

FitCase Fit(std::vector<ButtonSpec> buttons) {
    FitCase fit{std::move(buttons), {}};
    RunTemplateDialog(nullptr, 300, 100, 0, FitProc, reinterpret_cast<LPARAM>(&fit));
    return fit;
}

int Width(const RECT& r) { return r.right - r.left; }
bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

struct Recorded {
    HWND window;
    std::wstring theme;
    bool none;
};
std::vector<Recorded> ThemeCalls;
std::vector<DWORD> DwmCalls;

// Records the theme calls and refuses the newer dark-mode attribute, as older systems do.
class RecordingThemeCalls final : public IThemeCalls {
public:
    HRESULT SetWindowTheme(HWND window, LPCWSTR app, LPCWSTR) override {
        ThemeCalls.push_back({window, app ? app : L"", app == nullptr});
        return S_OK;
    }
    HRESULT SetDwmAttribute(HWND, DWORD attribute, LPCVOID, DWORD) override {
        DwmCalls.push_back(attribute);
        return attribute == 20 ? E_INVALIDARG : S_OK;
    }
};

}  // namespace

TEST_CASE("dialog template: a classic frame with the shell font and only the high word of the extra style") {
    std::vector<uint32_t> tmpl = BuildDlgTemplate(300, 200, WS_THICKFRAME | WS_MAXIMIZEBOX);
    CHECK(tmpl.size() == 13);  // 26 words
    CHECK(TemplateStyle(tmpl) == 0x80CD08C8u);
    CHECK(TemplateStyle(BuildDlgTemplate(10, 10, 0x0000FFFF)) == 0x80C808C8u);
    const auto* words = reinterpret_cast<const uint16_t*>(tmpl.data());
    CHECK(words[4] == 0);
    CHECK(words[7] == 300);
    CHECK(words[8] == 200);
    CHECK(words[12] == 8);
    CHECK(std::wstring(reinterpret_cast<const wchar_t*>(words + 13)) == L"MS Shell Dlg");
}

// Dialogs and lists need a display.
TEST_SUITE("listview") {

TEST_CASE("fitting the buttons of a dialog row to their captions") {
    SUBCASE("a widened right button keeps its right edge and pushes its neighbour only as far as needed") {
        FitCase fit = Fit({{L"OK", {300, 60, 340, 80}}, {L"A rather long caption here", {400, 60, 430, 80}},
                           {L"x", {10, 60, 40, 80}}});
        RECT wide = fit.after[1];
        CHECK(wide.right == 430);
        CHECK(Width(wide) > 100);
        CHECK(fit.after[0].right == wide.left - 4);
        CHECK(Width(fit.after[0]) == 40);
        CHECK(Same(fit.after[2], {10, 60, 40, 80}));  // far enough left: untouched
    }
    SUBCASE("buttons that fit, check boxes and rows one pixel apart") {
        FitCase fit = Fit({{L"OK", {100, 60, 200, 80}}, {L"Cancel", {10, 60, 96, 80}},
                           {L"A check box with a very long caption", {10, 10, 40, 30}, BS_AUTOCHECKBOX},
                           {L"A long caption in a row of its own", {200, 61, 230, 81}}});
        CHECK(Same(fit.after[0], {100, 60, 200, 80}));
        CHECK(Same(fit.after[1], {10, 60, 96, 80}));
        CHECK(Same(fit.after[2], {10, 10, 40, 30}));
        CHECK(fit.after[3].right == 230);  // its own row: it grows without moving the row above
        CHECK(Width(fit.after[3]) > 30);
    }
    SUBCASE("ampersands are not measured") {
        FitCase plain = Fit({{L"Save all", {200, 60, 210, 80}}});
        FitCase marked = Fit({{L"&Save a&&&&ll", {200, 60, 210, 80}}});
        CHECK(Width(marked.after[0]) == Width(plain.after[0]));
    }
}

TEST_CASE("colour schemes: the choice, the blend and what a dark list and window get") {
    CHECK(&ChooseTheme(true, L"dark") == &ThemeStandard);
    CHECK(&ChooseTheme(false, L"Dark") == &ThemeStandard);
    CHECK(&ChooseTheme(false, L"light") == &ThemeLight);
    CHECK(&ChooseTheme(false, L"dark") == &ThemeDark);
    CHECK(ThemeStandard.slot[5] == RGB(0xDD, 0xF0, 0xDD));

    CurrentTheme = &ThemeDark;
    CHECK(ThemeBlendBg() == RGB(0x18, 0x17, 0x15));
    CurrentTheme = &ThemeLight;
    CHECK(ThemeBlendBg() == RGB(0xE9, 0xE9, 0xE9));

    RecordingThemeCalls recorder;
    CurrentTheme = &ThemeDark;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ThemeListView(list, recorder);
    ThemeDwmDark(list, true, recorder);
    REQUIRE(ThemeCalls.size() == 1);
    CHECK(ThemeCalls[0].theme == L"DarkMode_Explorer");
    CHECK(ListView_GetBkColor(list) == RGB(0, 0, 0));
    CHECK(ListView_GetTextColor(list) == RGB(0xF0, 0xEA, 0xD6));
    CHECK(DwmCalls == std::vector<DWORD>{20, 19});
    DestroyWindow(list);
    CurrentTheme = &ThemeStandard;
}

}  // TEST_SUITE
