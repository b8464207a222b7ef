// What the save refuses to write into wincmd.ini whatever it came from: a plugin's
// detect string with a line break, a package's extension that is no extension, a
// file-system name TC reads as something else, a character the file's code page
// would turn into another. A refused change writes nothing of its section, stays
// pending (a command's is withdrawn), and the message names it.
#include "analyses/findings.h"
#include "editing/finding_actions.h"
#include "editing/save_writers.h"
#include "editing_test_util.h"
#include "foundation/ini_value_check.h"
#include "foundation/texts.h"
#include "support/ini_compare.h"

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

namespace {

// TC's usual wincmd.ini: an ANSI file, its configuration after the plugins.
const wchar_t* const AnsiIni = L"[ListerPlugins]\r\n1=C:\\p\\a.wlx\r\n2=C:\\p\\b.wlx\r\n3=C:\\p\\c.wlx\r\n"
                               L"[FileSystemPlugins]\r\nMyFs=C:\\p\\fs.wfx\r\nOther=C:\\p\\o.wfx\r\n"
                               L"[Configuration]\r\nLanguage=ENG\r\n";
// Fullwidth brackets: the code page's best fit makes them a section header.
const std::wstring Bracketed = L"\xFF3B" L"Configuration\xFF3D";

std::wstring Lacks(const std::wstring& ch) { return FillVar(Tr("why_ansi"), L"c", CharWithCode(ch)); }

// Reads the file as if through another code page: one value comes back with a
// character the file's own lacks.
struct OtherCodePageIo : FaultyIo {
    std::optional<IniPairs> ReadSection(const std::wstring& file, const std::wstring& section) override {
        std::optional<IniPairs> lines = FaultyIo::ReadSection(file, section);
        if (lines)
            for (auto& [key, value] : *lines)
                if (key == L"3") value = L"C:\\p\\c\x65E5.wlx";
        return lines;
    }
};

}  // namespace

TEST_CASE("a character the file's code page lacks refuses its change before anything is written, from every source") {
    RequireWesternCodePage();
    SaveFixture f(L"gate_ansi", AnsiIni);
    const std::string bytes = ReadFileBytes(f.tc.ini);
    // The file byte for byte as before, and the message naming the change and the
    // character, under its head; that the change stays pending only when it does.
    const std::wstring saved = L"Changes saved: 0.";
    auto named = [&](const wchar_t* section, const std::wstring& label, const std::wstring& lacked,
                     const std::wstring& head, bool kept) {
        CHECK(ReadFileBytes(f.tc.ini) == bytes);
        CHECK(CountPendingChanges() == (kept ? 1u : 0u));
        REQUIRE(SaveFixture::Shown.size() == 1);
        const std::wstring& message = SaveFixture::Shown[0];
        CAPTURE(message);
        CHECK(message.starts_with(head + L"\n\n"));
        std::wstring line = FillVars(Tr("err_unwritable"), {{L"s", section}, {L"k", label}, {L"w", Lacks(lacked)}});
        CHECK(Names(message, line + (kept ? L" " + Tr("err_stays_pending") : L"") + L"\r\n"));
        CHECK(Names(message, Tr("err_stays_pending")) == kept);
    };
    auto refused = [&](const wchar_t* section, const std::wstring& label, const std::wstring& lacked) {
        named(section, label, lacked, saved, true);
    };
    SUBCASE("a file system renamed as typed: fullwidth brackets, '=' or ';', or a path with an ideograph") {
        struct Case {
            std::wstring key, value, lacked;
        };
        for (const Case& c : {Case{Bracketed, L"C:\\p\\fs.wfx", L"\xFF3B"}, Case{L"a\xFF1D" L"b", L"C:\\p\\fs.wfx", L"\xFF1D"},
                              Case{L"\xFF1B" L"MyFs", L"C:\\p\\fs.wfx", L"\xFF1B"}, Case{L"MyFs", L"C:\\p\\\x65E5.wfx", L"\x65E5"}}) {
            CAPTURE(c.key);
            DiscardPending();
            SaveFixture::Shown.clear();
            PlugState& s = GetPlugState(KindFileSystem, L"MyFs", L"C:\\p\\fs.wfx", L"MyFs");
            s.curKey = c.key;
            s.curValue = c.value;
            f.Save();
            refused(L"FileSystemPlugins", c.key == L"MyFs" ? L"MyFs" : L"MyFs → " + c.key, c.lacked);
        }
    }
    SUBCASE("a plugin's root name at install: withdrawn before its hook runs, and not said to stay pending") {
        KeptEntry fs = NewEntry(KindFileSystem, L"new.wfx");
        fs.fsName = Bracketed;
        SaveRequest request;
        request.newEntries = {fs};
        request.force = request.confirmed = 1;
        request.doneText = L"Installed.";
        bool hookRan = false;
        request.beforeWrite = [&](std::wstring&) { return hookRan = true; };
        SaveChanges(SaveFixture::Host, nullptr, request);
        named(L"FileSystemPlugins", L"new", L"\xFF3B", Tr("save_refused_all"), false);
        CHECK_FALSE(hookRan);
    }
    SUBCASE("a plugin's detect string taken over") {
        PendingEdit& taken = PendingEditFor(f.Entry(KindLister, 1));
        taken.explicitDetect = 1;
        taken.explicitDetectText = L"EXT=\"\x65E5\"";
        f.Save();
        refused(L"ListerPlugins", L"#1 a", L"\x65E5");
    }
    SUBCASE("a kept Lister entry being activated") {
        KeptEntry kept{0, L"", L"C:\\p\\\x65E5.wlx", L"jp", L"EXT=\"JP\"", L"", L"", L"", 2, 1, 0};
        PendingReactivations = {*WriteDisabledEntry(kept)};
        f.Save();
        refused(L"ListerPlugins", L"jp", L"\x65E5");
        CHECK(ReadDisabled(KindLister).size() == 1);
    }
    SUBCASE("a value read back to be written under another number") {
        PendingEdit& off = PendingEditFor(f.Entry(KindLister, 1));
        off.deleted = off.deactivate = 1;
        OtherCodePageIo io;
        SUBCASE("by the user's save") {
            f.Save(io);
            refused(L"ListerPlugins", L"#3 c\x65E5", L"\x65E5");
        }
        SUBCASE("by a command that writes at once: withdrawn") {
            SaveRequest request;
            request.confirmed = request.withdrawUnwritten = 1;
            SaveChanges(SaveFixture::Host, nullptr, request, io);
            named(L"ListerPlugins", L"#3 c\x65E5", L"\x65E5", saved, false);
            CHECK(Names(SaveFixture::Shown[0], FillVar(Tr("save_withdrawn"), L"n", L"1")));
        }
        CHECK(ReadDisabled(KindLister).empty());  // the kept line of the deactivation went with the refusal
    }
}

TEST_CASE("a UTF-16 wincmd.ini holds every character: a fullwidth name is written as typed") {
    SaveFixture f(L"gate_utf16", L"");
    WriteIniText(f.tc.ini, AnsiIni, true);
    GetPlugState(KindFileSystem, L"MyFs", L"C:\\p\\fs.wfx", L"MyFs").curKey = Bracketed;
    f.Save();
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 1."});
    CHECK(f.Lines(KindFileSystem) == L"Other=C:\\p\\o.wfx\n" + Bracketed + L"=C:\\p\\fs.wfx\n");
    CHECK(IniGetString(f.tc.ini, L"Configuration", L"Language") == L"ENG");
}

TEST_CASE("the last guard before each write refuses a line that got past its change's check") {
    RequireWesternCodePage();
    SaveFixture f(L"gate_last", AnsiIni);
    const std::string bytes = ReadFileBytes(f.tc.ini);
    FaultyIo io;  // notes each write that reaches the file
    SectionWrites ansi{io, f.tc.ini, L"FileSystemPlugins", {}, 0, nullptr};
    struct Line {
        std::wstring key, value;
    };
    for (const Line& l : {Line{L"MyFs", Hostile}, Line{L" ", L"C:\\p\\x.wfx"}, Line{L"a=b", L"C:\\p\\x.wfx"},
                          Line{L"RedirectSection", L"x.ini"}, Line{Bracketed, L"C:\\p\\x.wfx"},
                          Line{L"MyFs", L"C:\\p\\\x65E5.wfx"}}) {
        CAPTURE(l.key);
        CHECK_FALSE(ansi.Set(l.key, l.value, std::nullopt));
        CHECK_FALSE(ansi.steps.back().done);
    }
    CHECK(io.steps.empty());
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    // A file that holds every character takes the ideograph.
    WriteIniText(f.tc.ini, AnsiIni, true);
    SectionWrites wide{io, f.tc.ini, L"FileSystemPlugins", {}, 0, nullptr};
    CHECK(wide.Set(L"MyFs", L"C:\\p\\\x65E5.wfx", L"C:\\p\\fs.wfx"));
    CHECK(IniGetString(f.tc.ini, L"FileSystemPlugins", L"MyFs") == L"C:\\p\\\x65E5.wfx");
}
