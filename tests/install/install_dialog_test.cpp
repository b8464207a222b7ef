// The install dialog driven as a user would: typing into its fields, pressing
// "Install" and answering the message boxes it shows.
#include <doctest/doctest.h>

#include <functional>
#include <thread>

#include "foundation/texts.h"
#include "install/install_dialog.h"
#include "install_fixture.h"

namespace {

HWND WaitForWindow(const std::function<HWND()>& find) {
    for (int i = 0; i < 400; ++i) {
        if (HWND w = find()) return w;
        Sleep(25);
    }
    return nullptr;
}

BOOL CALLBACK FindOwned(HWND w, LPARAM p) {
    auto* f = reinterpret_cast<std::pair<HWND, HWND>*>(p);
    if (GetWindow(w, GW_OWNER) == f->second && IsWindowVisible(w)) f->first = w;
    return f->first == nullptr;
}

// A visible window the dialog owns: the message box it raised.
HWND OwnedBy(HWND dialog) {
    std::pair<HWND, HWND> find{nullptr, dialog};
    EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindOwned, (LPARAM)&find);
    return find.first;
}

// Presses "Install" and gives the text of the message box it raised ("" for none),
// closing that box with the answer.
struct Driver {
    HWND dialog = nullptr;
    std::wstring Press(int answer = IDOK) {
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        HWND gone = HWND(-1);
        HWND box = WaitForWindow([&] { return IsWindow(dialog) ? OwnedBy(dialog) : gone; });
        if (!box || box == gone) return L"";
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        PostMessageW(box, WM_COMMAND, answer, 0);
        WaitForWindow([&]() -> HWND { return IsWindow(box) ? nullptr : HWND(1); });
        return text;
    }
    void Type(int id, const std::wstring& text) { SendDlgItemMessageW(dialog, id, WM_SETTEXT, 0, (LPARAM)text.c_str()); }
};

INT_PTR RunDriven(InstCtx& ctx, const std::function<void(Driver&)>& drive) {
    std::thread driver([&] {
        Driver d;
        // Visible only once its controls exist.
        d.dialog = WaitForWindow([] {
            HWND w = FindWindowW(L"#32770", Tr("in_title").c_str());
            return IsWindowVisible(w) ? w : nullptr;
        });
        if (d.dialog) drive(d);
        if (IsWindow(d.dialog)) PostMessageW(d.dialog, WM_COMMAND, IDCANCEL, 0);
    });
    INT_PTR result = RunInstallDialog(nullptr, ctx);
    driver.join();
    return result;
}

}  // namespace

TEST_CASE("the install dialog refuses incomplete targets and hostile packer extensions") {
    InstallScene scene(L"dlg_packer");
    InstInfo info;
    info.folder = scene.package;
    info.kind = 2;
    info.pluginName = L"pk";
    info.target = scene.tc + L"\\plugins\\wcx\\pk";
    InstCtx ctx;
    ctx.info = &info;
    ctx.heading = L"pk";
    ctx.report = {{ReportCheck, L"", Tr("in_all_ok")}};
    std::vector<std::wstring> said;
    INT_PTR result = RunDriven(ctx, [&](Driver& d) {
        d.Type(114, L"C:plugins\\pk");
        said.push_back(d.Press());
        d.Type(114, L"\"%COMMANDER_PATH%\\plugins\\wcx\\pk\\\"");
        said.push_back(d.Press());
        d.Type(383, L"*.abc zip=1");
        said.push_back(d.Press());
        d.Type(383, L"*.abc .def");
        said.push_back(d.Press());
    });
    CHECK(result == IDOK);
    REQUIRE(said.size() == 4);
    CHECK(said[0] == Tr("in_err_target"));
    CHECK(said[1] == Tr("in_pk_none"));
    CHECK(said[2] == FillVar(Tr("in_err_ext"), L"e", L"zip=1"));
    CHECK(said[3] == L"");
    CHECK(info.target == scene.tc + L"\\plugins\\wcx\\pk");
    CHECK(ctx.typedExts == L"*.abc .def");
}
