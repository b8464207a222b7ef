#include <windows.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/lister_check.h"
#include "analyses/lister_state.h"
#include "foundation/labels.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/lister_settings.h"
#include "lister_check_scenario.h"
#include "probe_record/pe.h"

TEST_CASE("the Lister check decides as TC: types first, then each plugin in number order") {
    Scenario s;
    CHECK(RowsText(s.Check(L"a.txt", kTextHead)) == kTxtRows);
    const struct {
        const wchar_t *file, *summary, *line;
        bool tc32 = false;
    } cases[] = {
        {L"a.txt", L"Order; 33133333", L"✓ #3 old32: detect string matches", true},
        {L"a.txt", L"Order; 33133333", L"– #1 text: 64-bit only – 32-bit TC cannot load it", true},
        {L"a.md", L"View mode; Key 4 cycle; 1*331*3313", L"every → broken → text → every – starts at the view-mode"},
        {L"a.md", L"View mode; Key 4 cycle; 1*331*3313", L"✓ #4 every: ★ view mode: set for .MD  ·  no detect string"},
        {L"a.md", L"View mode; Key 4 cycle; 1*331*3313", L"→ View mode: *.md → every.wlx64, text.wlx – TC uses"},
        {L"b.txt", L"Order; Key 4 cycle; 13312313", L"– #8 sized: size does not match: SIZE>100"},
        {L"a.both", L"Blocked; Blocked; 33323323", L"✓ 4 #7 broken: blocked for .BOTH – only with key 4"},
        {L"a.nomm", L"Blocked; 33323323", L"Lister shows .NOMM as text – no plugin, no image viewer"},
        {L"a.jpg", L"TC's own viewer; 33333133", L"– #1 text: no MULTIMEDIA – TC shows .JPG itself"},
        {L"a.jpg", L"TC's own viewer; 33333133", L"✓ #6 media: MULTIMEDIA  ·  EXT=\"JPG\""},
        {L"a.webm", L"TC's own viewer; 33333133", L"TC shows .WEBM itself – plugins without MULTIMEDIA"},
        {L"README", L"Order; Key 4 cycle; 33313313", L"– #1 text: other extensions"},
        {L"a.log", L"View mode; 13313313", L"→ View mode: *.log → ghost.wlx – TC uses this before the order"},
        {L"a.cfg", L"View mode; 33313313", L"→ View mode: *.cfg → 4i internal, no plugins – TC uses"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.file);
        std::vector<LvRow> rows = s.Check(c.file, c.file[0] == L'a' ? kTextHead : "x", c.tc32);
        CHECK(Summary(rows) == c.summary);
        CHECK(RowsText(rows).find(c.line) != std::wstring::npos);
    }
}

TEST_CASE("why a plugin refuses the file: the failing part of its detect string, or a file TC cannot load") {
    // A plugin file that is neither x64 nor x86 is named for what it is, not as 32-bit.
    CheckFixture f(L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\arm.wlx\r\n2=%COMMANDER_PATH%\\p\\junk.wlx\r\n",
                   {{L"arm.wlx64", PeMachineArm64}});
    f.File(L"p\\junk.wlx64", "junk");
    CHECK(RowsText(f.Check(L"a.txt")).ends_with(L"– #1 arm: Architecture: ARM64\n– #2 junk: not a valid program file\n"));
    const FileFacts facts{L"TXT", 10, "Mhello", 0};
    const struct {
        const wchar_t *detect, *reason;
    } cases[] = {
        {L"", L"detect string does not match"},
        {L"EXT=\"TXT\" & FIND(\"zzz\") & EXT!=\"TXT\"", L"excluded: EXT!=\"TXT\""},
        {L"EXT=\"TXT\" & FIND(\"zzz\") & SIZE>100", L"size does not match: SIZE>100"},
        {L"[0]=1 & FIND(\"zzz\")", L"text not found: FIND(\"zzz\")"},
        {L"[0]=1", L"file start does not match: [0]=1"},
        {L"SIZE<100 & FORCE", L"detect string does not match"},
    };
    for (const auto& c : cases) {
        LvRow row;
        row.terms = DetectTermValues(c.detect, facts);
        CHECK(LvCheckReasonText(row) == c.reason);
    }
    CHECK((TcExeIs32Bit(L"c:\\tc\\totalcmd.exe") && !TcExeIs32Bit(L"C:\\tc\\TOTALCMD64.EXE")));
}

TEST_CASE("a 32-bit TC loads only the file without \"64\", whichever of the two names is registered") {
    CheckFixture f(L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\both.wlx64\r\n2=%COMMANDER_PATH%\\p\\only.wlx64\r\n"
                   L"3=%COMMANDER_PATH%\\p\\plain.wlx\r\n",
                   {{L"both.wlx", PeMachineX86}, {L"both.wlx64", PeMachineX64}, {L"only.wlx64", PeMachineX64},
                    {L"plain.wlx", PeMachineX86}});
    CHECK(RowsText(f.Check(L"a.txt", "x", true)).ends_with(L"✓ #1 both: no detect string – takes every file\n"
                                                           L"– #2 only: 64-bit only – 32-bit TC cannot load it\n"
                                                           L"✓ #3 plain: no detect string – takes every file\n"));
    CHECK(RowsText(f.Check(L"a.txt")).ends_with(L"✓ #2 only: no detect string – takes every file\n"
                                                L"– #3 plain: 32-bit only – 64-bit TC cannot load it\n"));
}


TEST_CASE("the Lister state of an extension: blocked types, then TC's own viewer, then view modes") {
    CheckFixture f(L"[Lister]\r\nNoPluginFileTypes=*.both *.blk\r\nNoMediaFileTypes=*.both\r\n"
                   L"[ListerModes]\r\n0exts=*.md\r\n0fields=text.wlx view.wlx64\r\n1exts=*.jpg\r\n1fields=text.wlx\r\n"
                   L"2exts=*.ini\r\n2fields=4 text.wlx\r\n3exts=*.doc\r\n3fields=ghost.wlx\r\n4exts=*.rtf\r\n"
                   L"4fields=3 text.wlx\r\n"
                   L"[ListerPlugins]\r\n0=%COMMANDER_PATH%\\p\\text.wlx\r\n0_detect=\"EXT=\"MD\" | EXT=\"JPG\"\"\r\n"
                   L"1=%COMMANDER_PATH%\\p\\view.wlx\r\n1_detect=\"MULTIMEDIA & EXT=\"MD\"\"\r\n",
                   {});
    PluginSection lister = LoadPluginSection(KindLister);
    const std::vector<PlugEntry>& entries = lister.entries;
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
        int result = ListerStateText(lister.lister, entries[(size_t)c.entry], c.ext, status, hint, &code, &mode);
        CHECK(std::to_wstring(result) + L" " + std::to_wstring(code) + L" " + status + L"|" + hint + L"|" + mode ==
              c.state);
    }

    // TC's own viewer: built-in types, [Lister] type lists and Windows' media extensions.
    auto ownTypes = [](const std::wstring& listerLines) {
        WriteIniText(WincmdIniPath, L"[Lister]\r\n" + listerLines, true);
        ListerSettings s = LoadListerSettings();
        std::wstring out;
        for (const wchar_t* e : {L"jpg", L"JPG", L"M4A", L"webm", L"MKV", L"png", L"svg", L"gif", L"txt", L""})
            out += (IsTcOwnViewerExt(s, e) ? L"+" : L"-") + std::wstring(e) + L" ";
        return out;
    };
    const wchar_t mci[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";
    const std::wstring media = L"MediaAdditionalTypes=*.webm mkv|*.png\r\nIViewAdditionalTypes=*.svg|.gif\r\n";
    CHECK(ownTypes(media + L"IView=1") == L"+jpg +JPG +M4A +webm +MKV -png +svg -gif -txt - ");
    CHECK(ownTypes(media + L"IView=0") == L"+jpg +JPG +M4A +webm +MKV -png -svg +gif -txt - ");
    CHECK(ownTypes(media + L"Multimedia= 0 ") == L"-jpg -JPG -M4A -webm -MKV -png -svg -gif -txt - ");
    CHECK_FALSE(TypeListMatches({L"w*", L"webm"}, L"WEB"));

    // The test prefix is the test's own, so its machine hive must take the values.
    REQUIRE(RegSetKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVMCI", REG_SZ, L"MPEGVideo", 20) == ERROR_SUCCESS);
    REQUIRE(RegSetKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVBLANK", REG_SZ, L"", 2) == ERROR_SUCCESS);
    WriteIniText(WincmdIniPath, L"[Lister]\r\n", true);
    ListerSettings s = LoadListerSettings();
    CHECK((IsTcOwnViewerExt(s, L"kvmci") && !IsTcOwnViewerExt(s, L"KVBLANK")));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVMCI");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVBLANK");
    CHECK_FALSE(IsTcOwnViewerExt(LoadListerSettings(), L"KVMCI"));
}

// TC opens x.ärz for EXT="ÄRZ" as the file system opens it for either name: the
// plugins, the [Lister] type lists and the view modes all take the letters of
// other alphabets in any case.
TEST_CASE("a file's extension beyond ASCII matches plugins, type lists and view modes in any case") {
    CheckFixture f(L"[Lister]\r\nNoPluginFileTypes=*.BLÖCK\r\nMediaAdditionalTypes=ЖУК\r\n"
                   L"[ListerModes]\r\n0exts=*.ÄRZ\r\n0fields=text.wlx\r\n"
                   L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\text.wlx\r\n"
                   L"1_detect=\"EXT=\"ÄRZ\" | EXT=\"blöck\" | EXT=\"жук\"\"\r\n"
                   L"2=%COMMANDER_PATH%\\p\\media.wlx\r\n2_detect=\"MULTIMEDIA & EXT=\"Жук\"\"\r\n",
                   {{L"text.wlx64", PeMachineX64}, {L"media.wlx64", PeMachineX64}});
    CHECK(RowsText(f.Check(L"x.ärz")) == L"→ View mode: *.ÄRZ → text.wlx – TC uses this before the order\n"
                                         L"✓ #1 text: ★ view mode: set for .ÄRZ  ·  EXT=\"ÄRZ\"\n"
                                         L"– #2 media: other extensions\n");
    CHECK(RowsText(f.Check(L"x.blöck")) ==
          L"→ Blocked: [Lister] NoPluginFileTypes: Lister loads no plugin for .BLÖCK (only with key 4)\n"
          L"✓ 4 #1 text: blocked for .BLÖCK – only with key 4\n– #2 media: other extensions\n");
    CHECK(RowsText(f.Check(L"x.жук")) ==
          L"→ TC's own viewer: TC shows .ЖУК itself – plugins without MULTIMEDIA do not come in\n"
          L"– #1 text: no MULTIMEDIA – TC shows .ЖУК itself\n✓ #2 media: MULTIMEDIA  ·  EXT=\"Жук\"\n");
}
