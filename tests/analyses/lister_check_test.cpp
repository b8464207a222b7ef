#include <doctest/doctest.h>

#include <algorithm>

#include "analyses/lister_check.h"
#include "analyses/preview_state.h"
#include "../hostcfg/hostcfg_test_util.h"
#include "check_fixture.h"
#include "foundation/texts.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/tc_discovery.h"
#include "probe/workers.h"
#include "probe/pe.h"
#include "views/panes.h"

namespace {

// Entries out of number order, a gap in the view-mode rules, both forms of
// [Lister] type lists, and a plugin for every branch of the classification.
const wchar_t kScenarioIni[] =
    L"[Lister]\r\n"
    L"NoPluginFileTypes=*.blk *.both\r\n"
    L"NoMediaFileTypes=both nomm\r\n"
    L"MediaAdditionalTypes=*.webm|*.png\r\n"
    L"ModeByfileType=1\r\n"
    L"[ListerModes]\r\n"
    L"0exts=*.md\r\n0fields=every.wlx64 text.wlx\r\n"
    L"1exts=*.log\r\n1fields=ghost.wlx\r\n"
    L"2exts=*.cfg\r\n2fields=4i\r\n"
    L"4exts=*.txt\r\n4fields=sized.wlx\r\n"
    L"[ListerPlugins]\r\n"
    L"8=%COMMANDER_PATH%\\p\\sized.wlx\r\n"
    L"8_detect=\"EXT=\"TXT\" & SIZE>100 & FINDI(\"HELLO\") & [0]=77 & EXT!=\"LOG\"\"\r\n"
    L"1=%COMMANDER_PATH%\\p\\text.wlx\r\n"
    L"1_detect=\"EXT=\"TXT\" | EXT=\"MD\" | EXT=\"LOG\"\"\r\n"
    L"2=%COMMANDER_PATH%\\p\\missing.wlx\r\n"
    L"2_detect=\"EXT=\"TXT\"\"\r\n"
    L"3=%COMMANDER_PATH%\\p\\old32.wlx\r\n"
    L"3_detect=\"EXT=\"TXT\"\"\r\n"
    L"4=%COMMANDER_PATH%\\p\\every.wlx\r\n"
    L"5=%COMMANDER_PATH%\\p\\forced.wlx\r\n"
    L"5_detect=\"FORCE & EXT=\"TXT\"\"\r\n"
    L"6=%COMMANDER_PATH%\\p\\media.wlx\r\n"
    L"6_detect=\"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"WEBM\")\"\r\n"
    L"7=%COMMANDER_PATH%\\p\\broken.wlx\r\n"
    L"7_detect=\"EXT=\"TXT\" &\"\r\n";

struct Scenario : CheckFixture {
    Scenario() : CheckFixture(L"lvcheck") {
        Ini(kScenarioIni);
        for (const wchar_t* f : {L"text.wlx64", L"every.wlx64", L"forced.wlx64", L"media.wlx64", L"broken.wlx64",
                                 L"sized.wlx64"})
            Plugin(f, PeMachineX64);
        Plugin(L"old32.wlx", PeMachineX86);
    }
};

// 200 bytes starting with 'M' and holding "hello".
std::string TextHead() { return "Mxx hello " + std::string(190, 'x'); }

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

const wchar_t kTxtRows32[] =
    L"→ Order: nothing set for this type – TC asks the plugins in this order\n"
    L"→ Key 4 cycle: text → old32 → every → forced → broken → sized → text – starts at the first match, skips "
    L"plugins that refuse the file\n"
    L"✓ #1 text: EXT=\"TXT\"\n"
    L"– #2 missing: plugin file missing\n"
    L"✓ #3 old32: EXT=\"TXT\"\n"
    L"✓ #4 every: no detect string – takes every file\n"
    L"✓ 4 #5 forced: only with key 4 (FORCE)\n"
    L"– #6 media: other extensions\n"
    L"✓ #7 broken: spelling error in the detect string – unclear what TC does\n"
    L"✓ #8 sized: EXT=\"TXT\"  ·  SIZE>100  ·  FINDI(\"HELLO\")  …\n";

const wchar_t kBothRows[] =
    L"→ Blocked: [Lister] NoPluginFileTypes: Lister loads no plugin for .BOTH (only with key 4)\n"
    L"→ Blocked: [Lister] NoMediaFileTypes: Lister shows .BOTH as text – no plugin, no image viewer (only with "
    L"key 4)\n"
    L"– #1 text: other extensions\n"
    L"– #2 missing: plugin file missing\n"
    L"– #3 old32: 32-bit only – 64-bit TC cannot load it\n"
    L"✓ 4 #4 every: blocked for .BOTH – only with key 4\n"
    L"– #5 forced: other extensions\n"
    L"– #6 media: other extensions\n"
    L"✓ 4 #7 broken: blocked for .BOTH – only with key 4\n"
    L"– #8 sized: other extensions\n";

const wchar_t kMdRows[] =
    L"→ View mode: *.md → every.wlx64, text.wlx – TC uses this before the order\n"
    L"→ Key 4 cycle: every → broken → text → every – starts at the view-mode plugin, skips plugins that refuse "
    L"the file\n"
    L"✓ #1 text: ★ view mode: set for .MD  ·  EXT=\"MD\"\n"
    L"– #2 missing: plugin file missing\n"
    L"– #3 old32: 32-bit only – 64-bit TC cannot load it\n"
    L"✓ #4 every: ★ view mode: set for .MD  ·  no detect string – takes every file\n"
    L"– #5 forced: other extensions\n"
    L"– #6 media: other extensions\n"
    L"✓ #7 broken: spelling error in the detect string – unclear what TC does\n"
    L"– #8 sized: other extensions\n";

const wchar_t kJpgRows[] =
    L"→ TC's own viewer: TC shows .JPG itself – plugins without MULTIMEDIA do not come in\n"
    L"– #1 text: no MULTIMEDIA – TC shows .JPG itself\n"
    L"– #2 missing: plugin file missing\n"
    L"– #3 old32: 32-bit only – 64-bit TC cannot load it\n"
    L"– #4 every: no MULTIMEDIA – TC shows .JPG itself\n"
    L"– #5 forced: no MULTIMEDIA – TC shows .JPG itself\n"
    L"✓ #6 media: MULTIMEDIA  ·  EXT=\"JPG\"\n"
    L"– #7 broken: no MULTIMEDIA – TC shows .JPG itself\n"
    L"– #8 sized: no MULTIMEDIA – TC shows .JPG itself\n";

const wchar_t kNoExtRows[] =
    L"→ Order: nothing set for this type – TC asks the plugins in this order\n"
    L"→ Key 4 cycle: every → broken → every – starts at the first match, skips plugins that refuse the file\n"
    L"– #1 text: other extensions\n"
    L"– #2 missing: plugin file missing\n"
    L"– #3 old32: 32-bit only – 64-bit TC cannot load it\n"
    L"✓ #4 every: no detect string – takes every file\n"
    L"– #5 forced: other extensions\n"
    L"– #6 media: other extensions\n"
    L"✓ #7 broken: spelling error in the detect string – unclear what TC does\n"
    L"– #8 sized: other extensions\n";

std::wstring FirstLines(const std::wstring& text, int n) {
    size_t at = 0;
    while (n-- > 0 && at != std::wstring::npos) at = text.find(L'\n', at + 1);
    return text.substr(0, at == std::wstring::npos ? text.size() : at + 1);
}

PlugEntry Entry(int number, const std::wstring& name, const std::wstring& detect) {
    PlugEntry e;
    e.number = number;
    e.name = name;
    e.path = e.expandedPath = L"C:\\nowhere\\" + name + L".wlx";
    e.fileExists = 1;
    e.hasDetect = 1;
    e.detectText = detect;
    return e;
}

}  // namespace

TEST_CASE("the Lister check classifies every plugin as TC decides, in number order") {
    Scenario s;
    const struct {
        const wchar_t* file;
        std::string bytes;
        bool tc32;
        const wchar_t* rows;
    } cases[] = {
        {L"a.txt", TextHead(), false, kTxtRows},
        {L"a.txt", TextHead(), true, kTxtRows32},
        {L"a.both", "x", false, kBothRows},
        {L"a.md", "x", false, kMdRows},
        {L"a.jpg", "x", false, kJpgRows},
        {L"README", "x", false, kNoExtRows},
    };
    for (const auto& c : cases) {
        CAPTURE(c.file);
        CAPTURE(c.tc32);
        CHECK(RowsText(s.Check(s.File(c.file, c.bytes), c.tc32)) == c.rows);
    }
}

TEST_CASE("view modes and TC's own viewer come before the order") {
    Scenario s;
    const struct {
        const wchar_t* file;
        const wchar_t* head;  // the information rows
    } cases[] = {
        // A rule that names a plugin nobody configured: no mark, no key-4 cycle.
        {L"a.log", L"→ View mode: *.log → ghost.wlx – TC uses this before the order\n✓ #1 text: EXT=\"LOG\"\n"},
        // A rule for a built-in view mode marks no plugin and starts no cycle.
        {L"a.cfg", L"→ View mode: *.cfg → 4i internal, no plugins – TC uses this before the order\n– #1 text: "
                   L"other extensions\n"},
        // The rule behind the gap in [ListerModes] is never seen.
        {L"b.txt", L"→ Order: nothing set for this type – TC asks the plugins in this order\n"},
        {L"a.webm", L"→ TC's own viewer: TC shows .WEBM itself – plugins without MULTIMEDIA do not come in\n"
                    L"– #1 text: no MULTIMEDIA – TC shows .WEBM itself\n"},
        // Built in, but taken out again by MediaAdditionalTypes.
        {L"a.png", L"→ Order: nothing set for this type – TC asks the plugins in this order\n→ Key 4 cycle: every → "
                   L"broken → every – starts at the first match, skips plugins that refuse the file\n"},
        {L"a.nomm", L"→ Blocked: [Lister] NoMediaFileTypes: Lister shows .NOMM as text – no plugin, no image "
                    L"viewer (only with key 4)\n– #1 text: other extensions\n"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.file);
        std::wstring text = RowsText(s.Check(s.File(c.file, "x")));
        std::wstring head = c.head;
        int lines = (int)std::count(head.begin(), head.end(), L'\n');
        CHECK(FirstLines(text, lines) == head);
        CHECK(text.find(L"★") == std::wstring::npos);
    }
}

TEST_CASE("matching parts and the reasons a detect string refuses a file") {
    UseEnglish();
    TcListerSettings = ListerSettings{};
    FileFacts facts{L"TXT", 10, "Mhello", 0};
    SUBCASE("matching parts leave out EXT!= and stop after three") {
        std::vector<LvRow> rows = LvComputeRows(
            {Entry(0, L"a", L"EXT!=\"DOC\" & EXT=\"TXT\" & SIZE<100"), Entry(1, L"b", L"MULTIMEDIA | FORCE"),
             Entry(2, L"c", L"EXT=\"*\" & SIZE<11 & FIND(\"hel\") & FINDI(\"LLO\") & [0]=\"M\""),
             Entry(3, L"d", L" ")},
            facts, false);
        CHECK(RowsText(rows) ==
              L"→ Order: nothing set for this type – TC asks the plugins in this order\n"
              L"→ Key 4 cycle: a → b → c → d → a – starts at the first match, skips plugins that refuse the "
              L"file\n"
              L"✓ #0 a: EXT=\"TXT\"  ·  SIZE<100\n"
              L"✓ #1 b: MULTIMEDIA\n"
              L"✓ #2 c: EXT=\"*\"  ·  SIZE<11  ·  FIND(\"hel\")  …\n"
              L"✓ #3 d: detect string matches\n");
    }
    SUBCASE("the first failing part, by kind before source order") {
        CheckFileFacts = facts;
        const struct {
            const wchar_t* detect;
            const wchar_t* reason;
        } cases[] = {
            {L"", L"detect string does not match"},
            {L"EXT=\"TXT\" &", L"detect string does not match"},
            {L"EXT=\"DOC\" | EXT=\"PDF\" | SIZE<5", L"other extensions"},
            {L"EXT=\"TXT\" & FIND(\"zzz\") & EXT!=\"TXT\"", L"excluded: EXT!=\"TXT\""},
            {L"EXT=\"TXT\" & FIND(\"zzz\") & SIZE>100", L"size does not match: SIZE>100"},
            {L"[0]=1 & FIND(\"zzz\")", L"text not found: FIND(\"zzz\")"},
            {L"[0]=1", L"file start does not match: [0]=1"},
            {L"SIZE<100 & FORCE", L"detect string does not match"},
            {L"!EXT=\"TXT\"", L"detect string does not match"},
        };
        for (const auto& c : cases) {
            CAPTURE(c.detect);
            LvRow row;
            row.detect = c.detect;
            CHECK(LvCheckReasonText(row) == c.reason);
        }
    }
}

TEST_CASE("only an executable named TOTALCMD.EXE is the 32-bit TC") {
    CHECK(TcExeIs32Bit(L"C:\\totalcmd\\TOTALCMD.EXE"));
    CHECK(TcExeIs32Bit(L"c:\\tc\\totalcmd.exe"));
    CHECK_FALSE(TcExeIs32Bit(L"C:\\totalcmd\\TOTALCMD64.EXE"));
    CHECK_FALSE(TcExeIs32Bit(L"TOTALCMD.EXE"));
    CHECK_FALSE(TcExeIs32Bit(L""));
}

TEST_CASE("LvFillCheck checks the preview file and explains each row") {
    Scenario s;
    int statusUpdates = 0;
    UpdateStatusBar = [&] { ++statusUpdates; };
    PreviewFile = s.File(L"a.txt", TextHead());
    uint32_t generation = PvFieldsGen;
    LvFillCheck();
    CHECK(PvFieldsGen == generation + 1);
    CHECK(RowsText(LvRows) == kTxtRows);
    CHECK(LvFileExt == L"TXT");
    CHECK(statusUpdates == 1);

    std::wstring note = L"Note:\t" + Tr("lv_note");
    CHECK(LvRowDetailText(9) ==
          L"Plugin:\tsized  (#8)\r\n"
          L"Detect:\tEXT=\"TXT\" & SIZE>100 & FINDI(\"HELLO\") & [0]=77 & EXT!=\"LOG\"\r\n"
          L"Result:\tmatches with F3 – EXT=\"TXT\"  ·  SIZE>100  ·  FINDI(\"HELLO\")  …\r\n"
          L"Parts:\t✓ EXT=\"TXT\"   ✓ SIZE>100   ✓ FINDI(\"HELLO\")   ✓ [0]=77   ✓ EXT!=\"LOG\"\r\n" +
              note);
    CHECK(LvRowDetailText(6) ==
          L"Plugin:\tforced  (#5)\r\nDetect:\tFORCE & EXT=\"TXT\"\r\nResult:\tonly with key 4 – only with key 4 "
          L"(FORCE)\r\nParts:\t(key 4) FORCE   ✓ EXT=\"TXT\"\r\n" +
              note);
    CHECK(LvRowDetailText(5) ==
          L"Plugin:\tevery  (#4)\r\nDetect:\t(none)\r\nResult:\tmatches with F3 – no detect string – takes every "
          L"file\r\n" +
              note);
    CHECK(LvRowDetailText(3) == L"Plugin:\tmissing  (#2)\r\nDetect:\tEXT=\"TXT\"\r\nResult:\tdoes not match – "
                                L"plugin file missing\r\nParts:\t✓ EXT=\"TXT\"\r\n" +
                                    note);
    CHECK(LvRowDetailText(0) == L"Order:\tnothing set for this type – TC asks the plugins in this order");
    CHECK(LvRowDetailText(-1).empty());
    CHECK(LvRowDetailText((int)LvRows.size()).empty());

    SUBCASE("no file or no wincmd.ini gives an empty check") {
        PreviewFile.clear();
        LvFillCheck();
        CHECK(LvRows.empty());
        PreviewFile = s.File(L"a.txt", "x");
        WincmdIniPath.clear();
        LvFillCheck();
        CHECK(LvRows.empty());
        CHECK(statusUpdates == 3);
    }
    UpdateStatusBar = nullptr;
    PreviewFile.clear();
}
