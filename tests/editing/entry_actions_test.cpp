// Editing an entry through the editor's form, and the actions of a finding.
#include "analyses/findings.h"
#include "dsx/entry_editor.h"
#include "editing/entry_edit.h"
#include "editing/finding_actions.h"
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
