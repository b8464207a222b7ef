// The content preview end to end: the test program is the /fields child, the fake
// Content plugins answer, and a message-only window takes the answers in as the
// main window does.
#include <memory>

#include "preview_fixture.h"
#include "analyses/builtin_fields.h"
#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "analyses/preview_texts.h"
#include "foundation/data_folder.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/texts.h"
#include "hostcfg/tc_discovery.h"
#include "probe/workers.h"

namespace {

// Puts the twin beside the test program for the scope, as it lies beside the program.
struct TwinBeside {
    std::wstring path = PathJoin(AppDir(), L"Kestrovane32.exe");
    TwinBeside() { CopyFileW(TwinExeBuilt().c_str(), path.c_str(), FALSE); }
    ~TwinBeside() { DeleteFileW(path.c_str()); }
};

// "state fields/valued" of each row.
std::wstring States() {
    std::wstring out;
    for (const PvPlugin& row : PvPlugins)
        out += std::to_wstring(row.state) + L" " + std::to_wstring(row.fields.size()) + L"/" +
               std::to_wstring(PvCountValuedFields(row)) + L"; ";
    return out;
}

PvPlugin Answered(const std::wstring& key, int valued, bool specialist = false) {
    PvPlugin row;
    row.key = row.name = key;
    row.state = PvAnsweredOk;
    row.specialist = specialist;
    for (int i = 0; i < valued + 1; ++i) AddFieldDef(row, L"f" + std::to_wstring(i), 8, i < valued ? L"v" : L"");
    return row;
}

// Tells which of the view's lists the preview filled, in order.
struct CountingView : SilentPreviewView {
    bool shown = true;
    std::wstring calls;
    bool PanesShown() override { return shown; }
    void FillPluginList() override { calls += L"plugins "; }
    void FillFieldList() override { calls += L"fields "; }
    void ShowIntro() override { calls += L"intro "; }
    void UpdateStatusBar() override { calls += L"status "; }
};

}  // namespace

TEST_CASE("each Content plugin answers in its row, in plugin order" * doctest::test_suite("64-bit")) {
    REQUIRE_MESSAGE(!TwinExeBuilt().empty(), "build the x86 preset first: it supplies Kestrovane32.exe");
    PreviewFixture f(L"");
    TwinBeside twin;
    REQUIRE(CopyInto(FakePlugin32(L"content", L"wdx"), f.dir, L"content32.wdx"));
    std::wstring content = Configured(L"content", L"wdx");
    WriteFileBytes(WincmdIniPath,
                   StrToUtf8(L"[ContentPlugins]\r\n" + Entry(1, content, L"EXT=\"JPG\"") +
                             Entry(2, Configured(L"content_many", L"wdx"), L"SIZE>0") +
                             Entry(3, Configured(L"content_crash", L"wdx")) + Entry(4, Configured(L"content_hang", L"wdx")) +
                             Entry(5, PathJoin(f.dir, L"content32.wdx"), L"EXT=\"JPG\"") +
                             Entry(6, L"Z:\\gone\\nothing.wdx") + Entry(7, content, L"EXT=\"TXT\"")));
    std::wstring photo = f.File(L"photo.jpg", 500);
    f.Preview(photo);
    // Built-in, content, 600 fields cut to 500, crash after its first field, hang
    // after its first field, 32-bit through the twin, missing, not matching.
    CHECK(States() == L"1 31/26; 1 17/15; 1 500/500; 2 1/0; 3 1/0; 1 17/15; 5 0/0; 9 0/0; ");
    CHECK(TakenOrder == std::vector<uint32_t>{1, 2, 3, 4, 5, 6});
    const PvPlugin& plugin = PvPlugins[1];
    CHECK(Value(plugin, L"Int32") == L"-42");
    CHECK(Value(plugin, L"Size", 1) == L"1,5");
    CHECK(Value(plugin, L"Colour", 1) == L"green");
    CHECK(Value(plugin, L"File") == photo);
    // Tabs and line breaks of the plugin's names and values turn into blanks.
    CHECK(Value(plugin, L"Tab Name") == L"line  break");
    CHECK(Field(plugin, L"Tab Name")->units == std::vector<std::wstring>{L"a b"});
    CHECK(Value(plugin, L"Wide") == L"Grüße zwei");
    CHECK(Value(PvPlugins[5], L"Int32") == L"-42");
    CHECK(Value(PvPlugins[2], L"Field499") == L"4990");
    // The specialist wins over the plugin with the most values.
    CHECK(PvChecked == std::set<int>{1});
    CHECK(PvWhyText == L"opened: content – specialist for .jpg, fields with a value: 15");
    CHECK((PvChoiceMade == 1 && PvPlugins[1].expanded == 1 && !PvRunning()));
    CHECK(PvStatusPieces() == std::vector<std::wstring>{L"plugins answered: 3/6", PvWhyText});
}

TEST_CASE("a new file while the old query runs drops the old answers" * doctest::test_suite("64-bit")) {
    PreviewFixture f(Entry(1, Configured(L"content", L"wdx")) + Entry(2, Configured(L"content_many", L"wdx")));
    std::wstring first = f.File(L"first.jpg", 10), second = f.File(L"second.txt", 20);
    HoldAnswers = true;
    PreviewFile = first;
    PvRefresh(f.view);
    PumpUntilAnswered();
    HoldAnswers = false;
    REQUIRE(HeldAnswers.size() == 2);
    PreviewFile = second;
    PvRefresh(f.view);
    for (const auto& late : HeldAnswers) PvTakeAnswer(f.view, late->generation, late->index, late->result);
    HeldAnswers.clear();
    CHECK((PvAnswered == 0 && PvPlugins[1].state == PvQuerying));
    PumpUntilAnswered();
    CHECK(PvAnswered == 2);
    CHECK(Value(PvPlugins[1], L"File") == second);
    CHECK(Value(PvPlugins[0], L"size") == L"20");
}

TEST_CASE("answers refill the lists only while they are in view; the choice fills them either way" *
          doctest::test_suite("64-bit")) {
    PreviewFixture f(Entry(1, Configured(L"content", L"wdx")) + Entry(2, Configured(L"content_many", L"wdx")));
    std::wstring photo = f.File(L"photo.jpg", 10);
    for (bool shown : {true, false}) {
        CAPTURE(shown);
        CountingView view;
        view.window = f.window;
        view.shown = shown;
        ShownView = &view;
        f.Preview(photo);
        std::wstring first = shown ? L"plugins intro status " : L"status ";
        std::wstring last = shown ? L"plugins plugins fields status " : L"plugins fields status ";
        CHECK(view.calls == L"plugins fields status " + first + last);
    }
}

TEST_CASE("skipped plugins are never asked, and the skip survives a restart") {
    // Names that an INI line would cut at '=' or read as a section or a comment.
    PreviewFixture f(Entry(1, L"Z:\\gone\\Nothing.wdx", L"EXT=\"DOC\"") + Entry(2, L"Z:\\gone\\other.wdx64") +
                     Entry(3, L"Z:\\gone\\a=b.wdx") + Entry(4, L"Z:\\gone\\[c].wdx") + Entry(5, L"Z:\\gone\\;d.wdx"));
    const wchar_t* const names[] = {L"nothing", L"Other", L"a=b", L"[c]", L";d"};
    WritePrivateProfileStringW(L"PreviewSkip", nullptr, nullptr, SettingsIniPath().c_str());  // an earlier run's
    for (const wchar_t* name : names) SetPreviewSkip(name, true);
    f.Preview(f.File(L"a.txt", 1));
    CHECK(States() == L"1 31/26; 8 0/0; 8 0/0; 8 0/0; 8 0/0; 8 0/0; ");
    CHECK(LoadPreviewSkip() == std::set<std::wstring>{L"nothing", L"other", L"a=b", L"[c]", L";d"});
    // Nothing was asked: the choice is made at once, and with no answer opens nothing.
    CHECK((PvJobsPending == 0 && PvChoiceMade == 1 && PvChecked.empty() && PvWhyText.empty()));
    for (const wchar_t* name : names) SetPreviewSkip(name, false);
    CHECK(ReadIniSection(SettingsIniPath(), L"PreviewSkip").empty());
}

TEST_CASE("plugins whose preview worker could not start are not asked, and say why") {
    struct NoThreadsView : SilentPreviewView {
        DWORD StartWorker(LPTHREAD_START_ROUTINE, void*) override { return ERROR_NOT_ENOUGH_MEMORY; }
    } view;
    PreviewFixture f(Entry(1, L"Z:\\gone\\one.wdx") + Entry(2, L"Z:\\gone\\two.wdx", L"EXT=\"DOC\""));
    view.window = f.window;
    ShownView = &view;
    const std::wstring why =
        L"the program could not start the thread that asks the plugins: CreateThread failed (Windows error 8)";
    f.Preview(f.File(L"a.txt", 1));
    CHECK(States() == L"1 31/26; 10 0/0; 9 0/0; ");
    CHECK(PvPlugins[1].error == why);
    CHECK_FALSE(PvRunning());
    // A row asked again alone fares the same.
    StartFieldsJob(view, 2);
    CHECK((PvPlugins[2].state == PvNotStarted && PvPlugins[2].error == why));
    CHECK_FALSE(PvRunning());
}

TEST_CASE("a file's extension beyond ASCII matches a detect string that writes it in another case") {
    const std::wstring section = Entry(1, L"Z:\\gone\\arz.wdx", L"EXT=\"ÄRZ\"") +
                                 Entry(2, L"Z:\\gone\\zhuk.wdx", L"EXT=\"Жук\"") +
                                 Entry(3, L"Z:\\gone\\doc.wdx", L"EXT=\"DOC\"");
    PreviewFixture f(section);
    // Letters beyond the code page need the UTF-16 file that TC writes then.
    WriteFileBytes(WincmdIniPath, "\xFF\xFE" + Utf16Bytes(L"[ContentPlugins]\r\n" + section));
    f.Preview(f.File(L"x.ärz", 1));
    PumpUntilAnswered();
    REQUIRE(PvPlugins.size() == 4);
    CHECK((PvPlugins[1].match == 1 && PvPlugins[2].match == 0 && PvPlugins[3].match == 0));
    f.Preview(f.File(L"y.жук", 1));
    PumpUntilAnswered();
    REQUIRE(PvPlugins.size() == 4);
    CHECK((PvPlugins[1].match == 0 && PvPlugins[2].match == 1 && PvPlugins[3].match == 0));
}

TEST_CASE("the plugin opened for a file") {
    PreviewFixture f(L"");
    auto choose = [&f](std::vector<PvPlugin> rows, const std::wstring& ext = L"jpg") {
        PvPlugins = std::move(rows);
        PvChecked.clear();
        PvChoiceMade = 0;
        PvJobsPending = PvAnswered = 0;  // whatever an earlier case asked is done
        PvCurrentExt = ext;
        UpdatePreviewVerdict(f.view);
        return std::vector<int>(PvChecked.begin(), PvChecked.end());
    };
    PvPlugin builtIn = Answered(L"tc", 30);
    builtIn.builtIn = 1;
    SUBCASE("a specialist with one value beats a plugin with twenty; ties keep the first") {
        CHECK(choose({builtIn, Answered(L"a", 20), Answered(L"b", 1, true), Answered(L"c", 1, true)}) ==
              std::vector<int>{2});
        CHECK(choose({builtIn, Answered(L"a", 3), Answered(L"b", 3), Answered(L"c", 2)}) == std::vector<int>{1});
        CHECK(PvWhyText == L"opened: a – no specialist answered; most fields with a value: 3");
    }
    SUBCASE("the built-in group and plugins without values are never chosen") {
        CHECK(choose({builtIn, Answered(L"a", 0, true)}).empty());
    }
    SUBCASE("the last choice for the extension is ticked again, and asked when it was not") {
        PvPlugin skipped = Answered(L"b", 0);
        skipped.state = PvSkipped;
        skipped.path = L"Z:\\gone\\b.wdx";
        PvLastChoice[L"jpg"] = {L"b"};
        CHECK(choose({builtIn, Answered(L"a", 5, true), skipped}) == std::vector<int>{2});
        CHECK(PvWhyText == L"opened as last chosen for .jpg");
        CHECK((PvPlugins[2].state == PvQuerying && PvJobsPending == 1));
        PumpUntilAnswered();
        CHECK(PvPlugins[2].state == PvFileMissing);
    }
    SUBCASE("unticking every plugin remembers nothing to open") {
        choose({builtIn, Answered(L"a", 5)});
        PreviewFile = L"x.jpg";
        PvCheckPlugin(f.view, 1, false);
        CHECK(PvLastChoice[L"jpg"].empty());
        CHECK(choose({builtIn, Answered(L"a", 5)}) == std::vector<int>{1});
    }
    SUBCASE("a choice holds for the extension in every case of its letters") {
        choose({builtIn, Answered(L"a", 5), Answered(L"b", 1)}, L"ärz");
        PreviewFile = L"x.ärz";
        PvCheckPlugin(f.view, 1, false);
        PvCheckPlugin(f.view, 2, true);
        CHECK(choose({builtIn, Answered(L"a", 5), Answered(L"b", 1)}, L"Ärz") == std::vector<int>{2});
    }
}

TEST_CASE("the built-in fields of a file, a folder and names without a stem or extension") {
    std::wstring dir = FreshTempDir(L"builtin");
    auto fields = [](const std::wstring& path) {
        PvPlugin row;
        bool found = AddBuiltInFields(row, path);
        std::wstring out;
        for (const FieldDef& f : row.fields) out += f.name + L"=" + f.values[0].text + L";";
        return found ? out : L"<not found>";
    };
    auto field = [](const std::wstring& path, const std::wstring& name) {
        PvPlugin row;
        AddBuiltInFields(row, path);
        return Value(row, name);
    };
    std::wstring file = PathJoin(dir, L"Report.final.TXT");
    WriteFileBytes(file, std::string(1234, 'x'));
    SUBCASE("size, dates and attributes as set") {
        // Wine keeps no creation time of its own, so only the last write is set.
        SYSTEMTIME wrote{2024, 12, 0, 31, 23, 59, 1, 0};
        FILETIME written, utcWritten;
        SystemTimeToFileTime(&wrote, &written);
        LocalFileTimeToFileTime(&written, &utcWritten);
        {
            FileHandle h(CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            REQUIRE(SetFileTime(h.Get(), nullptr, nullptr, &utcWritten));
        }
        REQUIRE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        std::wstring all = fields(file);
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        CHECK(all.starts_with(L"fullname=" + file + L";name=Report.final;ext=TXT;dosname="));
        CHECK(all.find(L";comment=;path=" + dir + L"\\;size=1234;creationdate=") != std::wstring::npos);
        CHECK(all.find(L";writedate=2024-12-31;writetime=23:59:01;accessdate=") != std::wstring::npos);
        CHECK(all.find(L";attributes=35;attributestr=rah-;archive=1;read only=1;hidden=1;system=0;folder=0;"
                       L"compressed=0;encrypted=0;sparse=0;offline=0;versionstring=;versionnr=;file type=file;"
                       L"path length=" + std::to_wstring(file.size()) + L";ZoneId=0;HostUrl=;ReferrerUrl=;") !=
              std::wstring::npos);
    }
    SUBCASE("the comment of descript.ion") {
        WriteFileBytes(PathJoin(dir, L"descript.ion"),
                       "other.txt not this one\r\n\"report.FINAL.txt\" first\\nsecond\tpart \x04" "binary\r\n");
        CHECK(field(file, L"comment") == L"first second part");
        WriteFileBytes(PathJoin(dir, L"descript.ion"), "\"Report.final.TXT unclosed\r\nReport.final.TXT\tby tab\r\n");
        CHECK(field(file, L"comment") == L"by tab");
    }
    SUBCASE("a folder, a name that is all extension, a name without one") {
        CHECK(field(dir, L"ext").empty());
        CHECK(field(dir, L"size").empty());
        CHECK(field(dir, L"folder") == L"1");
        CHECK(field(dir, L"file type") == L"folder");
        std::wstring profile = PathJoin(dir, L".profile"), readme = PathJoin(dir, L"README");
        WriteFileBytes(profile, "p");
        WriteFileBytes(readme, "r");
        CHECK((field(profile, L"name").empty() && field(profile, L"ext") == L"profile"));
        CHECK((field(readme, L"name") == L"README" && field(readme, L"ext").empty()));
    }
    SUBCASE("the version of a file that has one") {
        std::wstring plugin = FakePlugin(L"content", L"wdx");
        CHECK((field(plugin, L"versionstring") == L"3.2.0.0" && field(plugin, L"versionnr") == L"3.2"));
    }
    SUBCASE("a file that is not there, or a name with wildcards, has no fields") {
        CHECK(fields(PathJoin(dir, L"gone.txt")) == L"<not found>");
        CHECK(fields(PathJoin(dir, L"*.TXT")) == L"<not found>");
    }
    RemoveTree(dir);
}

TEST_CASE("what the preview lists and details say of a row") {
    UseTestSettings();
    PvPlugin plugin;
    plugin.number = 4;
    plugin.name = L"geo";
    plugin.key = L"geo";
    plugin.path = L"C:\\p\\geo.wdx";
    plugin.match = 1;
    plugin.state = PvAnsweredOk;
    plugin.fields = {{0, 3, L"distance", {L"km", L"m"}, {{3, L"1,5"}, {3, L"1500"}}},
                     {1, 6, L"indoor", {}, {{6, L"0"}}},
                     {2, 8, L"note", {}, {{-3, L""}}},
                     {3, 8, L"later", {}, {{-4, L""}}}};
    PvPlugin builtIn;
    builtIn.name = L"tc (pseudo)";
    builtIn.key = L"tc";
    builtIn.builtIn = builtIn.match = 1;
    builtIn.state = PvAnsweredOk;
    AddFieldDef(builtIn, L"size", 2, L"20");
    PvPlugins = {builtIn, plugin};
    auto items = [](int index, bool alsoEmpty, bool allUnits) {
        std::wstring out;
        for (const PvItem& i : PvGroupItems(index, alsoEmpty, allUnits)) out += i.field + L"=" + i.value + L"|" + i.type + L"; ";
        return out;
    };
    CHECK(items(1, false, false) == L"distance  [km]=1,5|decimal; indoor=no|yes/no; later=(only on request)|text; ");
    CHECK(items(1, true, true) == L"distance  [km]=1,5|decimal;       [m]=1500|decimal; indoor=no|yes/no; note=|text; "
                                  L"later=(only on request)|text; ");
    CHECK(PvGroupHeader(PvPlugins[1]) == L"#4  geo  –  fields with a value: 3/4");
    CHECK(PvFieldReference({1, 0, 1}) == L"[=geo.distance.m]");
    CHECK(PvFieldReference({0, 0, 0}) == L"[=tc.size]");
    CHECK(PvFieldDetailText({1, 0, 1}, FieldUsage{}) ==
          L"Plugin:\t#4  geo  (C:\\p\\geo.wdx)\r\nField:\tdistance  ·  decimal\r\nUnits:\r\n\tkm:  1,5\r\n\tm:  1500\r\n"
          L"Used in:\tnowhere in TC (no column, tooltip, thumbnail, search or rename template)\r\n"
          L"For TC:\t[=geo.distance.m]");
    SUBCASE("a plugin with fields but no value shows its placeholder") {
        PvPlugins[1].fields = {{0, 8, L"note", {}, {{-3, L""}}}};
        PvPlugins[1].match = 0;
        CHECK(items(1, false, false) == L"=no field has a value for this file|; ");
        CHECK(PvGroupHeader(PvPlugins[1]) == L"#4  geo  –  fields with a value: 0/1  ·  assignment does not match "
                                             L"this file – TC would not ask it");
    }
    SUBCASE("a plugin that could not be loaded names the reason") {
        PvPlugins[1].state = PvLoadFailure;
        PvPlugins[1].error = L"126";
        CHECK(PvGroupHeader(PvPlugins[1]) ==
              L"#4  geo  –  could not be loaded (Windows error 126) – a DLL it needs is missing");
        CHECK(PvPickResultText(PvPlugins[1]) == L"✗");
        CHECK(PvPluginDetailText(PvPlugins[1]).ends_with(L")\r\nStatus:\tcould not be loaded 126"));
        PvPlugins[1].error = L" 1114 ";
        CHECK(PvGroupHeader(PvPlugins[1]) == L"#4  geo  –  answers only inside TC – no comparison");
        CHECK(PvPluginDetailText(PvPlugins[1]).ends_with(L"\r\nStatus:\t" + Tr("fdx_onlytc")));
        CHECK(PvPickResultText(PvPlugins[1]) == L"·");
        CHECK(PvPickGroup(PvPlugins[1]) == 3);
    }
    PvPlugins.clear();
}
