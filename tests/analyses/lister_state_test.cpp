#include <doctest/doctest.h>

#include <windows.h>

#include "analyses/lister_state.h"
#include "check_fixture.h"
#include "foundation/handles.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"

namespace {

std::wstring OwnTypes(const std::wstring& listerLines) {
    WriteIniText(WincmdIniPath, L"[Lister]\r\n" + listerLines, true);
    LoadTcListerSettings();
    std::wstring out;
    for (const wchar_t* e : {L"jpg", L"JPG", L"M4A", L"webm", L"MKV", L"png", L"svg", L"gif", L"txt", L""})
        out += (IsTcOwnViewerExt(e) ? L"+" : L"-") + std::wstring(e) + L" ";
    return out;
}

bool SetMciValue(const wchar_t* name, const wchar_t* value) {
    RegKeyHandle key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr))
        return false;
    if (!value) return RegDeleteValueW(key.Get(), name) == ERROR_SUCCESS;
    return !RegSetValueExW(key.Get(), name, 0, REG_SZ, (const BYTE*)value, (DWORD)(wcslen(value) + 1) * 2);
}

}  // namespace

TEST_CASE("TC's own viewer: built-in types, [Lister] type lists and Windows' media extensions") {
    CheckFixture f(L"ownview", L"", {});
    const std::wstring media = L"MediaAdditionalTypes=*.webm mkv|*.png\r\nIViewAdditionalTypes=*.svg|.gif\r\n";
    CHECK(OwnTypes(media + L"IView=1") == L"+jpg +JPG +M4A +webm +MKV -png +svg -gif -txt - ");
    CHECK(OwnTypes(media + L"IView=0") == L"+jpg +JPG +M4A +webm +MKV -png -svg +gif -txt - ");
    CHECK(OwnTypes(media + L"Multimedia=0") == L"-jpg -JPG -M4A -webm -MKV -png -svg -gif -txt - ");
    CHECK_FALSE(TypeListMatches({L"w*", L"webm"}, L"WEB"));

    if (!SetMciValue(L"KVMCI", L"MPEGVideo") || !SetMciValue(L"KVBLANK", L"")) {
        MESSAGE("HKLM of the test prefix is not writable; the registry part is skipped");
        return;
    }
    OwnTypes(L"");
    CHECK(IsTcOwnViewerExt(L"kvmci"));
    CHECK_FALSE(IsTcOwnViewerExt(L"KVBLANK"));
    SetMciValue(L"KVMCI", nullptr);
    CHECK(IsTcOwnViewerExt(L"KVMCI"));  // cached until the settings are read again
    LoadTcListerSettings();
    CHECK_FALSE(IsTcOwnViewerExt(L"KVMCI"));
    SetMciValue(L"KVBLANK", nullptr);
}

TEST_CASE("the Lister state of an extension: blocked types, then TC's own viewer, then view modes") {
    CheckFixture f(L"lstate",
                   L"[Lister]\r\nNoPluginFileTypes=*.both *.blk\r\nNoMediaFileTypes=*.both\r\n"
                   L"[ListerModes]\r\n0exts=*.md\r\n0fields=text.wlx view.wlx64\r\n1exts=*.jpg\r\n1fields=text.wlx\r\n"
                   L"2exts=*.ini\r\n2fields=4 text.wlx\r\n3exts=*.doc\r\n3fields=ghost.wlx\r\n4exts=*.rtf\r\n"
                   L"4fields=3 text.wlx\r\n"
                   L"[ListerPlugins]\r\n0=%COMMANDER_PATH%\\p\\text.wlx\r\n0_detect=\"EXT=\"MD\" | EXT=\"JPG\"\"\r\n"
                   L"1=%COMMANDER_PATH%\\p\\view.wlx\r\n1_detect=\"MULTIMEDIA & EXT=\"MD\"\"\r\n",
                   {});
    std::vector<PlugEntry> entries = LoadPluginSection(KindLister).entries;
    REQUIRE(entries.size() == 2);
    const struct {
        int entry;
        const wchar_t *ext, *state;
    } cases[] = {
        {0, L"BOTH", L"2 2 active, but blocked|[Lister] NoMediaFileTypes: Lister shows .BOTH as text – no plugin, "
                     L"no image viewer (only with key 4)|"},
        {0, L"MD", L"1 0 |view mode by file type (*.md → text.wlx view.wlx64): Lister uses this plugin first for .MD|"},
        {1, L"MD", L"2 1 active, but passed over|view mode by file type (*.md → text.wlx view.wlx64): this plugin "
                   L"only after key 4|text"},
        // A rule cannot give .JPG to a plugin without MULTIMEDIA: TC shows it itself.
        {0, L"JPG", L"2 3 active, but passed over|TC shows .JPG itself (image viewer/player) – without MULTIMEDIA "
                    L"in the detect string the plugin does not get it|"},
        {1, L"JPG", L"2 1 active, but passed over|view mode by file type (*.jpg → text.wlx): Lister shows .JPG with "
                    L"text.wlx|text"},
        {0, L"INI", L"0 0 ||"},
        {1, L"DOC", L"0 0 ||"},
        {0, L"RTF", L"2 1 active, but passed over|view mode by file type (*.rtf → 3 text.wlx): this plugin only "
                    L"after key 4|3 hex"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.ext);
        std::wstring status = L"old", hint = L"old", mode = L"old";
        int code = -1;
        int result = ListerStateText(entries[(size_t)c.entry], c.ext, status, hint, &code, &mode);
        CHECK(std::to_wstring(result) + L" " + std::to_wstring(code) + L" " + status + L"|" + hint + L"|" + mode ==
              c.state);
    }
}
