// The texts of plugin rows, the extension checklist and the detail pane, built
// from entries in memory as a plugin tab holds them.
#include <doctest/doctest.h>

#include "../hostcfg/hostcfg_test_util.h"
#include "editing/pending_ops.h"
#include "foundation/labels.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "views/detail_pane.h"
#include "views/ext_checklist.h"
#include "views/page_window.h"
#include "views/row_status.h"
#include "views/status_text.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
#include "views/cell_texts.h"
#include "view_fixture.h"

namespace {

PlugEntry Entry(int kind, int number, const std::wstring& name, const wchar_t* detect, int status = ProbePending,
                const std::wstring& answer = L"") {
    PlugEntry e;
    e.kind = (uint32_t)kind;
    e.number = number;
    e.name = name;
    e.path = e.expandedPath = L"C:\\p\\" + name + (kind == KindLister ? L".wlx" : L".wdx");
    e.fileExists = status != ProbeMissing;
    e.hasDetect = detect != nullptr;
    e.detectText = detect ? detect : L"";
    e.iniDetect = CompileDetect(e.detectText, e.hasDetect);
    ProbeResult probe;
    probe.status = status;
    probe.answer = answer;
    ApplyProbeResult(e, probe);
    return e;
}

PlugEntry Packer(const std::vector<int>& flags, int status, const std::wstring& answer) {
    PlugEntry e;
    e.kind = KindPacker;
    e.name = L"zipx";
    e.path = L"C:\\p\\zipx.wcx";
    const wchar_t* exts[] = {L"ZIP", L"JAR", L"APK"};
    for (size_t i = 0; i < flags.size(); ++i) {
        e.packerFlags.push_back(flags[i]);
        e.iniDetect.items.push_back({exts[i], DetItemExt});
        e.detectText += (i ? L" | " : L"") + std::wstring(exts[i]) + L"=" + std::to_wstring(flags[i]);
    }
    e.probeStatus = status;
    e.probeAnswer = answer;
    return e;
}

// One line per row: label | state | hint | check | mode.
std::wstring RowsText(size_t index) {
    std::wstring out;
    for (const auto& r : BuildExtListRows(index))
        out += r.label + L" | " + r.state + L" | " + r.hint + L" | " + std::to_wstring(r.check) + L" | " +
               std::to_wstring(r.mode) + L"\n";
    return out;
}

struct English {
    English() {
        SettingsValues[L"General/Language"] = L"eng";
        InitLanguage(std::nullopt);
        PendingEdits.clear();
        PlugStates.clear();
    }
};

}  // namespace

TEST_CASE("row glyphs follow the probe, then the kind's comparison") {
    English english;
    CHECK(std::wstring(RowStateGlyph(Entry(KindLister, 1, L"a", L"EXT=\"TXT\"")).glyph) == L"\u2026");
    PlugEntry failed = Entry(KindLister, 1, L"a", L"EXT=\"TXT\"", ProbeError);
    failed.probeError = L"LoadLibrary failed: 1114";
    CHECK(std::wstring(RowStateGlyph(failed).glyph) == L"\u00b7");
    failed.probeError = L"crashed";
    CHECK(std::wstring(RowStateGlyph(failed).glyph) == L"!");
    // A plugin never asked is neither broken nor TC-only, whatever number its start failure names.
    failed.probeNotStarted = 1;
    failed.probeError = L"the program could not start its child process: CreateProcessW failed (Windows error 1114)";
    CHECK(std::wstring(RowStateGlyph(failed).glyph) == L"\u00ac");
    CHECK(std::wstring(RowStateGlyph(Entry(KindLister, 1, L"a", L"EXT=\"TXT\"", ProbeOk, L"EXT=\"TXT\" | EXT=\"LOG\"")).glyph) == L"++");
    CHECK(std::wstring(RowStateGlyph(Entry(KindLister, 1, L"a", nullptr, ProbeOk, L"EXT=\"TXT\"")).glyph) == L"\u00d8");

    PlugEntry fs = Entry(KindFileSystem, 1, L"net", nullptr, ProbeOk);
    fs.kindMask = -1;
    CHECK(std::wstring(RowStateGlyph(fs).glyph) == L"\u2022");
    fs.kindMask = 1;
    CHECK(&RowStateGlyph(fs) == &NotFsGlyph());

    CHECK(std::wstring(RowStateGlyph(Packer({95, 95}, ProbeOk, L"95")).glyph) == L"=");
    CHECK(std::wstring(RowStateGlyph(Packer({95, 31}, ProbeOk, L"95")).glyph) == L"\u2260");
    CHECK(std::wstring(RowStateGlyph(Packer({95, 31}, Probe32Bit, L"")).glyph) == L"32");
}

TEST_CASE("the strip shows the unexpected-folder mark exactly when a row is coloured for it") {
    English english;
    PlugEntry content = Entry(KindContent, 1, L"x", nullptr);
    content.path = content.expandedPath = L"C:\\tc\\wlx\\x\\x.wdx";
    content.fileExists = 1;
    TestView t;
    // While the probe runs (or the file cannot be read) the kind comes from the extension.
    for (int mask : {-1, 2, 1}) {
        CAPTURE(mask);
        content.kindMask = mask;
        TabEntries = {content};
        ForgetTabCounts();
        bool coloured = InWrongFolder(TabEntries[0]);
        CHECK(coloured == (mask != 1));
        CHECK(((TabMarks(t.view) & 4) != 0) == coloured);
    }
    TabEntries.clear();
    ForgetTabCounts();
}

TEST_CASE("the status counts an entry's notes by its own kind and detect string, and a second registration") {
    English english;
    // The same broken detect string is a note for a Lister entry, none for a packer.
    TabEntries = {Entry(KindPacker, 1, L"p", L"EXT="), Entry(KindLister, 2, L"a", L"EXT="),
                  Entry(KindLister, 3, L"d", nullptr), Entry(KindLister, 4, L"d", nullptr)};
    ForgetTabCounts();
    CHECK(PluginTabStatusText(KindLister, 0, 0).find(FillVar(Tr("st_notes"), L"n", L"2")) != std::wstring::npos);
    TabEntries.clear();
    ForgetTabCounts();
}

TEST_CASE("the checklist of Lister and Content entries: claims, plugin extras, locks and pending edits") {
    English english;
    TabEntries = {Entry(KindLister, 1, L"one", L"EXT=\"LOG\" | EXT=\"PDF\" & SIZE>10", ProbeOk, L"EXT=\"TXT\""),
                  Entry(KindLister, 2, L"two", L"EXT=\"JPG\" | FORCE & EXT=\"LOG\" | !(EXT=\"BAK\")"),
                  Entry(KindLister, 3, L"bare", nullptr, ProbeOk, L"EXT=\"MD\" | MULTIMEDIA")};
    BuildExtClaims();
    CHECK(ExtClaims[L"LOG"] == std::vector<size_t>{0, 1});

    // LOG is claimed by a key-4-only entry too, the plugin no longer reports it, and the
    // conditioned PDF is locked; the plugin's TXT is offered for adding.
    CHECK(RowsText(0) ==
          L"LOG | active, not reported by plugin | assigned by hand or outdated · also: two (#2, only with key 4) | 1 | 0\n"
          L"PDF | active, not reported by plugin | part of a condition – can only be changed in the detect string (F4) | 1 | 2\n"
          L"TXT | new in plugin | the plugin can do it, but it is not assigned to it | 0 | 1\n");
    std::wstring two = RowsText(1);
    CHECK(two.find(L"LOG | active, only with key 4 | part of a condition") != std::wstring::npos);
    CHECK(two.find(L"BAK | excluded | negated in the detect string (!) – the plugin is deliberately not used for it | -1 | -1\n") != std::wstring::npos);
    // Without a detect string in wincmd.ini the plugin's extensions cannot be ticked here.
    CHECK(RowsText(2) ==
          L"(no detect string) | keyword | no assignment yet: TC asks the plugin the next time it starts and enters it itself | -1 | -1\n"
          L"MULTIMEDIA | new in plugin | " + Tr("kw_multimedia") + L" | -1 | -1\n"
          L"MD | new in plugin | INI has no detect string – right-click the plugin on the left › Take detect string from plugin | 0 | 2\n");

    PendingEdit& edit = PendingEditFor(TabEntries[0]);
    edit.removedExts.insert(L"LOG");
    edit.addedExts.push_back(L"TXT");
    CHECK(RowsText(0).find(L"LOG | will be removed |") == 0);
    CHECK(RowsText(0).find(L"TXT | will be added | the plugin can do it, but it is not assigned to it | 1 | 1") != std::wstring::npos);
    edit.explicitDetect = 1;
    edit.explicitDetectText = L"EXT=\"LOG\"";
    for (const auto& row : BuildExtListRows(0))
        if (row.check >= 0) CHECK(row.mode == ExtModeLocked);
}

TEST_CASE("the checklist offers no extension twice that differs only in the case of a letter beyond ASCII") {
    English english;
    TabEntries = {Entry(KindLister, 1, L"arz", L"EXT=\"ÄRZ\" | EXT=\"TXT\" | EXT=\"öl\"", ProbeOk,
                        L"EXT=\"ärz\" | EXT=\"ÖL\" | EXT=\"жук\"")};
    BuildExtClaims();
    CHECK(RowsText(0) ==
          L"ÄRZ | active |  | 1 | 0\n"
          L"TXT | active, not reported by plugin | assigned by hand or outdated | 1 | 0\n"
          L"ÖL | active |  | 1 | 0\n"
          L"ЖУК | new in plugin | the plugin can do it, but it is not assigned to it | 0 | 1\n");
    // Ticking what the plugin offers adds it once; the string keeps the other spelling.
    PendingEdit& edit = PendingEditFor(TabEntries[0]);
    edit.addedExts.push_back(L"ЖУК");
    edit.removedExts.insert(L"ÖL");
    CHECK(ComposeDetectString(edit) == L"EXT=\"ÄRZ\" | EXT=\"TXT\" | EXT=\"ЖУК\"");
    PendingEdits.clear();
}

TEST_CASE("the last extension of a bracket, of the exclusions or of all cannot be unticked") {
    English english;
    PendingEdit pair{};
    pair.origDetect = L"EXT=\"A\" | EXT=\"B\"";
    pair.hasDetect = 1;
    pair.removedExts = {L"A"};
    CHECK_FALSE(DetectLostLast(pair));
    CHECK(ComposeDetectString(pair) == L"EXT=\"B\"");
    pair.removedExts.insert(L"B");
    CHECK(DetectLostLast(pair));
    pair.explicitDetect = 1;
    CHECK_FALSE(DetectLostLast(pair));

    PendingEdit bracket{};
    bracket.origDetect = L"SIZE>10 & (EXT=\"A\") | EXT=\"B\"";
    bracket.hasDetect = 1;
    bracket.removedExts = {L"A"};
    CHECK(DetectLostLast(bracket));

    PendingEdit excluded{};
    excluded.origDetect = L"MULTIMEDIA & !(EXT=\"TXT\")";
    excluded.hasDetect = 1;
    excluded.removedExts = {L"TXT"};
    CHECK(DetectLostLast(excluded));
}

TEST_CASE("packer and file-system information rows") {
    English english;
    TabEntries = {Packer({95, 95}, ProbeOk, L"95"), Packer({95, 31}, ProbeOk, L"127")};
    CHECK(RowsText(0) == L"ZIP | INI: 95 | " + PackerCapsText(95) + L" | -1 | -1\nJAR | INI: 95 | " +
                             PackerCapsText(95) + L" | -1 | -1\n");
    CHECK(RowsText(1).find(L"ZIP | INI: 95  \u2260 127 | plugin also reports: pack in memory | -1 | -1\n") == 0);
    GetPlugState(KindPacker, L"JAR", L"31,C:\\p\\zipx.wcx", L"zipx").curValue = L" 95 , C:\\q\\zipx.wcx";
    CHECK(RowsText(1).find(L"JAR | INI: 31 \u2192 95, new path *") != std::wstring::npos);

    std::wstring detail = DetailText(1);
    CHECK(detail.find(L"\r\n\t31 (JAR)  ") != std::wstring::npos);
    CHECK(detail.find(L"Difference:\tJAR: 31 \u2192 127  + pack in memory, + detect by content\r\n\tZIP: 95 \u2192 127  + pack in memory") != std::wstring::npos);

    PlugEntry fs = Entry(KindFileSystem, 1, L"Net drive", nullptr, ProbeNoExport);
    fs.kindMask = 1;
    TabEntries = {fs};
    CHECK(DetailText(0) == L"Name:\tNet drive\r\nType:\tLister");
    CHECK(RowsText(0) == L"Net drive | registered | appears in Network Neighborhood as “Net drive” | -1 | -1\n");
}

TEST_CASE("the detail pane of entries, pending edits and kept entries") {
    English english;
    TabEntries = {Entry(KindLister, 4, L"gone", L"EXT=\"TXT\"", ProbeMissing),
                  Entry(KindContent, 2, L"fields", L"EXT=\"JPG\"", ProbeOk, L"EXT=\"JPG\"")};
    // A missing plugin has nothing to report: only the INI row (and notes) remain.
    CHECK(DetailText(0).find(L"INI:\tEXT=\"TXT\"") == 0);
    CHECK(DetailText(0).find(L"Plugin:") == std::wstring::npos);
    CHECK(DetailText(1) == L"INI:\tEXT=\"JPG\"\r\nPlugin:\tEXT=\"JPG\"\r\nUsed in:\t" + Tr("use_nowhere"));

    PendingEditFor(TabEntries[1]).addedExts.push_back(L"PNG");
    CHECK(DetailText(1).find(L"new:\tEXT=\"JPG\" | EXT=\"PNG\"   *") != std::wstring::npos);
    CHECK(RowHasPending(TabEntries[1]));
    CHECK(CountPendingChanges() == 1);
    PendingEditFor(TabEntries[1]).addedExts.clear();
    DropPendingIfUnchanged(KindContent, 2);
    CHECK(PendingEdits.empty());

    KeptEntry kept;
    kept.kind = KindLister;
    kept.stamp = L"2026-01-02 03:04";
    kept.key = L"L|c:\\p\\old.wlx";
    KeptEntries = {kept};
    PendingReactivations = {kept.key};
    CHECK(DetailText(KeptIdBase) == FillVar(Tr("det_disabled_x"), L"d", kept.stamp) + L"\r\nINI:\t(none)\r\n" +
                                        Tr("pend_enable"));
    CHECK(DetailText(KeptIdBase + 1).empty());
    PendingReactivations.clear();
}
