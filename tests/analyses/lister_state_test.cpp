#include <doctest/doctest.h>

#include <windows.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/lister_state.h"
#include "check_fixture.h"
#include "foundation/handles.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"

namespace {

const wchar_t kMciKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";

void LoadLister(CheckFixture& f, const std::wstring& listerLines) {
    f.Ini(L"[Lister]\r\n" + listerLines);
    LoadTcListerSettings();
}

std::wstring OwnTypes(const std::vector<std::wstring>& exts) {
    std::wstring out;
    for (const auto& e : exts) out += IsTcOwnViewerExt(e) ? L"+" + e + L" " : L"-" + e + L" ";
    return out;
}

bool SetMciValue(const wchar_t* name, const wchar_t* value) {
    RegKeyHandle key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMciKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr))
        return false;
    if (!value) return RegDeleteValueW(key.Get(), name) == ERROR_SUCCESS;
    DWORD bytes = (DWORD)((wcslen(value) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), name, 0, REG_SZ, (const BYTE*)value, bytes) == ERROR_SUCCESS;
}

PlugEntry ListerEntry(const std::wstring& dir, const wchar_t* file, const wchar_t* detect, int number = 0) {
    PlugEntry e;
    e.number = number;
    e.expandedPath = e.path = dir + L"\\p\\" + file;
    e.name = file;
    e.hasDetect = detect != nullptr;
    e.detectText = detect ? detect : L"";
    e.fileExists = 1;
    return e;
}

}  // namespace

TEST_CASE("[Lister] type lists in the forms TC writes and plain extensions") {
    const struct {
        std::vector<std::wstring> words;
        const wchar_t* ext;
        bool matches;
    } cases[] = {
        {{L"*.webm", L"*.ogg"}, L"OGG", true}, {{L"webm"}, L"WEBM", true},  {{L".WebM"}, L"webm", true},
        {{L"*.web?"}, L"webm", true},          {{L"webm"}, L"WEB", false},  {{L"w*"}, L"webm", false},
        {{L"*"}, L"", false},                  {{L""}, L"", false},
    };
    for (const auto& c : cases) {
        CAPTURE(c.ext);
        CHECK(TypeListMatches(c.words, c.ext) == c.matches);
    }
}

TEST_CASE("TC's own viewer: built-in types, the Lister settings and Windows' media extensions") {
    CheckFixture f(L"ownview");
    const std::vector<std::wstring> exts{L"jpg", L"JPG", L"M4A", L"webm", L"MKV", L"png", L"svg", L"gif", L"txt", L""};
    const wchar_t* media = L"MediaAdditionalTypes=*.webm mkv|*.png\r\nIViewAdditionalTypes=*.svg|*.gif\r\n";
    LoadLister(f, std::wstring(media) + L"IView=1\r\n");
    CHECK(OwnTypes(exts) == L"+jpg +JPG +M4A +webm +MKV -png +svg -gif -txt - ");
    LoadLister(f, std::wstring(media) + L"IView=0\r\n");
    CHECK(OwnTypes(exts) == L"+jpg +JPG +M4A +webm +MKV -png -svg +gif -txt - ");
    LoadLister(f, std::wstring(media) + L"IView=1\r\nMultimedia=0\r\n");
    CHECK(OwnTypes(exts) == L"-jpg -JPG -M4A -webm -MKV -png -svg -gif -txt - ");

    SUBCASE("the registry's media extensions, cached until the settings are read again") {
        if (!SetMciValue(L"KVMCI", L"MPEGVideo") || !SetMciValue(L"KVBLANK", L"")) {
            MESSAGE("HKLM of the test prefix is not writable; the registry part is skipped");
            return;
        }
        LoadLister(f, L"");
        CHECK(OwnTypes({L"kvmci", L"KVMCI", L"KVBLANK", L"KVNONE"}) == L"+kvmci +KVMCI -KVBLANK -KVNONE ");
        CHECK(TcListerSettings.mciClaims.size() == 3);
        SetMciValue(L"KVMCI", nullptr);
        CHECK(IsTcOwnViewerExt(L"KVMCI"));
        LoadTcListerSettings();
        CHECK_FALSE(IsTcOwnViewerExt(L"KVMCI"));
        SetMciValue(L"KVBLANK", nullptr);
    }
}

TEST_CASE("the Lister state of an extension weighs blocked types, TC's own viewer and view modes") {
    CheckFixture f(L"lstate");
    f.Ini(L"[Lister]\r\nNoPluginFileTypes=*.both *.blk\r\nNoMediaFileTypes=*.both\r\n"
          L"IViewAdditionalTypes=*.svg\r\nIView=1\r\n"
          L"[ListerModes]\r\n0exts=*.md\r\n0fields=text.wlx view.wlx64\r\n1exts=*.jpg\r\n1fields=text.wlx\r\n"
          L"2exts=*.ini\r\n2fields=4 text.wlx\r\n3exts=*.doc\r\n3fields=ghost.wlx\r\n4exts=*.rtf\r\n"
          L"4fields=3 text.wlx\r\n"
          L"[ListerPlugins]\r\n0=%COMMANDER_PATH%\\p\\text.wlx\r\n0_detect=\"EXT=\"MD\" | EXT=\"JPG\"\"\r\n"
          L"1=%COMMANDER_PATH%\\p\\view.wlx\r\n1_detect=\"MULTIMEDIA & EXT=\"MD\"\"\r\n");
    LoadPluginSection(KindLister);
    PlugEntry text = ListerEntry(f.dir, L"text.wlx", L"EXT=\"MD\" | EXT=\"JPG\"");
    PlugEntry view = ListerEntry(f.dir, L"view.wlx64", L"MULTIMEDIA & EXT=\"MD\"", 1);
    const struct {
        const PlugEntry* entry;
        const wchar_t* ext;
        int result, code;
        const wchar_t *status, *hint, *modePlugin;
    } cases[] = {
        {&text, L"BOTH", 2, 2, L"active, but blocked",
         L"[Lister] NoMediaFileTypes: Lister shows .BOTH as text – no plugin, no image viewer (only with key 4)", L""},
        {&text, L"BLK", 2, 2, L"active, but blocked",
         L"[Lister] NoPluginFileTypes: Lister loads no plugin for .BLK (only with key 4)", L""},
        {&text, L"MD", 1, 0, L"",
         L"view mode by file type (*.md → text.wlx view.wlx64): Lister uses this plugin first for .MD", L""},
        {&view, L"MD", 2, 1, L"active, but passed over",
         L"view mode by file type (*.md → text.wlx view.wlx64): this plugin only after key 4", L"text"},
        // TC's own viewer takes .JPG from a plugin without MULTIMEDIA, even one a rule names.
        {&text, L"JPG", 2, 3, L"active, but passed over",
         L"TC shows .JPG itself (image viewer/player) – without MULTIMEDIA in the detect string the plugin does "
         L"not get it",
         L""},
        {&view, L"JPG", 2, 1, L"active, but passed over",
         L"view mode by file type (*.jpg → text.wlx): Lister shows .JPG with text.wlx", L"text"},
        {&text, L"INI", 0, 0, L"", L"", L""},
        {&view, L"DOC", 0, 0, L"", L"", L""},
        {&text, L"RTF", 2, 1, L"active, but passed over",
         L"view mode by file type (*.rtf → 3 text.wlx): this plugin only after key 4", L"3 hex"},
        {&text, L"SVG", 2, 3, L"active, but passed over",
         L"TC shows .SVG itself (image viewer/player) – without MULTIMEDIA in the detect string the plugin does "
         L"not get it",
         L""},
        {&view, L"SVG", 0, 0, L"", L"", L""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.entry->name);
        CAPTURE(c.ext);
        std::wstring status = L"old", hint = L"old", modePlugin = L"old";
        int code = -1;
        CHECK(ListerStateText(*c.entry, c.ext, status, hint, &code, &modePlugin) == c.result);
        CHECK(code == c.code);
        CHECK(status == c.status);
        CHECK(hint == c.hint);
        CHECK(modePlugin == c.modePlugin);
    }
    PlugEntry content = text;
    content.kind = KindContent;
    std::wstring status, hint;
    CHECK(ListerStateText(content, L"BOTH", status, hint) == 0);
}

TEST_CASE("the greedy note counts the existing plugins behind the entry") {
    UseEnglish();
    std::vector<PlugEntry> entries(4);
    for (int i = 0; i < 4; ++i) {
        entries[(size_t)i].number = i + 1;
        entries[(size_t)i].fileExists = i != 1;
    }
    CHECK(GreedyNoteText(entries, 1).find(L"the plugins behind it (2) only get a file") != std::wstring::npos);
}
