// Editing an entry through the editor's form, the actions of a finding, and the
// menus and questions whose rows change while they are open.
#include <algorithm>

#include "analyses/findings.h"
#include "analyses/lister_check.h"
#include "dsx/entry_editor.h"
#include "editing/entry_edit.h"
#include "editing/finding_actions.h"
#include "editing/kept_rows.h"
#include "editing/lister_actions.h"
#include "editing_test_util.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_keys.h"

namespace {

const wchar_t* const Entries = LR"([ListerPlugins]
1=C:\p\a.wlx
1_detect="EXT="PNG""
2=C:\p\b.wlx
[PackerPlugins]
zip=279,C:\p\zip.wcx
jar=283,C:\p\zip.wcx
rar=279,C:\p\rar.wcx
[FileSystemPlugins]
MyFs=C:\p\fs.wfx
Other=C:\p\o.wfx
)";

// The user's answer in the editor: the two values, or Cancel.
std::wstring Answer1, Answer2;
EntryEditForm Seen;

bool Scripted(HWND, EntryEditForm& form) {
    Seen = form;
    form.value1 = Answer1;
    form.value2 = Answer2;
    return true;
}

// Until the next fixture.
struct EditorScript {
    EditorScript() { SaveFixture::Host.editor = Scripted; }
};

int RowOf(const std::wstring& name) {
    for (size_t i = 0; i < TabEntries.size(); ++i)
        if (TabEntries[i].name == name) return (int)i;
    return -1;
}

void Edit(int kind, const std::wstring& name, const std::wstring& v1, const std::wstring& v2,
          const std::wstring& ext = L"") {
    TabEntries = LoadPluginSection(kind).entries;
    Answer1 = v1;
    Answer2 = v2;
    EditEntry(SaveFixture::Host, nullptr, RowOf(name), ext);
}

std::wstring Value(const std::wstring& ext) {
    const PlugState* s = FindPlugState(KindPacker, ext);
    return s ? s->curValue : L"";
}

// The refill that a message handled while the menu or question is open makes.
void Reversed() { std::reverse(TabEntries.begin(), TabEntries.end()); }

bool Deleted(int kind, const std::wstring& key) {
    const PlugState* s = FindPlugState(kind, key);
    return s && s->deleted;
}

Finding TakeDetect(int number, const std::wstring& name) {
    Finding f;
    f.tab = KindLister;
    f.fix = FixDetect;
    f.number = number;
    f.name = name;
    f.ackKey = L"l|" + name + L"|detect";
    return f;
}

}  // namespace

TEST_CASE("packer lines: an empty number keeps each line's own; a number that does not fit is refused") {
    SaveFixture f(L"edit_packer", Entries);
    EditorScript script;
    Edit(KindPacker, L"zip", L"", L"C:\\p\\zip2.wcx");
    CHECK(Seen.value1.empty());  // the lines differ
    CHECK(Seen.label1 == Tr("edit_number_all"));
    CHECK(Value(L"zip") == L"279,C:\\p\\zip2.wcx");
    CHECK(Value(L"jar") == L"283,C:\\p\\zip2.wcx");
    DiscardPending();
    // A pending value without a comma holds no number: the line keeps the one it was read with.
    GetPlugState(KindPacker, L"jar", L"283,C:\\p\\zip.wcx", L"zip").curValue = L"C:\\p\\zip.wcx";
    Edit(KindPacker, L"zip", L"", L"C:\\p\\zip3.wcx");
    CHECK(Value(L"zip") == L"279,C:\\p\\zip3.wcx");
    CHECK(Value(L"jar") == L"283,C:\\p\\zip3.wcx");
    DiscardPending();
    for (const wchar_t* bad : {L"", L"65536", L"000279", L"27a", L"4294967575"}) {
        SaveFixture::Shown.clear();
        Edit(KindPacker, L"zip", bad, L"C:\\p\\zip.wcx", L"zip");
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{Tr("err_number")});
        CHECK(PlugStates.empty());
    }
    Edit(KindPacker, L"zip", L"00280", L"C:\\p\\zip.wcx", L"zip");
    CHECK(Value(L"zip") == L"280,C:\\p\\zip.wcx");
}

TEST_CASE("file systems: a name of another entry is refused, the own name in other case is not") {
    SaveFixture f(L"edit_fs", Entries);
    EditorScript script;
    Edit(KindFileSystem, L"MyFs", L"other", L"C:\\p\\fs.wfx");
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{Tr("err_fsdup")});
    CHECK(PlugStates.empty());
    Edit(KindFileSystem, L"MyFs", L"a=b", L"C:\\p\\fs.wfx");
    CHECK(SaveFixture::Shown.back() == Tr("err_fsname"));
    Edit(KindFileSystem, L"MyFs", L"MYFS", L"C:\\p\\fs.wfx");
    REQUIRE(FindPlugState(KindFileSystem, L"MyFs"));
    CHECK(FindPlugState(KindFileSystem, L"MyFs")->curKey == L"MYFS");
}

TEST_CASE("file systems: a name TC would read as a comment, a section or its redirection is refused where typed") {
    SaveFixture f(L"edit_fs_key", Entries);
    EditorScript script;
    for (const wchar_t* name : {L"RedirectSection", L"redirectsection ", L";MyFs", L"[x]", L"a\tb"}) {
        CAPTURE(std::wstring(name));
        SaveFixture::Shown.clear();
        Edit(KindFileSystem, L"MyFs", name, L"C:\\p\\fs.wfx");
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{Tr("err_fsname")});
        CHECK(PlugStates.empty());
    }
}

TEST_CASE("lister entries: OK without change records nothing; blanks only remove an existing detect string") {
    SaveFixture f(L"edit_lister", Entries);
    EditorScript script;
    Edit(KindLister, L"a", L"C:\\p\\a.wlx", L"EXT=\"PNG\"");
    CHECK(Seen.detectEditor);
    CHECK(Seen.knownExts == std::vector<std::wstring>{L"PNG"});
    CHECK(CountPendingChanges() == 0);
    Edit(KindLister, L"a", L"C:\\p\\a.wlx", L"");
    CHECK(CountPendingChanges() == 1);
    DiscardPending();
    Edit(KindLister, L"b", L"C:\\p\\b.wlx", L"");  // had none: nothing changes
    CHECK(CountPendingChanges() == 0);
}

TEST_CASE("a new path that names no file is asked about as it will be read, one with a 64-bit twin is not") {
    SaveFixture f(L"edit_nofile", Entries);
    ScopedEnv commander(L"COMMANDER_PATH", f.tc.dir.c_str());
    EditorScript script;
    SaveFixture::Answer = IDNO;
    Edit(KindLister, L"b", L"%COMMANDER_PATH%\\q\\b.wlx", L"");
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0] == L"The file does not exist:\n" + f.tc.dir + L"\\q\\b.wlx\n\nUse this path anyway?");
    CHECK(CountPendingChanges() == 0);
    WriteFileBytes(f.tc / L"b.wlx64", "MZ");
    Edit(KindLister, L"b", L"%COMMANDER_PATH%\\b.wlx", L"");
    CHECK(SaveFixture::Shown.size() == 1);
    CHECK(CountPendingChanges() == 1);
}

TEST_CASE("finding actions: a stray line is marked after one question and unmarked without one") {
    SaveFixture f(L"findings_act", Entries);
    Finding stray;
    stray.tab = KindLister;
    stray.iniLine = 1;
    stray.display = L"7";
    stray.iniValue = L"C:\\gone.wlx";
    Finding orphan = stray;
    orphan.otherIni = 1;
    orphan.iniFile = L"C:\\tc\\plugins\\lsplugin.ini";
    orphan.display = L"OldPlugin";
    Findings = {stray, orphan};
    FindingEntryAction(SaveFixture::Host, nullptr, 0, FcDelete);
    CHECK(SaveFixture::Shown.size() == 1);
    CHECK(FindingPending(Findings[0]));
    FindingEntryAction(SaveFixture::Host, nullptr, 0, FcDelete);
    CHECK(SaveFixture::Shown.size() == 1);
    CHECK_FALSE(FindingPending(Findings[0]));
    FindingEntryAction(SaveFixture::Host, nullptr, 1, FcDelete);
    REQUIRE(SaveFixture::Shown.size() == 2);
    CHECK(SaveFixture::Shown[1].find(L" in lsplugin.ini for deletion") != std::wstring::npos);
    const PlugState& s = PlugStates.at(MakePlugKey(KindLister, true, L"[C:\\tc\\plugins\\lsplugin.ini]OldPlugin"));
    CHECK(s.wholeSection);
    CHECK(s.deleted);

    // The plugin's own detect string, equal to the INI's but for case and blanks, changes nothing.
    DiscardPending();
    Finding detect;
    detect.tab = KindLister;
    detect.fix = FixDetect;
    detect.number = 1;
    Findings = {detect};
    TabEntries = LoadPluginSection(0).entries;
    TabEntries[0].probeStatus = ProbeOk;
    TabEntries[0].probeAnswer = L"ext = \"png\"";
    f.Host.jump = [](int index) { return FindingEntryIndex(Findings[(size_t)index], TabEntries); };
    FindingEntryAction(SaveFixture::Host, nullptr, 0, FcTakeDetect);
    CHECK(PendingEdits.empty());
    TabEntries[0].probeAnswer = L"EXT=\"PNG\" | EXT=\"APNG\"";
    FindingEntryAction(SaveFixture::Host, nullptr, 0, FcTakeDetect);
    CHECK(CountPendingChanges() == 1);
    Findings.clear();
}

// A menu, a question or the entry editor that is open while the rows change under
// it (a probe job's end re-sorts the findings, a refill replaces the entries): what
// the user chose is done to the row it was chosen on, or to nothing when that row is
// gone. The window's messages during the menu or the question are the host's step.
TEST_CASE("a findings menu acts on the finding it was opened on, after a rebuild re-sorted them or dropped it") {
    SaveFixture f(L"held_findings", Entries);
    TabEntries = LoadPluginSection(KindLister).entries;
    for (PlugEntry& e : TabEntries) {
        e.probeStatus = ProbeOk;
        e.probeAnswer = L"EXT=\"GIF\"";
    }
    f.Host.jump = [](int index) { return FindingEntryIndex(Findings[(size_t)index], TabEntries); };
    Findings = {TakeDetect(1, L"a"), TakeDetect(2, L"b")};
    SUBCASE("re-sorted: the plugin's detect string goes to the entry of the finding chosen") {
        f.Host.menu = [](HMENU) {
            std::swap(Findings[0], Findings[1]);
            return (UINT)FcTakeDetect;
        };
        FindingsMenu(f.Host, nullptr, {}, 0);
        CHECK(FindEntryEdit(KindLister, 1));
        CHECK_FALSE(FindEntryEdit(KindLister, 2));
    }
    SUBCASE("gone, or no longer offering that fix: nothing") {
        f.Host.menu = [](HMENU) {
            Findings[0].fix = FixEdit;
            return (UINT)FcTakeDetect;
        };
        FindingsMenu(f.Host, nullptr, {}, 0);
        CHECK(PendingEdits.empty());
    }
    SUBCASE("a stray line's question: the line is marked only while the finding stands") {
        Finding stray;
        stray.iniLine = 1;
        stray.display = L"7";
        Findings = {stray};
        f.Host.whileAsking = [] { Findings.clear(); };
        FindingEntryAction(f.Host, nullptr, 0, FcDelete);
        CHECK(f.Host.shown.size() == 1);
        CHECK(PlugStates.empty());
    }
    Findings.clear();
}

TEST_CASE("a Delete's question and the entry editor act on their entry after a refill moved or dropped it") {
    SaveFixture f(L"held_entries", Entries);
    SUBCASE("the question: the entry that was asked about is marked") {
        TabEntries = LoadPluginSection(KindFileSystem).entries;
        f.Host.whileAsking = Reversed;
        AskMarkDelete(f.Host, nullptr, RowOf(L"MyFs"), L"");
        CHECK(Deleted(KindFileSystem, L"MyFs"));
        CHECK_FALSE(Deleted(KindFileSystem, L"Other"));
        // Another tab's rows came meanwhile: nothing.
        DiscardPending();
        f.Host.whileAsking = [] { TabEntries = LoadPluginSection(KindLister).entries; };
        TabEntries = LoadPluginSection(KindFileSystem).entries;
        AskMarkDelete(f.Host, nullptr, RowOf(L"MyFs"), L"");
        CHECK(CountPendingChanges() == 0);
    }
    SUBCASE("the editor: a name of the other entry is still refused, a gone entry gets nothing") {
        TabEntries = LoadPluginSection(KindFileSystem).entries;
        f.Host.editor = [](HWND, EntryEditForm& form) {
            Reversed();
            form.value1 = L"other";
            return true;
        };
        EditEntry(f.Host, nullptr, RowOf(L"MyFs"), L"");
        CHECK(f.Host.shown == std::vector<std::wstring>{Tr("err_fsdup")});
        TabEntries = LoadPluginSection(KindLister).entries;
        f.Host.editor = [](HWND, EntryEditForm& form) {
            TabEntries.clear();
            form.value2 = form.packer ? L"C:\\p\\rar2.wcx" : L"EXT=\"JPG\"";  // a path, a detect string
            return true;
        };
        EditEntry(f.Host, nullptr, RowOf(L"a"), L"");
        TabEntries = LoadPluginSection(KindPacker).entries;
        EditEntry(f.Host, nullptr, RowOf(L"rar"), L"");
        CHECK(CountPendingChanges() == 0);
    }
    SUBCASE("the extension row's menu: delete and who claims name the entries it was opened on") {
        TabEntries = LoadPluginSection(KindPacker).entries;
        std::wstring row = L"zip";  // the extension list's row, rebuilt by a probe answer meanwhile
        f.Host.menu = [&](HMENU) {
            Reversed();
            row = L"rar";
            return 3013u;  // delete the line
        };
        ExtRowMenu(f.Host, nullptr, {}, RowOf(L"zip"), 0, row, {});
        CHECK(Deleted(KindPacker, L"zip"));
        CHECK_FALSE(Deleted(KindPacker, L"rar"));

        struct Popups : FakeHost<> {
            std::wstring text;
            void ShowTextPopup(const std::wstring&, const std::wstring& t) override { text = t; }
        } host;
        TabEntries = LoadPluginSection(KindLister).entries;
        host.menu = [](HMENU) {
            Reversed();
            return 3008u;  // who claims the extension
        };
        ExtRowMenu(host, nullptr, {}, RowOf(L"a"), 0, L"PNG", {(size_t)RowOf(L"a")});
        CHECK(host.text.find(L"\r\n1    a ") != std::wstring::npos);
    }
}

TEST_CASE("the Lister check's and a kept row's menus act on their row after the rows changed") {
    SaveFixture f(L"held_lister", Entries);
    auto row = [](int number, const std::wstring& name) {
        LvRow r;
        r.state = LvF3;
        r.number = number;
        r.name = name;
        r.path = L"C:\\p\\" + name + L".wlx";
        return r;
    };
    LvRows = {row(1, L"first_viewer"), row(2, L"second_viewer")};
    LvFileExt = L"PNG";
    f.Host.answer = IDNO;
    f.Host.menu = [](HMENU) {
        std::swap(LvRows[0], LvRows[1]);
        return 1u;  // always use the plugin for the type
    };
    LvCheckMenu(f.Host, nullptr, {}, 1);
    REQUIRE(f.Host.shown.size() == 1);
    CHECK(f.Host.shown[0].find(L"second_viewer") != std::wstring::npos);
    CHECK(f.Host.shown[0].find(L"first_viewer") == std::wstring::npos);
    // Another file's check meanwhile: nothing.
    f.Host.menu = [](HMENU) {
        LvFileExt = L"TXT";
        return 1u;
    };
    LvCheckMenu(f.Host, nullptr, {}, 0);
    CHECK(f.Host.shown.size() == 1);
    LvRows.clear();
    LvFileExt.clear();

    KeptEntry kept;
    kept.key = L"L|C:\\p\\gone.wlx";
    kept.path = L"C:\\p\\gone.wlx";
    kept.name = L"gone";
    KeptEntries = {kept};
    f.Host.shown.clear();
    f.Host.menu = [](HMENU) {
        KeptEntries.clear();  // another tab's rows
        return 1u;            // activate again
    };
    CHECK(DisabledRowMenu(f.Host, nullptr, {}, KeptIdBase));
    CHECK(PendingReactivations.empty());
    CHECK(f.Host.shown.empty());
}
