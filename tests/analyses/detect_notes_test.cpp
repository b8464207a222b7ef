#include "../dsx/dsx_test_util.h"
#include "analyses/detect_compare.h"
#include "analyses/detect_notes.h"
#include "dsx/reach.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"

namespace {

// A plugin entry whose wincmd.ini line holds this detect string.
PlugEntry DetectEntry(int kind, const std::wstring& detect, int number = 1, const wchar_t* path = L"C:\\P\\x.wlx") {
    PlugEntry e;
    e.kind = kind;
    e.number = number;
    e.expandedPath = path;
    e.hasDetect = 1;
    e.detectText = detect;
    e.iniDetect = CompileDetect(detect, true);
    return e;
}

// "tag: text" per note, one per line; only the tags, blank-separated, for tagsOnly.
std::wstring Notes(const PlugEntry& e, const std::vector<PlugEntry>& all = {}, bool tagsOnly = false) {
    std::vector<std::wstring> tags;
    std::vector<std::wstring> notes = DetectNotes(e, &all, &tags);
    REQUIRE(notes.size() == tags.size());
    std::wstring out;
    for (size_t i = 0; i < notes.size(); ++i) out += (i ? tagsOnly ? L" " : L"\n" : L"") + tags[i] + (tagsOnly ? L"" : L": " + notes[i]);
    return out;
}

// "items | excluded | form prefix | plain | forced | conditional": items as MM, F or
// the extension, marker kinds as #3..#5; form s(imple), c(omplex), l(ist), n(egated list).
std::wstring Describe(const DetectSpec& s) {
    std::wstring out;
    for (const DetectItem& i : s.items)
        out += (i.kind == DetItemExt ? i.text : i.kind == DetItemMultimedia ? L"MM" : i.kind == DetItemForce ? L"F"
                                                                                 : L"#" + std::to_wstring(i.kind)) + L" ";
    out += L"|";
    for (const std::wstring& e : s.excluded) out += L" " + e;
    out += s.complex ? L" | c" : s.listForm ? L" | l " + s.prefix : s.negatedListForm ? L" | n " + s.prefix : L" | s";
    for (const auto* set : {&s.plain, &s.forced, &s.conditional}) {
        out += L" |";
        for (const std::wstring& e : *set) out += L" " + e;
    }
    return out;
}

}  // namespace

TEST_CASE("compiled detect strings name their extensions, form and sets") {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"  \r\n", L"#4 | | s | | |"},
        {L"SIZE>0", L"#5 | | s | | |"},
        {L"MULTIMEDIA & ext=\"a\" & SIZE>0", L"MM A | | s | | |"},
        {L"EXT!=\"TXT\"", L"#5 | TXT | s | | |"},
        // one And chain holding FORCE: its extensions open only with key 4
        {L"EXT=\"TXT\" & FORCE", L"TXT F | | s | | TXT |"},
        {L"EXT=\"TXT\" FORCE", L"TXT F | | s | | |"},
        {L"MULTIMEDIA & (EXT=\"MP3\" | EXT=\"MP3\" | EXT=\"OGG\") & FORCE", L"MM MP3 OGG F | | c | MP3 OGG | MP3 OGG |"},
        {L"FORCE & (EXT=\"A\" | EXT=\"B\")", L"A B F | | l FORCE & | | A B |"},
        {L"MULTIMEDIA\t& (EXT=\"A\" | EXT=\"B\")", L"MM A B | | l MULTIMEDIA\t& | | |"},
        {L"MULTIMEDIA & !(EXT=\"A\" | EXT=\"B\")", L"MM | A B | n MULTIMEDIA & | | |"},
        {L"!(EXT=\"A\") | !(EXT!=\"B\")", L"B | A | c | | |"},
        {L"(EXT=\"A\") | EXT=\"B\"", L"A B | | c | B | |"},
        {L"EXT=\"A\" & SIZE>9 | EXT=\"B\"", L"A B | | c | B | | A"},
        {L"EXT=\"A\" | (EXT=\"B\"", L"A B | | c | | |"},
    };
    for (const auto& c : cases) CHECK_MESSAGE(Describe(CompileDetect(c.in, true)) == c.out, std::wstring(c.in));
    CHECK(CompileDetect(L"EXT=\"A\"", false).items[0].kind == DetItemNoDetect);
}

TEST_CASE("notes grade how many files a detect string lets through, in the user's words") {
    InitLanguage(std::nullopt);
    REQUIRE(LangCode() == L"eng");
    const struct {
        const wchar_t *in, *tags;
    } reach[] = {
        {L"EXT=\"*\" | FORCE", L"always"}, {L"EXT=\"*.*\"", L""}, {L"EXT!=\"TXT\"", L"except"},
        {L"!(EXT=\"TXT\")", L"except"}, {L"!(EXT!=\"TXT\")", L""}, {L"SIZE>0", L"almost"}, {L"SIZE=0", L""},
        {L"!(SIZE>0)", L"almost"}, {L"FORCE", L"forceall"}, {L"FORCE & EXT=\"A\"", L""},
        {L"!(FORCE & EXT=\"A\")", L"almost"}, {L"EXT!=\"A\" | FORCE", L"except forceall"}, {L"!(MULTIMEDIA)", L""},
    };
    for (const auto& c : reach) CHECK_MESSAGE(Notes(DetectEntry(KindLister, c.in), {}, true) == c.tags, std::wstring(c.in));

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
    for (const auto& c : cases) CHECK(Notes(DetectEntry(c.kind, c.detect)) == c.notes);

    std::vector<PlugEntry> all = {DetectEntry(KindLister, L"EXT=\"A\"", 1, L"C:\\P\\x.wlx"),
                                  DetectEntry(KindLister, L"\"EXT=\"*\"\"", 3, L"C:\\P\\X.WLX64")};
    CHECK(Notes(all[0], all) == L"");
    CHECK(Notes(all[1], all) ==
          L"always: wants every file – Lister asks this plugin for every file\ndup: the same file is also registered as #1");
}

TEST_CASE("the INI's detect string is compared with the plugin's answer, which stands in when the INI has none") {
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
        // letters of other alphabets in another case name the same files
        {L"EXT=\"ÄRZ\"", L"EXT=\"ärz\"", CheckSame},
        {L"EXT=\"ÄRZ\" | EXT=\"Жук\"", L"EXT=\"жук\" | EXT=\"ärz\"", CheckSameExtensions},
        {L"EXT=\"Ö*\" | EXT=\"TXT\"", L"EXT=\"öl\" | EXT=\"TXT\"", CheckSameExtensions},
        {L"EXT=\"TXT\" & !(EXT=\"Öl\")", L"EXT=\"TXT\" | EXT=\"öL\"", CheckSameExtensions},
        {L"MULTIMEDIA & !(EXT=\"TXT\")", L"EXT=\"LOG\"", CheckSameExtensions},
        // strings that only exclude already take the plugin's other extensions
        {L"EXT!=\"TXT\"", L"EXT=\"LOG\"", CheckSameExtensions},
        {L"!(EXT=\"TXT\") & SIZE>0", L"EXT=\"LOG\" | EXT=\"DOC\"", CheckSameExtensions},
        {L"SIZE>0", L"EXT=\"LOG\"", CheckPluginMore},
        {L" ", L"EXT=\"LOG\"", CheckIniNone},
    };
    PlugEntry e;
    for (const auto& c : cases) {
        CAPTURE(std::wstring(c.ini));
        e = DetectEntry(KindLister, c.ini);
        e.probeStatus = ProbeOk;
        e.probeAnswer = c.plugin;
        e.pluginDetect = CompileDetect(c.plugin, true);
        CHECK(RowCheckState(e) == c.state);
    }
    e.kind = KindPacker;
    CHECK(RowCheckState(e) == CheckNotApplicable);
    e.kind = KindLister;
    e.probeStatus = ProbeError;
    CHECK(RowCheckState(e) == CheckNotApplicable);

    CHECK(DetectReachOfEntry(DetectEntry(KindLister, L"  ")).reach == ReachAll);
    CHECK(DetectReachOfEntry(DetectEntry(KindLister, L"EXT=")).valid == 0);
    e = PlugEntry{};  // no detect string in wincmd.ini: what the plugin answered counts, if it answered
    e.probeStatus = ProbeOk;
    CHECK(IsGreedyLister(e));  // an empty answer takes every file
    e.probeAnswer = L"MULTIMEDIA & EXT=\"A\"";
    CHECK((DetectReachOfEntry(e).hasMultimedia && !IsGreedyLister(e)));
    e.probeStatus = ProbeError;
    CHECK(DetectReachOfEntry(e).valid == 0);
}

TEST_CASE("the same file registered twice is found in any letter case of any alphabet") {
    std::vector<PlugEntry> all = {DetectEntry(KindLister, L"EXT=\"A\"", 1, L"C:\\Plugins\\ÜBER\\Жук.wlx"),
                                  DetectEntry(KindLister, L"EXT=\"B\"", 2, L"c:\\plugins\\über\\жук.WLX64"),
                                  DetectEntry(KindLister, L"EXT=\"C\"", 3, L"C:\\Plugins\\Uber\\Жук.wlx")};
    CHECK(EntriesSharingFile(all) == std::vector<uint8_t>{1, 1, 0});
    CHECK(Notes(all[1], all) == L"dup: the same file is also registered as #1");
    CHECK(Notes(all[2], all).empty());
}
