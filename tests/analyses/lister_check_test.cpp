#include <windows.h>

#include <commctrl.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/lister_check.h"
#include "analyses/lister_state.h"
#include "analyses/preview_state.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/lister_settings.h"
#include "probe/pe.h"
#include "probe/workers.h"
#include "views/panes.h"
#include "views/view_texts.h"

namespace {

// A TC folder with this wincmd.ini (UTF-16) in use and plugin files p\<name> of these machines.
struct CheckFixture : TcIniDir {
    ScopedEnv commanderPath{L"COMMANDER_PATH", dir.c_str()};

    CheckFixture(const std::wstring& text, const std::vector<std::pair<std::wstring, uint16_t>>& plugins)
        : TcIniDir(L"lvcheck") {
        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage();
        CreateDirectoryW((*this / L"p").c_str(), nullptr);
        for (const auto& [file, m] : plugins)
            WriteFileBytes(*this / (L"p\\" + file), BuildPeImage(PeImageSpec{m, m != PeMachineX86, {"ListLoad"}}));
        WriteIniText(ini, text, true);
    }
    std::wstring File(const std::wstring& name, const std::string& bytes) {
        WriteFileBytes(*this / name, bytes);
        return *this / name;
    }
    // Checks the file as a 64-bit or 32-bit TC would, on the Lister section as it is now.
    std::vector<LvRow> Check(const std::wstring& name, const std::string& bytes = "x", bool tc32 = false) {
        return LvComputeRows(LoadPluginSection(KindLister).entries, DetFileFacts(File(name, bytes)), tc32);
    }
};

// One line per row: the mark, "#n name" or the caption, ": " and the reason.
std::wstring RowsText(const std::vector<LvRow>& rows) {
    static const wchar_t* marks[] = {L"→ ", L"✓ ", L"✓ 4 ", L"– "};
    std::wstring out;
    for (const auto& r : rows)
        out += marks[r.state] + (r.number < 0 ? r.caption : EntryNumberText(r.number) + L" " + r.name) + L": " +
               r.reason + L"\n";
    return out;
}

// The captions of the information rows, then each plugin's state, '*' when a view mode names it.
std::wstring Summary(const std::vector<LvRow>& rows) {
    std::wstring out;
    for (const auto& r : rows)
        out += r.state == LvInfo ? r.caption + L"; " : std::to_wstring(r.state) + (r.modeRule ? L"*" : L"");
    return out;
}

// Entries out of number order, a gap in the view-mode rules, both forms of
// [Lister] type lists, and a plugin for every branch of the classification.
struct Scenario : CheckFixture {
    Scenario()
        : CheckFixture(
              L"[Lister]\r\nNoPluginFileTypes=*.blk, *.both\r\nNoMediaFileTypes=both;nomm\r\n"
              L"MediaAdditionalTypes=*.webm|*.png\r\n"
              L"[ListerModes]\r\n0exts=*.md\r\n0fields=every.wlx64 text.wlx\r\n1exts=*.log\r\n1fields=ghost.wlx\r\n"
              L"2exts=*.cfg\r\n2fields=4i\r\n4exts=*.txt\r\n4fields=sized.wlx\r\n"
              L"[ListerPlugins]\r\n8=%COMMANDER_PATH%\\p\\sized.wlx\r\n"
              L"8_detect=\"EXT!=\"LOG\" & EXT=\"TXT\" & SIZE>100 & FINDI(\"HELLO\") & [0]=77\"\r\n"
              L"1=%COMMANDER_PATH%\\p\\text.wlx\r\n1_detect=\"EXT=\"TXT\" | EXT=\"MD\" | EXT=\"LOG\"\"\r\n"
              L"2=%COMMANDER_PATH%\\p\\missing.wlx\r\n2_detect=\"EXT=\"TXT\"\"\r\n"
              L"3=%COMMANDER_PATH%\\p\\old32.wlx\r\n3_detect=\"EXT!=\"DOC\"\"\r\n"
              L"4=%COMMANDER_PATH%\\p\\every.wlx\r\n"
              L"5=%COMMANDER_PATH%\\p\\forced.wlx\r\n5_detect=\"FORCE & EXT=\"TXT\"\"\r\n"
              L"6=%COMMANDER_PATH%\\p\\media.wlx\r\n6_detect=\"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"WEBM\")\"\r\n"
              L"7=%COMMANDER_PATH%\\p\\broken.wlx\r\n7_detect=\"EXT=\"TXT\" &\"\r\n",
              {{L"text.wlx64", PeMachineX64}, {L"every.wlx64", PeMachineX64}, {L"forced.wlx64", PeMachineX64},
               {L"media.wlx64", PeMachineX64}, {L"broken.wlx64", PeMachineX64}, {L"sized.wlx64", PeMachineX64},
               {L"old32.wlx", PeMachineX86}}) {}
};

const std::string kTextHead = "Mxx hello " + std::string(190, 'x');  // 200 bytes

const wchar_t kTxtRows[] =
    L"→ Order: nothing set for this type – TC asks the plugins in this order\n"
    L"→ Key 4 cycle: text → every → forced → broken → sized → text – starts at the first match, skips plugins "
    L"that refuse the file\n"
    L"✓ #1 text: EXT=\"TXT\"\n"
    L"– #2 missing: plugin file missing\n"
    L"– #3 old32: 32-bit only – 64-bit TC cannot load it\n"
    L"✓ #4 every: no detect string – takes every file\n"
    L"✓ 4 #5 forced: only with key 4 (FORCE)\n"
    L"– #6 media: other extensions\n"
    L"✓ #7 broken: spelling error in the detect string – unclear what TC does\n"
    L"✓ #8 sized: EXT=\"TXT\"  ·  SIZE>100  ·  FINDI(\"HELLO\")  …\n";

}  // namespace

TEST_CASE("the Lister check decides as TC: types first, then each plugin in number order") {
    Scenario s;
    CHECK(RowsText(s.Check(L"a.txt", kTextHead)) == kTxtRows);
    const struct {
        const wchar_t *file, *summary, *line;
        bool tc32 = false;
    } cases[] = {
        {L"a.txt", L"Order; Key 4 cycle; 13112311", L"✓ #3 old32: detect string matches", true},
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
    CheckFileFacts = FileFacts{L"TXT", 10, "Mhello", 0};
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
        row.detect = c.detect;
        CHECK(LvCheckReasonText(row) == c.reason);
    }
    CHECK((TcExeIs32Bit(L"c:\\tc\\totalcmd.exe") && !TcExeIs32Bit(L"C:\\tc\\TOTALCMD64.EXE")));
}

namespace {

// Wine's list view ignores groups, so the test records what the list is told.
std::wstring Told;
WNDPROC ListProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == LVM_REMOVEALLGROUPS) Told += L"clear\n";
    if (msg == LVM_INSERTGROUP) {
        const LVGROUP* g = (const LVGROUP*)lp;
        bool collapsible = (g->mask & LVGF_STATE) && (g->state & g->stateMask & LVGS_COLLAPSIBLE);
        Told += std::to_wstring(g->iGroupId) + L" " + g->pszHeader + (collapsible ? L" +\n" : L"\n");
    }
    if (msg == LVM_INSERTITEMW && (((const LVITEMW*)lp)->mask & LVIF_GROUPID))
        Told += std::to_wstring(((const LVITEMW*)lp)->iGroupId);
    return CallWindowProcW(ListProc, w, msg, wp, lp);
}

}  // namespace

TEST_SUITE("listview") {
    TEST_CASE("LvFillCheck checks the preview file, lists the rows in their groups and explains each row") {
        Scenario s;
        HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 900, 900, nullptr, nullptr,
                                     nullptr, nullptr);
        HWND list = LvCheckList = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 800, 800,
                                                  frame, nullptr, nullptr, nullptr);
        LVCOLUMNW column{};
        for (int c = 0; c < 4; ++c) ListView_InsertColumn(list, c, &column);
        ListProc = (WNDPROC)SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)RecordingProc);
        int statusUpdates = 0;
        UpdateStatusBar = [&] { ++statusUpdates; };
        uint32_t generation = PvFieldsGen;

        PreviewFile = s.File(L"a.txt", kTextHead);
        LvFillCheck();
        CHECK(PvFieldsGen == generation + 1);
        CHECK((RowsText(LvRows) == kTxtRows && LvFileExt == L"TXT"));
        CHECK(Told == L"clear\n1 TC decides first +\n2 Matches with F3 – in this order (4) +\n3 Only with key 4 (1) +\n"
                      L"4 Does not match (3) +\n1124423422");
        REQUIRE(ListView_GetItemCount(list) == 10);
        auto cells = [&](int row) {  // the row's cells joined by "|"
            std::wstring out;
            for (int c = 0; c < 4; ++c) {
                wchar_t cell[300] = L"";
                ListView_GetItemText(list, row, c, cell, 300);
                out += (c ? L"|" : L"") + std::wstring(cell);
            }
            return out;
        };
        CHECK(cells(0) == L"|Order|→|nothing set for this type – TC asks the plugins in this order");
        CHECK(cells(2) == L"#1|text|✓|EXT=\"TXT\"");
        CHECK(cells(3) == L"#2|missing|–|plugin file missing");
        CHECK(cells(6) == L"#5|forced|✓ 4|only with key 4 (FORCE)");
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = 9;
        CHECK((ListView_GetItem(list, &item) && item.lParam == 9));
        CHECK(LvRowDetailText(6) ==
              L"Plugin:\tforced  (#5)\r\nDetect:\tFORCE & EXT=\"TXT\"\r\nResult:\tonly with key 4 – only with key 4 "
              L"(FORCE)\r\nParts:\t(key 4) FORCE   ✓ EXT=\"TXT\"\r\nNote:\t" + Tr("lv_note"));
        CHECK(LvRowDetailText(0) == L"Order:\tnothing set for this type – TC asks the plugins in this order");
        CHECK(LvRowDetailText(10).empty());

        // A refill starts afresh and leaves out the groups without rows.
        Told.clear();
        PreviewFile = s.File(L"a.nomm", "x");
        LvFillCheck();
        CHECK(Told == L"clear\n1 TC decides first +\n3 Only with key 4 (2) +\n4 Does not match (6) +\n144434434");
        PreviewFile.clear();
        LvFillCheck();
        CHECK((LvRows.empty() && ListView_GetItemCount(list) == 0 && statusUpdates == 3));
        UpdateStatusBar = nullptr;
        DestroyWindow(frame);
        LvCheckList = nullptr;
    }
}

TEST_CASE("the Lister state of an extension: blocked types, then TC's own viewer, then view modes") {
    CheckFixture f(L"[Lister]\r\nNoPluginFileTypes=*.both *.blk\r\nNoMediaFileTypes=*.both\r\n"
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

    // TC's own viewer: built-in types, [Lister] type lists and Windows' media extensions.
    auto ownTypes = [](const std::wstring& listerLines) {
        WriteIniText(WincmdIniPath, L"[Lister]\r\n" + listerLines, true);
        LoadTcListerSettings();
        std::wstring out;
        for (const wchar_t* e : {L"jpg", L"JPG", L"M4A", L"webm", L"MKV", L"png", L"svg", L"gif", L"txt", L""})
            out += (IsTcOwnViewerExt(e) ? L"+" : L"-") + std::wstring(e) + L" ";
        return out;
    };
    const wchar_t mci[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\MCI Extensions";
    const std::wstring media = L"MediaAdditionalTypes=*.webm mkv|*.png\r\nIViewAdditionalTypes=*.svg|.gif\r\n";
    CHECK(ownTypes(media + L"IView=1") == L"+jpg +JPG +M4A +webm +MKV -png +svg -gif -txt - ");
    CHECK(ownTypes(media + L"IView=0") == L"+jpg +JPG +M4A +webm +MKV -png -svg +gif -txt - ");
    CHECK(ownTypes(media + L"Multimedia= 0 ") == L"-jpg -JPG -M4A -webm -MKV -png -svg -gif -txt - ");
    CHECK_FALSE(TypeListMatches({L"w*", L"webm"}, L"WEB"));

    if (RegSetKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVMCI", REG_SZ, L"MPEGVideo", 20) ||
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVBLANK", REG_SZ, L"", 2)) {
        MESSAGE("HKLM of the test prefix is not writable; the registry part is skipped");
        return;
    }
    ownTypes(L"");
    CHECK((IsTcOwnViewerExt(L"kvmci") && !IsTcOwnViewerExt(L"KVBLANK")));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVMCI");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, mci, L"KVBLANK");
    LoadTcListerSettings();
    CHECK_FALSE(IsTcOwnViewerExt(L"KVMCI"));
}
