// What the save refuses to write into wincmd.ini whatever it came from: a plugin's
// detect string with a line break, a package's extension that is no extension, a
// file-system name TC reads as something else. A refused change writes nothing of
// its section, stays pending, and the message names it.
#include "analyses/findings.h"
#include "editing/finding_actions.h"
#include "editing/save_writers.h"
#include "editing_test_util.h"
#include "foundation/ini_value_check.h"
#include "foundation/texts.h"

namespace {

const wchar_t* const Ini = LR"([ListerPlugins]
1=C:\p\a.wlx
1_detect="EXT="PNG""
2=C:\p\b.wlx
2_detect="EXT="GIF""
[PackerPlugins]
zip=279,C:\p\zip.wcx
[FileSystemPlugins]
MyFs=C:\p\fs.wfx
)";

// What the plugin answered when asked for its detect string: one value to the
// plugin, three lines to the profile functions.
const wchar_t* const Hostile = L"EXT=\"TXT\"\r\n[Configuration]\r\nEditor=evil.exe";

std::wstring Refusal(const wchar_t* section, const std::wstring& label, const char* why) {
    return FillVar(FillVar(FillVar(Tr("err_unwritable"), L"s", section), L"k", label), L"w", Tr(why));
}

bool Names(const std::wstring& message, const std::wstring& text) { return message.find(text) != std::wstring::npos; }

KeptEntry NewEntry(uint32_t kind, const std::wstring& file) {
    KeptEntry k;
    k.kind = kind;
    k.key = L"install|c:\\p\\" + file;
    k.path = L"C:\\p\\" + file;
    k.name = L"new";
    k.isNew = 1;
    return k;
}

KeptEntry PackerInstall(const std::wstring& exts) {
    KeptEntry k = NewEntry(KindPacker, L"new.wcx");
    k.packerExts = exts;
    return k;
}

}  // namespace

TEST_CASE("a plugin's detect string with a line break inside is never offered for taking over") {
    SaveFixture f(L"gate_take", Ini);
    TabEntries = LoadPluginSection(KindLister).entries;
    ProbeResult answer;
    answer.status = ProbeOk;
    answer.answer = Hostile;
    ApplyProbeResult(TabEntries[0], answer);
    CHECK_FALSE(PluginDetectUsable(TabEntries[0]));
    CHECK(TabEntries[0].pluginDetect.items.empty());
    CHECK_FALSE(TakePluginDetect(TabEntries[0]));
    Finding take;
    take.tab = KindLister;
    take.fix = FixDetect;
    take.number = 1;
    Findings = {take};
    f.Host.jump = [](int index) { return FindingEntryIndex(Findings[(size_t)index], TabEntries); };
    FindingEntryAction(SaveFixture::Host, nullptr, 0, FcTakeDetect);
    CHECK(CountPendingChanges() == 0);
    // The same answer without the line breaks is the plugin's to give.
    answer.answer = L"EXT=\"TXT\"";
    ApplyProbeResult(TabEntries[0], answer);
    CHECK(TakePluginDetect(TabEntries[0]));
    CHECK(CountPendingChanges() == 1);
    Findings.clear();
}

TEST_CASE("a line the profile functions would misread refuses its change whole; it stays pending and is named") {
    SaveFixture f(L"gate_save", Ini);
    std::string bytes = ReadFileBytes(f.tc.ini);
    SUBCASE("a detect string with a line break, beside a good edit of the same section") {
        PendingEdit& bad = PendingEditFor(f.Entry(KindLister, 1));
        bad.explicitDetect = 1;
        bad.explicitDetectText = Hostile;
        PendingEditFor(f.Entry(KindLister, 2)).addedExts = {L"JPG"};
        f.Save();
        CHECK(ReadFileBytes(f.tc.ini) == bytes);
        CHECK(CountPendingChanges() == 2);
        REQUIRE(SaveFixture::Shown.size() == 1);
        CHECK(SaveFixture::Shown[0].starts_with(L"Changes saved: 0.\n\n"));
        CHECK(Names(SaveFixture::Shown[0], Refusal(L"ListerPlugins", L"#1 a", "why_control")));
        CHECK(Names(SaveFixture::Shown[0], FillVar(Tr("save_kept_pending"), L"n", L"2")));
    }
    SUBCASE("a file system renamed to a key TC reads otherwise") {
        for (const wchar_t* name : {L"RedirectSection", L" redirectsection", L";MyFs", L"a]b", L"a\tb"}) {
            CAPTURE(std::wstring(name));
            DiscardPending();
            SaveFixture::Shown.clear();
            GetPlugState(KindFileSystem, L"MyFs", L"C:\\p\\fs.wfx", L"MyFs").curKey = name;
            f.Save();
            CHECK(ReadFileBytes(f.tc.ini) == bytes);
            CHECK(CountPendingChanges() == 1);
            REQUIRE(SaveFixture::Shown.size() == 1);
            CHECK(Names(SaveFixture::Shown[0], L"[FileSystemPlugins] MyFs → "));
        }
    }
    SUBCASE("an installed Lister entry with the plugin's detect string") {
        KeptEntry lister = NewEntry(KindLister, L"new.wlx");
        lister.detect = Hostile;
        lister.hasDetect = 1;
        SaveRequest request;
        request.newEntries = {lister};
        request.force = request.confirmed = 1;
        request.doneText = L"Installed.";
        SaveChanges(SaveFixture::Host, nullptr, request);
        CHECK(ReadFileBytes(f.tc.ini) == bytes);
        REQUIRE(SaveFixture::Shown.size() == 1);
        CHECK_FALSE(Names(SaveFixture::Shown[0], L"Installed."));
        CHECK(Names(SaveFixture::Shown[0], Refusal(L"ListerPlugins", L"new", "why_control")));
    }
    SUBCASE("packer extensions of a package that are no extensions") {
        struct Case {
            const wchar_t* exts;
            const char* why;
        };
        for (Case c : {Case{L"doc:1:279", "why_flags"}, Case{L"zip=1:279", "why_keychar"}, Case{L"[x]:279", "why_keychar"},
                       Case{L"redirectsection:279", "why_redirect"}}) {
            CAPTURE(std::wstring(c.exts));
            SaveFixture::Shown.clear();
            SaveRequest request;
            request.newEntries = {PackerInstall(c.exts)};
            request.force = request.confirmed = 1;
            SaveChanges(SaveFixture::Host, nullptr, request);
            CHECK(ReadFileBytes(f.tc.ini) == bytes);
            REQUIRE(SaveFixture::Shown.size() == 1);
            CHECK(Names(SaveFixture::Shown[0], Refusal(L"PackerPlugins", L"new", c.why)));
        }
    }
}

TEST_CASE("every key and value of the save passes one check") {
    CHECK(LineProblem(KindLister, L"1_detect", L"\"EXT=\"TXT\"\"") == nullptr);
    CHECK(std::string(LineProblem(KindLister, L"1_detect", Hostile)) == "why_control");
    CHECK(std::string(LineProblem(KindLister, L"1", std::wstring(L"C:\\a\0b.wlx", 10))) == "why_control");
    CHECK(LineProblem(KindFileSystem, L"My FS", L"C:\\p\\fs.wfx") == nullptr);
    CHECK(std::string(LineProblem(KindFileSystem, L"  ", L"C:\\p\\fs.wfx")) == "why_nokey");
    CHECK(std::string(LineProblem(KindFileSystem, L"REDIRECTSECTION ", L"C:\\p\\fs.wfx")) == "why_redirect");
    CHECK(LineProblem(KindFileSystem, L"a;b", L"C:\\p\\fs.wfx") == nullptr);  // only a leading ';' makes a comment
    CHECK(LineProblem(KindPacker, L"7z", L"95, C:\\p\\7z.wcx") == nullptr);
    CHECK(std::string(LineProblem(KindPacker, L"doc:1", L"279,C:\\p\\7z.wcx")) == "why_extchar");
    CHECK(std::string(LineProblem(KindPacker, L"7z", L"C:\\p\\7z.wcx")) == "why_flags");
    CHECK(ShowControlChars(L"a\r\nb\x7F") == L"a\x240D\x240A" L"b\x2421");
}
