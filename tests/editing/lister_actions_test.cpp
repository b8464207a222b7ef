// The Lister check's actions: which view-mode rule "always use" writes or why it
// refuses, closing the gap, moving a plugin before the candidates, and TC writing
// its view modes while it closes for the save.
#include "analyses/lister_check.h"
#include "editing/lister_actions.h"
#include "editing/tc_control.h"
#include "editing_test_util.h"
#include "foundation/ini.h"
#include "foundation/ini_value_check.h"
#include "foundation/texts.h"
#include "support/ini_compare.h"

namespace {

std::wstring Modes(const std::wstring& lister, const std::wstring& modes) {
    return L"[Lister]\r\n" + lister + L"\r\n[ListerModes]\r\n" + modes + L"\r\n[ListerPlugins]\r\n1=C:\\p\\a.wlx\r\n"
           L"2=C:\\p\\b.wlx\r\n5=C:\\p\\img.wlx64\r\n";
}

void CheckRows(std::vector<LvRow> rows, const std::wstring& ext) {
    LvRows = std::move(rows);
    LvFileExt = ext;
}

LvRow Row(int state, int number, const std::wstring& name, const std::wstring& path) {
    LvRow r;
    r.state = state;
    r.number = number;
    r.name = name;
    r.path = path;
    r.hasDetect = 1;
    return r;
}

std::wstring Key(const std::wstring& ini, const wchar_t* section, const wchar_t* key) {
    return IniGetString(ini, section, key);
}

}  // namespace

TEST_CASE("always use: the first matching rule is rewritten, refused or a new one appended") {
    {
        SaveFixture f(L"lv_multi", Modes(L"ModeByfileType=0", L"0exts=*.txt *.jpg\r\n0fields=other.wlx"));
        ModeRulePlan plan = PlanModeRule(L"JPG", L"C:\\p\\img.wlx64");
        CHECK(plan.refusal == std::string("lv_mode_other"));  // off or not, TC would take that rule once on
        CHECK(plan.refusalText.find(L"*.txt *.jpg → other.wlx") != std::wstring::npos);
    }
    {
        SaveFixture f(L"lv_single", Modes(L"", L"0exts=*.png\r\n0fields=p.wlx\r\n1exts= *.JPG \r\n1fields=old.wlx\r\n"
                                              L"2exts=*.jpg\r\n2fields=later.wlx"));
        ModeRulePlan plan = PlanModeRule(L"JPG", L"C:\\p\\img.wlx64");
        CHECK_FALSE(plan.refusal);
        CHECK(plan.number == 1);
        CHECK(plan.oldFields == L"old.wlx");
        CHECK(plan.exts == L"*.jpg");
        CHECK(plan.fields == L"img.wlx64");
        CHECK_FALSE(plan.switchModesOn);
    }
    {
        SaveFixture f(L"lv_none", Modes(L"ModeByfileType=0", L"0exts=*.png\r\n0fields=p.wlx"));
        ModeRulePlan plan = PlanModeRule(L"JPG", L"C:\\p\\img.wlx64");
        CHECK(plan.number == 1);
        CHECK(plan.switchModesOn);
        CHECK(PlanModeRule(L"J*G", L"x").refusal == std::string("lv_noext"));
        CHECK(PlanModeRule(L"ÄRZ", L"x").exts == L"*.ärz");
    }
    {
        SaveFixture f(L"lv_gap", Modes(L"", L"0exts=*.a\r\n0fields=a.wlx\r\n1exts=*.b\r\n1fields=b.wlx\r\n3exts=*.c\r\n3fields=c.wlx"));
        ModeRulePlan plan = PlanModeRule(L"JPG", L"C:\\p\\img.wlx64");
        CHECK(plan.refusal == std::string("lv_gap_first"));
        CHECK(plan.refusalText == FillVar(Tr("lv_gap_first"), L"n", L"2"));
    }
}

TEST_CASE("always use refuses an extension or a plugin file name that TC would read as more than one word") {
    SaveFixture f(L"lv_split", Modes(L"", L"0exts=*.png\r\n0fields=p.wlx"));
    const std::string before = ReadFileBytes(f.tc.ini);
    struct Split {
        const wchar_t *ext, *file;
        const char* key;
        const wchar_t *var, *word;
    };
    const Split cases[] = {
        {L" WHO", L"img.wlx64", "lv_ext_split", L"e", L" WHO"},  // the file "Dr. Who"
        {L"A,B", L"img.wlx64", "lv_ext_split", L"e", L"A,B"},
        {L"A;B", L"img.wlx64", "lv_ext_split", L"e", L"A;B"},
        {L"A\tB", L"img.wlx64", "lv_ext_split", L"e", L"A\tB"},
        {L"JPG", L"My Plugin.wlx", "lv_plugin_split", L"p", L"My Plugin.wlx"},
        {L"JPG", L"a,b.wlx", "lv_plugin_split", L"p", L"a,b.wlx"},
        {L"JPG", L"a;b.wlx", "lv_plugin_split", L"p", L"a;b.wlx"},
        {L"JPG", L"a\tb.wlx", "lv_plugin_split", L"p", L"a\tb.wlx"},
    };
    for (const Split& c : cases) {
        std::wstring path = std::wstring(L"C:\\p\\") + c.file, text = FillVar(Tr(c.key), c.var, c.word);
        CAPTURE(std::string(text.begin(), text.end()));
        ModeRulePlan plan = PlanModeRule(c.ext, path);
        CHECK(std::string(plan.refusal ? plan.refusal : "") == c.key);
        CHECK(plan.refusalText == text);
        // The user is told why, and nothing is written.
        SaveFixture::Shown.clear();
        CheckRows({Row(LvF3, 5, L"x", path)}, c.ext);
        LvAlways(SaveFixture::Host, nullptr, 0);
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{text});
        CHECK(ReadFileBytes(f.tc.ini) == before);
    }
}

TEST_CASE("always use finds the rule of its extension written with letters beyond ASCII in another case") {
    SaveFixture f(L"lv_case", L"");
    WriteIniText(f.tc.ini, Modes(L"", L"0exts=*.ärz\r\n0fields=old.wlx"), true);
    ModeRulePlan plan = PlanModeRule(L"ÄRZ", L"C:\\p\\img.wlx64");
    CHECK((!plan.refusal && plan.number == 0 && plan.oldFields == L"old.wlx"));
    WriteIniText(f.tc.ini, Modes(L"", L"0exts=*.txt *.ЖУК\r\n0fields=old.wlx"), true);
    const char* refusal = PlanModeRule(L"жук", L"C:\\p\\img.wlx64").refusal;
    CHECK((refusal && std::string(refusal) == "lv_mode_other"));
}

TEST_CASE("always use writes the rule and switches view modes on, through one save") {
    SaveFixture f(L"lv_write", Modes(L"ModeByfileType=0", L"0exts=*.png\r\n0fields=p.wlx"));
    CheckRows({Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"JPG");
    LvAlways(SaveFixture::Host, nullptr, 0);
    CHECK(Key(f.tc.ini, L"ListerModes", L"1exts") == L"*.jpg");
    CHECK(Key(f.tc.ini, L"ListerModes", L"1fields") == L"img.wlx64");
    CHECK(Key(f.tc.ini, L"Lister", L"ModeByfileType") == L"1");
    REQUIRE(SaveFixture::Shown.size() == 2);  // the question and the final message
    CHECK(SaveFixture::Shown[1] == FillVar(FillVar(Tr("lv_done_mode"), L"e", L"JPG"), L"p", L"img"));

    SaveFixture::Shown.clear();
    PendingEditFor(f.Entry(0, 1)).deleted = 1;
    LvAlways(SaveFixture::Host, nullptr, 0);
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{Tr("un_pending")});
}

TEST_CASE("a rule whose line the change log cannot take stands, and the message says so") {
    SaveFixture f(L"lv_nolog", Modes(L"ModeByfileType=1", L"0exts=*.png\r\n0fields=p.wlx"));
    CheckRows({Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"JPG");
    {
        ChangeLogHeld held;
        REQUIRE(held.Holds());
        LvAlways(SaveFixture::Host, nullptr, 0);
    }
    CHECK(Key(f.tc.ini, L"ListerModes", L"1fields") == L"img.wlx64");
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1] == FillVar(FillVar(Tr("lv_done_mode"), L"e", L"JPG"), L"p", L"img") + L"\n\n" +
                                       ChangeLogHeld::Note());
}

TEST_CASE("a rule TC writes while always use asks is not written over") {
    SaveFixture f(L"lv_asking", Modes(L"", L"0exts=*.png\r\n0fields=p.wlx"));
    CheckRows({Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"JPG");
    bool written = false;
    SaveFixture::Host.whileAsking = [&] {
        if (std::exchange(written, true)) return;
        WritePrivateProfileStringW(L"ListerModes", L"1exts", L"*.jpg", f.tc.ini.c_str());
        WritePrivateProfileStringW(L"ListerModes", L"1fields", L"tc.wlx", f.tc.ini.c_str());
    };
    LvAlways(SaveFixture::Host, nullptr, 0);
    CHECK(Key(f.tc.ini, L"ListerModes", L"1fields") == L"tc.wlx");
    REQUIRE(SaveFixture::Shown.size() == 2);  // the question and the refusal
    CHECK(SaveFixture::Shown[1].starts_with(Tr("err_changed") + L" [ListerModes]"));
}

TEST_CASE("always use refuses an extension that the ANSI wincmd.ini cannot hold, and writes nothing") {
    RequireWesternCodePage();
    SaveFixture f(L"lv_ansi", Modes(L"ModeByfileType=1", L"0exts=*.png\r\n0fields=p.wlx"));
    const std::string bytes = ReadFileBytes(f.tc.ini);
    CheckRows({Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"\x65E5");
    LvAlways(SaveFixture::Host, nullptr, 0);
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1] == FillVars(Tr("err_unwritable"), {{L"s", L"ListerModes"}, {L"k", L"*.\x65E5"},
                                                                   {L"w", FillVar(Tr("why_ansi"), L"c", CharWithCode(L"\x65E5"))}}) +
                                       L"\r\n");
}

TEST_CASE("closing the gap renumbers the complete rules and drops the broken ones") {
    SaveFixture f(L"lv_gapfix", Modes(L"", L"0exts=*.a\r\n0fields=a.wlx\r\n1exts=*.b\r\n1fields=b.wlx\r\n"
                                          L"3exts=*.c\r\n3fields=c.wlx\r\n5exts=*.d"));
    ModeGapFix(SaveFixture::Host, nullptr);
    CHECK(Section(f.tc.ini, L"ListerModes") ==
          L"0exts=*.a\n0fields=a.wlx\n1exts=*.b\n1fields=b.wlx\n2exts=*.c\n2fields=c.wlx\n");
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[0].find(L"   3 → 2:  *.c → c.wlx\n") != std::wstring::npos);
    CHECK(SaveFixture::Shown[1] == FillVar(Tr("gap_done"), L"k", L"3"));
}

TEST_CASE("closing the gap keeps a quoted value, which a single key's read gives without its quotes") {
    SaveFixture f(L"lv_gapquote", Modes(L"", L"0exts=*.a\r\n0fields=\"a a.wlx\"\r\n2exts=*.c\r\n2fields=c.wlx"));
    ModeGapFix(SaveFixture::Host, nullptr);
    CHECK(Section(f.tc.ini, L"ListerModes") == L"0exts=*.a\n0fields=\"a a.wlx\"\n1exts=*.c\n1fields=c.wlx\n");
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1] == FillVar(Tr("gap_done"), L"k", L"2"));
}

TEST_CASE("a plugin moved before the first candidate is saved at once, leaving no pending order") {
    SaveFixture f(L"lv_front", Modes(L"", L""));
    CheckRows({Row(LvF3, 2, L"b", L"C:\\p\\b.wlx"), Row(LvKey4, 1, L"a", L"C:\\p\\a.wlx"),
               Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"JPG");
    LvMoveToFront(SaveFixture::Host, nullptr, 2);
    std::vector<std::wstring> names;
    for (const PlugEntry& e : LoadPluginSection(0).entries) names.push_back(e.name);
    CHECK(names == std::vector<std::wstring>{L"a", L"img", L"b"});
    CHECK(PendingOrders.empty());
}

TEST_CASE("a move to the front acts only on the entries the check showed between the two plugins") {
    // In their groups, as the check shows them: the F3 matches before key 4.
    const std::vector<LvRow> rows = {Row(LvF3, 1, L"a", L"C:\\p\\a.wlx"), Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64"),
                                     Row(LvKey4, 2, L"b", L"C:\\p\\b.wlx")};
    const wchar_t* changed[] = {
        L"1=C:\\p\\img.wlx64\r\n2=C:\\p\\b.wlx\r\n5=C:\\p\\a.wlx",                       // TC reordered them
        L"1=C:\\p\\a.wlx\r\n2=C:\\p\\c.wlx\r\n5=C:\\p\\img.wlx64",                       // one between them replaced
        L"1=C:\\p\\a.wlx\r\n2=C:\\p\\b.wlx\r\n3=C:\\p\\c.wlx\r\n5=C:\\p\\img.wlx64",  // one added between them
    };
    for (const wchar_t* section : changed) {
        CAPTURE(std::string(section, section + wcslen(section)));
        SaveFixture f(L"lv_front_changed", std::wstring(L"[ListerPlugins]\r\n") + section + L"\r\n");
        const std::string before = ReadFileBytes(f.tc.ini);
        CheckRows(rows, L"JPG");
        LvMoveToFront(SaveFixture::Host, nullptr, 1);
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{Tr("lv_front_changed")});
        CHECK(ReadFileBytes(f.tc.ini) == before);
        CHECK(PendingOrders.empty());
    }
    // An entry added behind the moved one keeps its place: the move goes on.
    SaveFixture f(L"lv_front_behind", L"[ListerPlugins]\r\n1=C:\\p\\a.wlx\r\n2=C:\\p\\b.wlx\r\n"
                                      L"5=C:\\p\\img.wlx64\r\n7=C:\\p\\d.wlx\r\n");
    CheckRows(rows, L"JPG");
    LvMoveToFront(SaveFixture::Host, nullptr, 1);
    std::vector<std::wstring> names;
    for (const PlugEntry& e : LoadPluginSection(0).entries) names.push_back(e.name);
    CHECK(names == std::vector<std::wstring>{L"img", L"a", L"b", L"d"});
}

TEST_CASE("a move to the front whose write fails says the order was withdrawn, and the window shows none pending") {
    SaveFixture f(L"lv_front_fails", Modes(L"", L""));
    const std::wstring lister = f.Lines(0);
    CheckRows({Row(LvF3, 2, L"b", L"C:\\p\\b.wlx"), Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"JPG");
    std::vector<uint32_t> pendingShown;  // at each refill of the window, which also shows the count
    SaveFixture::Host.refill = [&] { pendingShown.push_back(CountPendingChanges()); };
    FaultyIo io;
    io.onlyKind = "write";
    io.failAt = 0;
    io.onward = true;
    LvMoveToFront(SaveFixture::Host, nullptr, 1, io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0].ends_with(L"\r\n" + FillVar(Tr("save_withdrawn"), L"n", L"1") + L"\r\n"));
    CHECK(pendingShown == std::vector<uint32_t>{0});
    CHECK(CountPendingChanges() == 0);
    CHECK(f.Lines(0) == lister);
}

TEST_SUITE("windows") {
    TEST_CASE("view modes that TC wrote while it closed for the save are not written over") {
        SaveFixture f(L"lv_tc", Modes(L"", L"0exts=*.png\r\n0fields=p.wlx"));
        std::wstring exe = f.tc / (sizeof(void*) == 8 ? L"TOTALCMD64.EXE" : L"TOTALCMD.EXE");
        CopyFileW(BuildPath(sizeof(void*) == 8 ? L"fakes\\tc\\TOTALCMD64.EXE" : L"fakes\\tc\\TOTALCMD.EXE").c_str(),
                  exe.c_str(), FALSE);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring line = Quote(exe) + L" /modes=" + f.tc.ini;
        REQUIRE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, f.tc.dir.c_str(), &si, &pi));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        for (int i = 0; i < 200 && TcWindows().empty(); ++i) Sleep(50);
        REQUIRE(TcWindows().size() == 1);
        CheckRows({Row(LvF3, 5, L"img", L"C:\\p\\img.wlx64")}, L"JPG");
        LvAlways(SaveFixture::Host, nullptr, 0);
        for (int i = 0; i < 200 && TcWindows().empty(); ++i) Sleep(50);
        CHECK(TcWindows().size() == 1);  // started again
        CHECK(Key(f.tc.ini, L"ListerModes", L"0fields") == L"written-by-tc.wlx");
        CHECK(Key(f.tc.ini, L"ListerModes", L"1exts").empty());
        REQUIRE(SaveFixture::Shown.size() == 2);
        CHECK(SaveFixture::Shown[0].find(Tr("un_tc")) != std::wstring::npos);
        CHECK(SaveFixture::Shown[1].starts_with(Tr("err_changed")));
        std::vector<TcRun> closed;
        CloseAllTc(closed, 10000);
        for (int i = 0; i < 200 && !TcWindows().empty(); ++i) Sleep(50);
    }
}
