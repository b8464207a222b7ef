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

// A new packer without extensions to offer, in the dialog of a scratch TC.
struct NewPacker {
    InstInfo info;
    InstCtx ctx;
    INT_PTR result = 0;
    explicit NewPacker(const InstallScene& scene) {
        info.folder = scene.package;
        info.kind = 2;
        info.pluginName = L"pk";
        info.target = scene.tc + L"\\plugins\\wcx\\pk";
        info.entries = LoadPluginSection(2).entries;
        ctx.info = &info;
        ctx.heading = L"pk";
        ctx.report = {{ReportCheck, L"", Tr("in_all_ok")}};
    }
    // Types each text into its field, then presses "Install"; what each press said.
    std::vector<std::wstring> Press(const std::vector<std::pair<int, std::wstring>>& typed) {
        std::vector<std::wstring> said;
        result = RunDriven(ctx, [&](Driver& d) {
            for (const auto& [id, text] : typed) {
                d.Type(id, text);
                said.push_back(d.Press());
            }
        });
        return said;
    }
};

}  // namespace

TEST_CASE("the install dialog refuses incomplete targets and hostile packer extensions") {
    InstallScene scene(L"dlg_packer");
    NewPacker packer(scene);
    std::vector<std::wstring> said = packer.Press({{114, L"C:plugins\\pk"},
                                                   {114, L"\"%COMMANDER_PATH%\\plugins\\wcx\\pk\\\""},
                                                   {383, L"*.abc zip=1"},
                                                   {383, L"*.abc .def"}});
    CHECK(packer.result == IDOK);
    REQUIRE(said.size() == 4);
    CHECK(said[0] == Tr("in_err_target"));
    CHECK(said[1] == Tr("in_pk_none"));
    CHECK(said[2] == FillVar(Tr("in_err_ext"), L"e", L"zip=1"));
    CHECK(said[3] == L"");
    CHECK(packer.info.target == scene.tc + L"\\plugins\\wcx\\pk");
    CHECK(packer.ctx.typedExts == L"*.abc .def");
}

TEST_CASE("a typed packer extension that another packer holds is refused before anything is copied") {
    InstallScene scene(L"dlg_taken");
    scene.WriteIni(L"[PackerPlugins]\r\nabc=31,C:\\other\\other.wcx\r\n");
    NewPacker packer(scene);
    std::vector<std::wstring> said = packer.Press({{383, L"def *.ABC"}, {383, L"def"}});
    CHECK(packer.result == IDOK);
    REQUIRE(said.size() == 2);
    CHECK(said[0] == FillVar(FillVar(Tr("in_err_exttaken"), L"e", L"abc"), L"p", L"other"));
    CHECK(said[1] == L"");
}
