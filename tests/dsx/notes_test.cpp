#include <doctest/doctest.h>

#include "dsx/compare.h"
#include "dsx/notes.h"
#include "dsx/reach.h"
#include "dsx_test_util.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"

namespace {

PlugEntry Entry(int kind, const std::wstring& detect, int number = 1, const wchar_t* path = L"C:\\P\\x.wlx") {
    PlugEntry e;
    e.kind = kind;
    e.number = number;
    e.expandedPath = path;
    e.hasDetect = 1;
    e.detectText = detect;
    e.iniDetect = CompileDetect(detect, true);
    return e;
}

// "tag: text" per note, one per line.
std::wstring Notes(const PlugEntry& e, const std::vector<PlugEntry>& all = {}) {
    std::vector<std::wstring> tags;
    std::vector<std::wstring> notes = DetectNotes(e, &all, &tags);
    REQUIRE(notes.size() == tags.size());
    std::wstring out;
    for (size_t i = 0; i < notes.size(); ++i) out += (i ? L"\n" : L"") + tags[i] + L": " + notes[i];
    return out;
}

}  // namespace

TEST_CASE("reach grades how many files a detect string lets through") {
    const struct {
        const wchar_t* in;
        int reach, withForce;
    } cases[] = {
        {L"EXT=\"*\"", 4, 4}, {L"EXT=\"*.*\"", 1, 1}, {L"EXT!=\"TXT\"", 3, 3}, {L"!(EXT=\"TXT\")", 3, 3},
        {L"!(EXT!=\"TXT\")", 1, 1}, {L"SIZE>0", 2, 2}, {L"SIZE=0", 1, 1}, {L"!(SIZE>0)", 2, 2},
        {L"FORCE", 0, 4}, {L"FORCE & EXT=\"A\"", 0, 1}, {L"FORCE | EXT=\"A\"", 1, 4}, {L"!(MULTIMEDIA)", 0, 0},
    };
    for (const auto& c : cases) {
        CAPTURE(std::wstring(c.in));
        DsxClass k = DsxClassify(dsx::Parse(c.in));
        CHECK((k.reach == c.reach && k.reachWithForce == c.withForce));
    }
    DsxClass k = DsxClassify(dsx::Parse(L"MULTIMEDIA & [0]=1"));
    CHECK((k.hasMultimedia && k.readsContent));
}

TEST_CASE("syntax errors and notes read in the user's words") {
    InitLanguage();
    REQUIRE(LangCode() == L"eng");
    const struct {
        const wchar_t *in, *msg;
    } messages[] = {
        {L"EXT=\"TXT", L"Character 5: quote is not closed"},
        {L"EXT=\"A\" # 1", L"Character 9: # is not allowed here"},
        {L"EXT=\"A\" |", L"Character 10: expected a condition (EXT, SIZE, FIND, FORCE, MULTIMEDIA, ( ... )"},
        {L"[0]=x", L"Character 5: expected a number or \"...\""},
        {L"EXT=\"A\" EXT=\"B\"", L"Character 9: expected & |"},
        {L"EXT!=txt", L"Character 6: value without quotes – correct is EXT!=\"TXT\""},
        {L"FIND=\"x\"", L"Character 5: FIND takes no = – correct is FIND(\"text\")"},
    };
    for (const auto& c : messages) CHECK(DetectSyntaxMessage(dsx::Parse(c.in).error) == c.msg);

    const struct {
        int kind;
        const wchar_t *detect, *notes;
    } cases[] = {
        {KindLister, L"FORCE | EXT=\"A\"",
         L"forceall: with key 4 this plugin takes every file in Lister (FORCE without further restriction)"},
        {KindContent, L"FORCE | EXT=\"A\"", L""},
        {KindContent, L"EXT!=\"A\"",
         L"except: applies to every file except the excluded extensions – TC offers the fields for all others"},
        {KindLister, L"EXT=txt", L"unquoted: EXT=txt has no quotes – TC reports a detect string error; correct is EXT=\"TXT\""},
        {KindLister, L"ext != txt",
         L"unquoted: ext != txt has no quotes – TC reports a detect string error; correct is EXT!=\"TXT\""},
        {KindLister, L"=txt",
         L"syntax: does not follow the detect string syntax: Character 1: expected a condition (EXT, SIZE, FIND, "
         L"FORCE, MULTIMEDIA, ( ... )"},
        {KindLister, L"EXT=\"A\" | find \"x\"", L"find: FIND is written without brackets – Ghisler’s syntax is FIND(\"text\")"},
        {KindContent, L"FINDI=\"x\"", L"find: FINDI= is written with an equals sign – a function takes no =: FINDI(\"text\")"},
        {KindPacker, L"EXT=\"*\"", L""},
    };
    for (const auto& c : cases) CHECK(Notes(Entry(c.kind, c.detect)) == c.notes);

    std::vector<PlugEntry> all = {Entry(KindLister, L"EXT=\"A\"", 1, L"C:\\P\\x.wlx"),
                                  Entry(KindLister, L"\"EXT=\"*\"\"", 3, L"C:\\P\\X.WLX64")};
    CHECK(Notes(all[0], all) == L"");
    CHECK(Notes(all[1], all) ==
          L"always: wants every file – Lister asks this plugin for every file\ndup: the same file is also registered as #1");
}

TEST_CASE("an entry's reach falls back to the plugin's answer") {
    CHECK(DetectReachOfEntry(Entry(KindLister, L"  ")).reach == ReachAll);
    CHECK(DetectReachOfEntry(Entry(KindLister, L"EXT=")).valid == 0);
    PlugEntry probed;
    probed.probeStatus = ProbeOk;
    CHECK(IsGreedyLister(probed));
    probed.probeAnswer = L"EXT=\"A\"";
    CHECK_FALSE(IsGreedyLister(probed));
    probed.probeStatus = ProbeError;
    CHECK(DetectReachOfEntry(probed).valid == 0);
}

TEST_CASE("the INI's detect string is compared with the plugin's by extensions") {
    const struct {
        const wchar_t *ini, *plugin;
        int state;
    } cases[] = {
        {L"\"EXT=\"TXT\"\"", L"ext = \"TXT\"", CheckSame},
        {L"EXT=\"TXT\"", L"ext = \"txt\"", CheckSame},
        {L"EXT=\"TXT\" | EXT=\"LOG\"", L"(EXT=\"LOG\") | EXT=\"TXT\"", CheckSameExtensions},
        {L"EXT=\"TXT\"", L"EXT=\"TXT\" | EXT=\"LOG\"", CheckPluginMore},
        {L"EXT=\"TXT\" | EXT=\"LOG\"", L"EXT=\"TXT\"", CheckIniMore},
        {L"EXT=\"A\" | EXT=\"B\"", L"EXT=\"B\" | EXT=\"C\"", CheckBothDiffer},
        {L"MULTIMEDIA & !(EXT=\"TXT\")", L"EXT=\"LOG\"", CheckSameExtensions},
        // strings that only exclude already take the plugin's other extensions
        {L"EXT!=\"TXT\"", L"EXT=\"LOG\"", CheckSameExtensions},
        {L"!(EXT=\"TXT\") & SIZE>0", L"EXT=\"LOG\" | EXT=\"DOC\"", CheckSameExtensions},
        {L"SIZE>0", L"EXT=\"LOG\"", CheckPluginMore},
        {L" ", L"EXT=\"LOG\"", CheckIniNone},
    };
    for (const auto& c : cases) {
        CAPTURE(std::wstring(c.ini));
        PlugEntry e = Entry(KindLister, c.ini);
        e.probeStatus = ProbeOk;
        e.probeAnswer = c.plugin;
        e.pluginDetect = CompileDetect(c.plugin, true);
        CHECK(RowCheckState(e) == c.state);
        e.kind = KindPacker;
        CHECK(RowCheckState(e) == CheckNotApplicable);
    }
}
