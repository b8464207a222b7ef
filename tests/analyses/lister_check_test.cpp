#include <doctest/doctest.h>

#include "analyses/preview_state.h"
#include "check_fixture.h"
#include "foundation/texts.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/tc_discovery.h"
#include "probe/pe.h"
#include "probe/workers.h"
#include "views/panes.h"

namespace {

// Entries out of number order, a gap in the view-mode rules, both forms of
// [Lister] type lists, and a plugin for every branch of the classification.
const wchar_t kIni[] =
    L"[Lister]\r\nNoPluginFileTypes=*.blk *.both\r\nNoMediaFileTypes=both nomm\r\n"
    L"MediaAdditionalTypes=*.webm|*.png\r\n"
    L"[ListerModes]\r\n0exts=*.md\r\n0fields=every.wlx64 text.wlx\r\n1exts=*.log\r\n1fields=ghost.wlx\r\n"
    L"2exts=*.cfg\r\n2fields=4i\r\n4exts=*.txt\r\n4fields=sized.wlx\r\n"
    L"[ListerPlugins]\r\n8=%COMMANDER_PATH%\\p\\sized.wlx\r\n"
    L"8_detect=\"EXT=\"TXT\" & SIZE>100 & FINDI(\"HELLO\") & [0]=77 & EXT!=\"LOG\"\"\r\n"
    L"1=%COMMANDER_PATH%\\p\\text.wlx\r\n1_detect=\"EXT=\"TXT\" | EXT=\"MD\" | EXT=\"LOG\"\"\r\n"
    L"2=%COMMANDER_PATH%\\p\\missing.wlx\r\n2_detect=\"EXT=\"TXT\"\"\r\n"
    L"3=%COMMANDER_PATH%\\p\\old32.wlx\r\n3_detect=\"EXT=\"TXT\"\"\r\n"
    L"4=%COMMANDER_PATH%\\p\\every.wlx\r\n"
    L"5=%COMMANDER_PATH%\\p\\forced.wlx\r\n5_detect=\"FORCE & EXT=\"TXT\"\"\r\n"
    L"6=%COMMANDER_PATH%\\p\\media.wlx\r\n6_detect=\"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"WEBM\")\"\r\n"
    L"7=%COMMANDER_PATH%\\p\\broken.wlx\r\n7_detect=\"EXT=\"TXT\" &\"\r\n";

struct Scenario : CheckFixture {
    Scenario()
        : CheckFixture(L"lvcheck", kIni,
                       {{L"text.wlx64", PeMachineX64}, {L"every.wlx64", PeMachineX64}, {L"forced.wlx64", PeMachineX64},
                        {L"media.wlx64", PeMachineX64}, {L"broken.wlx64", PeMachineX64},
                        {L"sized.wlx64", PeMachineX64}, {L"old32.wlx", PeMachineX86}}) {}
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

// The captions of the information rows, then each plugin's state, '*' when a view mode names it.
std::wstring Summary(const std::vector<LvRow>& rows) {
    std::wstring out;
    for (const auto& r : rows)
        out += r.state == LvInfo ? r.caption + L"; " : std::to_wstring(r.state) + (r.modeRule ? L"*" : L"");
    return out;
}

PlugEntry Entry(int number, const std::wstring& name, const std::wstring& detect) {
    PlugEntry e;
    e.number = number;
    e.name = name;
    e.path = e.expandedPath = L"C:\\nowhere\\" + name + L".wlx";
    e.fileExists = e.hasDetect = 1;
    e.detectText = detect;
    return e;
}

}  // namespace

TEST_CASE("the Lister check decides as TC: types first, then each plugin in number order") {
    Scenario s;
    CHECK(RowsText(s.Check(L"a.txt", kTextHead)) == kTxtRows);
    const struct {
        const wchar_t *file, *summary, *line;
        bool tc32 = false;
    } cases[] = {
        {L"a.txt", L"Order; Key 4 cycle; 13112311", L"✓ #3 old32: EXT=\"TXT\"", true},
        {L"a.md", L"View mode; Key 4 cycle; 1*331*3313", L"every → broken → text → every – starts at the view-mode"},
        {L"a.md", L"View mode; Key 4 cycle; 1*331*3313", L"✓ #4 every: ★ view mode: set for .MD  ·  no detect string"},
        {L"a.md", L"View mode; Key 4 cycle; 1*331*3313", L"→ View mode: *.md → every.wlx64, text.wlx – TC uses"},
        {L"b.txt", L"Order; Key 4 cycle; 13312313", L"– #8 sized: size does not match: SIZE>100"},
        {L"a.both", L"Blocked; Blocked; 33323323", L"✓ 4 #7 broken: blocked for .BOTH – only with key 4"},
        {L"a.nomm", L"Blocked; 33323323", L"Lister shows .NOMM as text – no plugin, no image viewer"},
        {L"a.jpg", L"TC's own viewer; 33333133", L"– #1 text: no MULTIMEDIA – TC shows .JPG itself"},
        {L"a.jpg", L"TC's own viewer; 33333133", L"✓ #6 media: MULTIMEDIA  ·  EXT=\"JPG\""},
        {L"a.webm", L"TC's own viewer; 33333133", L"TC shows .WEBM itself – plugins without MULTIMEDIA"},
        {L"a.png", L"Order; Key 4 cycle; 33313313", L"every → broken → every – starts at the first match"},
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

TEST_CASE("matching parts and the part that refuses the file") {
    UseEnglish();
    TcListerSettings = ListerSettings{};
    FileFacts facts{L"TXT", 10, "Mhello", 0};
    std::vector<LvRow> rows = LvComputeRows(
        {Entry(0, L"a", L"EXT!=\"DOC\" & EXT=\"TXT\" & SIZE<100"), Entry(1, L"b", L"MULTIMEDIA | FORCE"),
         Entry(2, L"c", L"EXT=\"*\" & SIZE<11 & FIND(\"hel\") & FINDI(\"LLO\") & [0]=\"M\""), Entry(3, L"d", L" ")},
        facts, false);
    CHECK(RowsText(rows).substr(RowsText(rows).find(L"✓")) ==
          L"✓ #0 a: EXT=\"TXT\"  ·  SIZE<100\n✓ #1 b: MULTIMEDIA\n✓ #2 c: EXT=\"*\"  ·  SIZE<11  ·  FIND(\"hel\")  …\n"
          L"✓ #3 d: detect string matches\n");

    const struct {
        const wchar_t *detect, *reason;
    } cases[] = {
        {L"", L"detect string does not match"},
        {L"EXT=\"TXT\" &", L"detect string does not match"},
        {L"EXT=\"DOC\" | EXT=\"PDF\" | SIZE<5", L"other extensions"},
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
    CHECK(TcExeIs32Bit(L"c:\\tc\\totalcmd.exe"));
    CHECK_FALSE(TcExeIs32Bit(L"C:\\tc\\TOTALCMD64.EXE"));
    CHECK_FALSE(TcExeIs32Bit(L"TOTALCMD.EXE"));
}

TEST_CASE("LvFillCheck checks the preview file and explains each row") {
    Scenario s;
    int statusUpdates = 0;
    UpdateStatusBar = [&] { ++statusUpdates; };
    PreviewFile = s.File(L"a.txt", kTextHead);
    uint32_t generation = PvFieldsGen;
    LvFillCheck();
    CHECK(PvFieldsGen == generation + 1);
    CHECK(RowsText(LvRows) == kTxtRows);
    CHECK(LvFileExt == L"TXT");

    std::wstring note = L"Note:\t" + Tr("lv_note");
    CHECK(LvRowDetailText(6) ==
          L"Plugin:\tforced  (#5)\r\nDetect:\tFORCE & EXT=\"TXT\"\r\nResult:\tonly with key 4 – only with key 4 "
          L"(FORCE)\r\nParts:\t(key 4) FORCE   ✓ EXT=\"TXT\"\r\n" + note);
    CHECK(LvRowDetailText(0) == L"Order:\tnothing set for this type – TC asks the plugins in this order");
    CHECK(LvRowDetailText((int)LvRows.size()).empty());

    PreviewFile.clear();
    LvFillCheck();
    CHECK(LvRows.empty());
    CHECK(statusUpdates == 2);
    UpdateStatusBar = nullptr;
}

TEST_CASE("a plugin file that is neither x64 nor x86 is named for what it is, not as 32-bit") {
    CheckFixture f(L"lvarch",
                   L"[ListerPlugins]\r\n1=%COMMANDER_PATH%\\p\\arm.wlx\r\n2=%COMMANDER_PATH%\\p\\junk.wlx\r\n",
                   {{L"arm.wlx64", PeMachineArm64}});
    f.File(L"p\\junk.wlx64", "junk");
    CHECK(RowsText(f.Check(L"a.txt")).ends_with(L"– #1 arm: Architecture: ARM64\n– #2 junk: not a valid program file\n"));
}
