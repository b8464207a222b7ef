// The install dialog driven as a user would: typing into its fields, pressing
// "Install" and answering the message boxes it shows.
#include <doctest/doctest.h>

#include <functional>
#include <thread>

#include "foundation/dialog_template.h"
#include "foundation/ini_value_check.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "install/install_dialog.h"
#include "install/install_temp.h"
#include "install/uninstall.h"
#include "fake_install_host.h"
#include "install_fixture.h"
#include "support/ini_compare.h"

namespace {

FakeInstallHost Window;

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
    INT_PTR result = RunInstallDialog(Window, nullptr, ctx);
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

TEST_CASE("the install dialog refuses a target the install clean-up would delete, and one longer than its field") {
    InstallScene scene(L"dlg_target");
    ScopedEnv temp(L"TEMP", scene.dir.c_str());
    const std::wstring base = InstallTempFolder(), tooLong = scene.dir + L"\\" + std::wstring(600, L'x');
    const std::wstring proposed = scene.tc + L"\\plugins\\wcx\\pk";
    NewPacker packer(scene);
    std::vector<std::wstring> said = packer.Press({{114, base + L"\\pk"},
                                                   {114, StrUpper(base) + L"\\"},
                                                   {114, scene.tc + L"\\..\\Kestrovane_install\\new\\..\\pk"},
                                                   {114, L"\"%TEMP%\\Kestrovane_install\""},
                                                   {114, tooLong},
                                                   {114, proposed},
                                                   {383, L"abc"}});
    CHECK(packer.result == IDOK);
    const std::wstring inTemp = Tr("in_err_targettemp");
    CHECK(said == std::vector<std::wstring>{inTemp, inTemp, inTemp, inTemp,
                                            FillVar(Tr("in_err_targetlong"), L"n", L"519"), Tr("in_pk_none"), L""});
    CHECK(packer.info.target == proposed);

    // Pasted text stops at the field's limit.
    int kept = 0;
    RunDriven(packer.ctx, [&](Driver& d) {
        d.Type(114, L"");
        SendDlgItemMessageW(d.dialog, 114, EM_REPLACESEL, FALSE, (LPARAM)tooLong.c_str());
        kept = GetWindowTextLengthW(GetDlgItem(d.dialog, 114));
    });
    CHECK(kept == 519);
}

TEST_CASE("the button beside the conditions shows the plugin's own detect string in the text window") {
    InstallScene scene(L"dlg_raw");
    NewPacker lister(scene);
    lister.info.kind = 0;
    lister.ctx.conditions = L"FORCE";
    lister.ctx.pluginDetect = L"EXT=\"PK\"";
    Window = FakeInstallHost{};
    RunDriven(lister.ctx, [](Driver& d) { SendDlgItemMessageW(d.dialog, 110, BM_CLICK, 0, 0); });
    CHECK(Window.popups == std::vector<std::wstring>{L"pk \u2013 " + Tr("in_detect")});
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

TEST_CASE("a typed extension that the ANSI wincmd.ini cannot hold is refused before anything is copied") {
    RequireWesternCodePage();
    InstallScene scene(L"dlg_ansi");
    WriteFileBytes(scene.ini, "[PackerPlugins]\r\n");
    NewPacker packer(scene);
    std::vector<std::wstring> said = packer.Press({{383, L"def \xFF5Aip"}, {383, L"def"}});
    CHECK(packer.result == IDOK);
    REQUIRE(said.size() == 2);
    CHECK(said[0] == FillVars(Tr("in_err_char"), {{L"t", L"\xFF5Aip"}, {L"c", CharWithCode(L"\xFF5A")}}));
    CHECK(said[1] == L"");
}

TEST_CASE("a target folder or plugin file name that the ANSI wincmd.ini cannot hold is refused before anything is copied") {
    InstallScene scene(L"dlg_ansi_target");
    WriteFileBytes(scene.ini, "[PackerPlugins]\r\n");
    const std::wstring proposed = scene.tc + L"\\plugins\\wcx\\pk", ideograph = scene.dir + L"\\\x65E5";
    auto refusal = [](const std::wstring& path, const wchar_t* lacked) {
        return FillVars(Tr("in_err_char"), {{L"t", path}, {L"c", CharWithCode(lacked)}});
    };
    NewPacker packer(scene);
    packer.info.pluginFile = L"pk.wcx64";
    SUBCASE("a typed folder") {
        std::vector<std::wstring> said = packer.Press({{114, ideograph}, {114, proposed}});
        CHECK(said == std::vector<std::wstring>{refusal(ideograph + L"\\pk.wcx", L"\x65E5"), Tr("in_pk_none")});
    }
    SUBCASE("the plugin's file name in the proposed folder") {
        packer.info.pluginFile = L"p\xFF3Bk.wcx64";
        std::vector<std::wstring> said = packer.Press({{114, proposed}});
        CHECK(said == std::vector<std::wstring>{refusal(L"%COMMANDER_PATH%\\plugins\\wcx\\pk\\p\xFF3Bk.wcx", L"\xFF3B")});
    }
    CHECK(packer.result == IDCANCEL);
    CHECK(packer.info.target == proposed);
    CHECK(GetFileAttributesW(ideograph.c_str()) == INVALID_FILE_ATTRIBUTES);
    // The same names fit a UTF-16 file.
    scene.WriteIni(L"[PackerPlugins]\r\n");
    packer.info.pluginFile = L"p\xFF3Bk.wcx64";
    CHECK(packer.Press({{114, ideograph}}) == std::vector<std::wstring>{Tr("in_pk_none")});
    CHECK(packer.info.target == ideograph);
}

namespace {

// The push buttons of the dialog whose caption does not fit, or that overlap another
// button, the dialog's edge or the text left of them; "" when all fit.
std::wstring CutButtons(HWND dialog, std::initializer_list<std::pair<int, int>> textLeftOf) {
    std::wstring cut;
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<std::pair<std::wstring, RECT>> buttons;
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t cls[16] = {}, text[256] = {};
        GetClassNameW(w, cls, 16);
        if (_wcsicmp(cls, L"Button") != 0 || (GetWindowLongPtrW(w, GWL_STYLE) & 0x0E) != 0) continue;
        GetWindowTextW(w, text, 256);
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (r.right - r.left < UiTextWidth(w, text) + UiScale(8) || r.left < 0 || r.right > client.right)
            cut += text + std::wstring(L"; ");
        for (const auto& [other, o] : buttons)
            if (r.top < o.bottom && o.top < r.bottom && r.left < o.right && o.left < r.right)
                cut += text + std::wstring(L" over ") + other + L"; ";
        buttons.emplace_back(text, r);
    }
    for (const auto& [label, button] : textLeftOf) {
        RECT l, b;
        GetWindowRect(GetDlgItem(dialog, label), &l);
        GetWindowRect(GetDlgItem(dialog, button), &b);
        if (l.right > b.left) cut += L"text " + std::to_wstring(label) + L" under a button; ";
    }
    return cut;
}

HWND VisibleDialog(const std::wstring& caption) {
    return WaitForWindow([&] {
        HWND w = FindWindowW(L"#32770", caption.c_str());
        return IsWindowVisible(w) ? w : nullptr;
    });
}

}  // namespace

TEST_CASE("buttons of the install and uninstall dialogs grow to the captions of a language file") {
    InstallScene scene(L"dlg_long");
    const std::wstring folder = PathJoin(AppDir(), L"Language");
    RemoveTree(folder);
    REQUIRE(CreateDirectoryW(folder.c_str(), nullptr));
    WriteFileBytes(PathJoin(folder, L"long.lng"),
                   "\xFF\xFE" + Utf16Bytes(L"[xlo]\r\nin_btn=Install this plugin into Total Commander now\r\n"
                                           L"btn_cancel=Cancel and leave everything as it is\r\n"
                                           L"in_rawbtn=Show the whole detect string of the plugin\r\n"
                                           L"un_btn_uninst=Uninstall this plugin for good\r\n"
                                           L"un_btn_disable=Only disable it, keep the entry\r\n"));
    SettingsValues[L"General/Language"] = L"xlo";
    InitLanguage(std::nullopt);

    InstInfo info;
    info.kind = 0;
    info.pluginName = L"x";
    info.target = scene.tc + L"\\plugins\\wlx\\x";
    InstCtx ctx;
    ctx.info = &info;
    ctx.heading = L"x";
    ctx.conditions = L"FORCE";
    ctx.report = {{ReportCheck, L"", Tr("in_all_ok")}};
    std::wstring installCut, resizedCut, uninstallCut;
    std::thread installDriver([&] {
        HWND dialog = VisibleDialog(Tr("in_title"));
        installCut = CutButtons(dialog, {{108, IDOK}, {105, 110}});
        SetWindowPos(dialog, nullptr, 0, 0, UiScale(900), UiScale(700), SWP_NOMOVE | SWP_NOZORDER);
        resizedCut = CutButtons(dialog, {{108, IDOK}, {105, 110}});
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    RunInstallDialog(Window, nullptr, ctx);
    installDriver.join();

    UninstCtx un;
    un.heading = L"x";
    std::thread uninstallDriver([&] {
        HWND dialog = VisibleDialog(Tr("un_title"));
        uninstallCut = CutButtons(dialog, {});
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    RunUninstallDialog(nullptr, un);
    uninstallDriver.join();

    UseTestSettings();
    RemoveTree(folder);
    CHECK(installCut == L"");
    CHECK(resizedCut == L"");
    CHECK(uninstallCut == L"");
}
