// Saving into wincmd.ini: every kind of change in one run, and the faults a
// user's file meets: nothing is reported saved that was not, no entry is lost
// from both wincmd.ini and the program's INI, and a refused file stays as it was.
#include <cstdlib>

#include "editing/backups.h"
#include "editing/save_writers.h"
#include "editing_test_util.h"
#include "foundation/encoding.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/texts.h"
#include "support/ini_compare.h"

namespace {

std::vector<std::wstring> Kept(int kind) {
    std::vector<std::wstring> out;
    for (const KeptEntry& k : ReadDisabled(kind)) out.push_back(k.path + L"|" + k.detect + L"|" + k.fsName);
    return out;
}

// Every entry path of the file and of the Disabled section.
std::set<std::wstring> Everywhere(const std::wstring& ini) {
    std::set<std::wstring> paths;
    for (int kind = 0; kind < 4; ++kind) {
        for (const auto& [k, v] : ReadIniSection(ini, PlugSectionName(kind)))
            if (!StrIEquals(k, L"RedirectSection") && k.find(L"_detect") == std::wstring::npos)
                paths.insert(StrLower(StrTrim(v.substr(v.find(L',') + 1))));
        for (const KeptEntry& e : ReadDisabled(kind)) paths.insert(StrLower(e.path));
    }
    return paths;
}

// The lines of a file but the key's line in [ListerPlugins], in the form the
// profile functions write: the corpus came through git with LF line ends, the
// profile functions write CR LF, and Wine's drop blank lines and the blanks
// around '=' of every line.
std::vector<std::string> OtherLines(const std::string& text, const std::string& key) {
    std::vector<std::string> lines;
    bool lister = false;
    for (size_t at = 0; at < text.size();) {
        size_t nl = text.find('\n', at);
        std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        at = nl == std::string::npos ? text.size() : nl + 1;
        std::erase(line, '\r');
        size_t eq = line.find('=');
        if (eq != std::string::npos && line[0] != ';') {
            while (eq > 0 && line[eq - 1] == ' ') line.erase(--eq, 1);
            while (eq + 1 < line.size() && line[eq + 1] == ' ') line.erase(eq + 1, 1);
        }
        std::string lower = line;
        for (char& c : lower) c = (char)tolower((unsigned char)c);
        if (lower.starts_with("[")) lister = lower.starts_with("[listerplugins]");
        bool blank = line.find_first_not_of(" \t") == std::string::npos;
        if (!blank && !(lister && lower.starts_with(key))) lines.push_back(line);
    }
    return lines;
}

std::wstring ChangeLogText() { return Utf8ToWide(ReadFileBytes(ChangeLogPath())); }

}  // namespace

TEST_CASE("one save writes changes of every kind, key by key, and logs them") {
    SaveFixture f(L"save_all", Scenario);
    DeleteFileW(ChangeLogPath().c_str());
    MarkEverything(f);
    size_t backupsBefore = BackupsOf(f.tc.ini).size();
    std::wstring refilledFrom;  // the Lister section as the window's refill found it
    f.Host.refill = [&] { refilledFrom = f.Lines(0); };
    f.Save();
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0] == L"Changes saved: 6.");
    CHECK(f.Lines(0) == ListerAfter);
    CHECK(refilledFrom == ListerAfter);
    CHECK(f.Lines(1) == L"0=C:\\p\\y.wdx\n");
    CHECK(f.Lines(2) == L"zip=283,C:\\p\\zip.wcx\njar=279,C:\\p\\zip.wcx\n");
    CHECK(f.Lines(3) == L"myfs=C:\\p\\fs.wfx\n");
    CHECK(Kept(0) == std::vector<std::wstring>{L"C:\\p\\b.wlx|EXT=\"B\"|"});
    CHECK(Kept(3) == std::vector<std::wstring>{L"C:\\p\\o.wfx||Other"});
    CHECK(BackupsOf(f.tc.ini).size() == backupsBefore + 1);
    std::wstring log = ChangeLogText();
    for (const wchar_t* part : {L"deactivated by Kestrovane (was #2)", L"numbers reassigned: #3→#2",
                                L"path changed by Kestrovane", L"INI entry changed by Kestrovane: zip=279",
                                L"INI entry changed by Kestrovane: MyFs=C:\\p\\fs.wfx → myfs="})
        CHECK(log.find(part) != std::wstring::npos);
    CHECK((CountPendingChanges() == 0 && !SaveIsRunning()));

    SUBCASE("a kept entry goes back to its old place") {
        PendingReactivations.insert(ReadDisabled(0)[0].key);
        bool failedSeen = true;
        SaveRequest request;
        request.confirmed = 1;
        request.afterSave = [&](std::wstring&, bool failed, std::wstring&) { failedSeen = failed; };
        SaveChanges(SaveFixture::Host, nullptr, request);
        CHECK(f.Lines(0) == L"1=C:\\p\\a.wlx\n1_detect=\"EXT=\"A\"\"\n2=C:\\p\\b.wlx\n2_detect=\"EXT=\"B\"\"\n"
                            L"RedirectSection=0\n3=C:\\p\\c.wlx\n3_detect=\"EXT=\"C\" | EXT=\"E\"\"\n");
        CHECK((Kept(0).empty() && PendingReactivations.empty() && !failedSeen));
    }
}

TEST_CASE("a save refused before writing leaves wincmd.ini byte for byte as it was, and the change pending") {
    SaveFixture f(L"save_refused", Scenario);
    PendingEdit& gone = PendingEditFor(f.Entry(0, 1));
    gone.deleted = gone.deactivate = 1;
    FaultyIo io;
    std::string bytes;
    SUBCASE("a UTF-8 file") { WriteFileBytes(f.tc.ini, bytes = "\xEF\xBB\xBF" + ReadFileBytes(f.tc.ini)); }
    SUBCASE("a numbered key given twice") {
        std::string text = ReadFileBytes(f.tc.ini);
        text.insert(text.find("3="), "2=C:\\p\\other.wlx\r\n");
        WriteFileBytes(f.tc.ini, bytes = text);
    }
    SUBCASE("no backup") {
        RemoveTree(BackupsFolder());
        WriteFileBytes(PathJoin(DataFolder(), L"Backups"), "");
        bytes = ReadFileBytes(f.tc.ini);
    }
    SUBCASE("a backup gone as soon as made") {
        io.onlyKind = "backup";
        io.failAt = 0;
        io.onward = true;
        bytes = ReadFileBytes(f.tc.ini);
    }
    SUBCASE("a redirected section whose file is missing") {
        WritePrivateProfileStringW(L"ListerPlugins", L"RedirectSection", L"gone.ini", f.tc.ini.c_str());
        bytes = ReadFileBytes(f.tc.ini);
    }
    REQUIRE_FALSE(bytes.empty());
    f.Save(io);
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    CHECK(Kept(0).empty());
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0].starts_with(L"Changes saved: 0.\n\n"));
    CHECK(SaveFixture::Shown[0].ends_with(FillVar(Tr("save_kept_pending"), L"n", L"1") + L"\r\n"));
    CHECK(CountPendingChanges() == 1);
    // A command that saves with work of its own around it withdraws what it could not write.
    SaveRequest withWork;
    withWork.confirmed = 1;
    withWork.afterSave = [](std::wstring&, bool, std::wstring&) {};
    SaveChanges(SaveFixture::Host, nullptr, withWork, io);
    CHECK(CountPendingChanges() == 0);
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    DeleteFileW(BackupsFolder().c_str());
}

TEST_CASE("faults while writing: nothing is reported saved that was not, no entry is lost") {
    SaveFixture f(L"save_faults", Scenario);
    std::set<std::wstring> all = Everywhere(f.tc.ini);
    MarkEverything(f);
    std::wstring expect;
    uint32_t pending = 0;  // a section left as it was keeps its changes pending
    SUBCASE("a read-only file") {
        SetFileAttributesW(f.tc.ini.c_str(), FILE_ATTRIBUTE_READONLY);
        // The attribute does not stop an administrator; a reader that shares no
        // writing does, as for a file on a read-only share.
        HANDLE reader = CreateFileW(f.tc.ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::string bytes = ReadFileBytes(f.tc.ini);
        f.Save();
        CloseHandle(reader);
        SetFileAttributesW(f.tc.ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        CHECK(ReadFileBytes(f.tc.ini) == bytes);
        expect = L"Changes saved: 0.";
        pending = 6;
    }
    SUBCASE("a write that fails halfway through a section") {
        IniPairs lister = ReadIniSection(f.tc.ini, L"ListerPlugins");
        // As a file held open for a moment by another program would.
        FaultyIo io;
        io.onlyKind = "write";
        io.failAt = 2;
        f.Save(io);
        IniPairs now = ReadIniSection(f.tc.ini, L"ListerPlugins");
        CHECK(std::set<std::pair<std::wstring, std::wstring>>(now.begin(), now.end()) ==
              std::set<std::pair<std::wstring, std::wstring>>(lister.begin(), lister.end()));
        CHECK(SaveFixture::Shown[0].find(L"[ListerPlugins] was left as it was.") != std::wstring::npos);
        expect = L"Changes saved: 4.";
        pending = 2;
    }
    SUBCASE("a section changed outside the program") {
        WritePrivateProfileStringW(L"ListerPlugins", L"3_detect", L"\"EXT=\"Q\"\"", f.tc.ini.c_str());
        WritePrivateProfileStringW(L"PackerPlugins", L"zip", L"7,C:\\p\\zip.wcx", f.tc.ini.c_str());
        f.Save();
        std::wstring shown = SaveFixture::Shown[0];
        CHECK(shown.find(L"Changed in the meantime, skipped: #3 c\r\n   INI now: EXT=\"Q\"") != std::wstring::npos);
        CHECK(shown.find(L"INI now: 7,C:\\p\\zip.wcx") != std::wstring::npos);
        CHECK(f.Lines(0).find(L"2=C:\\p\\c.wlx\n2_detect=\"EXT=\"Q\"\"") != std::wstring::npos);
        expect = L"Changes saved: 4.";
    }
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0].starts_with(expect + L"\n\n"));
    std::set<std::wstring> now = Everywhere(f.tc.ini);
    if (now.erase(L"c:\\p\\y.wdx")) now.insert(L"c:\\p\\x.wdx");  // the one path the user changed
    CHECK(now == all);
    CHECK(CountPendingChanges() == pending);
}

TEST_CASE("a line key given twice refuses its section whole: TC reads the first, a write by key would hit it") {
    SaveFixture f(L"save_dupline", LR"([PackerPlugins]
zip=279,C:\p\zip.wcx
jar=279,C:\p\zip.wcx
ZIP=279,C:\p\other.wcx
[FileSystemPlugins]
MyFs=C:\p\fs.wfx
)");
    std::wstring packer = f.Lines(2);
    PlugState& off = GetPlugState(2, L"zip", L"279,C:\\p\\zip.wcx", L"zip");
    off.deleted = off.deactivate = 1;
    GetPlugState(2, L"jar", L"279,C:\\p\\zip.wcx", L"zip").curValue = L"283,C:\\p\\zip.wcx";
    GetPlugState(3, L"MyFs", L"C:\\p\\fs.wfx", L"MyFs").curKey = L"Fs2";
    f.Save();
    CHECK(f.Lines(2) == packer);
    CHECK(Kept(2).empty());
    CHECK(f.Lines(3) == L"Fs2=C:\\p\\fs.wfx\n");
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{
                                    L"Changes saved: 1.\n\n" + FillVar(Tr("err_dupsection"), L"s", L"PackerPlugins") + L" " +
                                    FillVar(Tr("fd_dupkey"), L"k", L"ZIP") + L"\r\n" +
                                    FillVar(Tr("save_kept_pending"), L"n", L"2") + L"\r\n"});
    CHECK(CountPendingChanges() == 2);
}

TEST_CASE("numbered keys that TC reads as no entry, or too high to renumber, stay as they stand") {
    SaveFixture f(L"save_foreign", LR"([ListerPlugins]
1=C:\p\a.wlx
01=C:\p\zero.wlx
2=C:\p\b.wlx
2_detect="EXT="B""
1000000=C:\p\high.wlx
)");
    std::vector<PlugEntry> entries = LoadPluginSection(0).entries;
    REQUIRE(entries.size() == 3);
    CHECK(entries[0].path == L"C:\\p\\a.wlx");  // "01" is not entry 1
    PendingEditFor(entries[0]).deleted = 1;
    PendingEditFor(entries[2]).deleted = 1;
    f.Save();
    IniPairs now = ReadIniSection(f.tc.ini, L"ListerPlugins");
    CHECK(std::set<std::pair<std::wstring, std::wstring>>(now.begin(), now.end()) ==
          std::set<std::pair<std::wstring, std::wstring>>{{L"01", L"C:\\p\\zero.wlx"},
                                                         {L"1", L"C:\\p\\b.wlx"},
                                                         {L"1_detect", L"\"EXT=\"B\"\""},
                                                         {L"1000000", L"C:\\p\\high.wlx"}});
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 1.\n\n" + Tr("err_number_kept") +
                                                          L" #1000000 high\r\n"});
}

TEST_CASE("a caller's done text stands above what failed after the writes, never above a change not written") {
    SaveFixture f(L"save_donetext", Scenario);
    auto save = [&](const wchar_t* done, SaveIo& io) {
        SaveRequest request;
        request.confirmed = 1;
        request.doneText = done;
        request.afterSave = [](std::wstring& errors, bool writeFailed, std::wstring&) {
            if (!writeFailed) errors += L"The folder could not be moved.\r\n";
        };
        SaveChanges(SaveFixture::Host, nullptr, request, io);
    };
    PendingEditFor(f.Entry(0, 2)).deleted = 1;
    save(L"b uninstalled.", SystemSaveIo());
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"b uninstalled.\n\nThe folder could not be moved.\r\n"});
    PendingEditFor(f.Entry(0, 1)).deleted = 1;
    FaultyIo io;
    io.onlyKind = "write";
    io.failAt = 0;
    save(L"a uninstalled.", io);
    CHECK(SaveFixture::Shown.back().starts_with(L"Changes saved: 0.\n\n" + Tr("err_write")));
}

TEST_CASE("a save never runs inside a save, and its hook can stop it before any write") {
    SaveFixture f(L"save_nested", Scenario);
    std::string bytes = ReadFileBytes(f.tc.ini);
    PendingEditFor(f.Entry(0, 1)).deleted = 1;
    bool nestedRan = false;
    CHECK_FALSE(WriteAtOnceAllowed(SaveFixture::Host, nullptr));  // a change is pending
    SaveRequest request;
    request.confirmed = 1;
    request.beforeWrite = [&](std::wstring& text) {
        CHECK_FALSE(WriteAtOnceAllowed(SaveFixture::Host, nullptr));
        SaveRequest nested;
        nested.afterSave = [&](std::wstring&, bool, std::wstring&) { nestedRan = true; };
        SaveChanges(SaveFixture::Host, nullptr, nested);  // refused while the first one runs
        text = L"stopped";
        return false;
    };
    SaveChanges(SaveFixture::Host, nullptr, request);
    CHECK_FALSE(nestedRan);
    const std::wstring busy = L"A save is running. Please wait until it has ended.";
    CHECK(SaveFixture::Shown ==
          std::vector<std::wstring>{L"There are unsaved changes. Please save or discard them first (File menu).", busy,
                                    busy, L"stopped"});
    CHECK((ReadFileBytes(f.tc.ini) == bytes && CountPendingChanges() == 1 && !SaveIsRunning()));
}

TEST_CASE("an install's entries are placed where it wants them, and its text reports only a clean save") {
    SaveFixture f(L"save_install", Scenario);
    KeptEntry lister{0, L"install|x", L"C:\\p\\new.wlx", L"new", L"EXT=\"N\"", L"", L"", L"", 1, 1, 1};
    KeptEntry packer{2, L"install|y", L"C:\\p\\7z.wcx", L"7z", L"", L"7z:95;zip:95", L"", L"", -1, 0, 1};
    SaveRequest request;
    request.newEntries = {lister, packer};
    request.force = 1;
    request.confirmed = 1;
    request.doneText = L"Installed.";
    SaveChanges(SaveFixture::Host, nullptr, request);
    CHECK(f.Lines(0).starts_with(L"1=C:\\p\\new.wlx\n1_detect=\"EXT=\"N\"\"\n"));
    CHECK(f.Lines(0).find(L"4=C:\\p\\c.wlx") != std::wstring::npos);
    CHECK(f.Lines(2) == L"zip=279,C:\\p\\zip.wcx\njar=279,C:\\p\\zip.wcx\n");  // zip taken: not added
    CHECK(SaveFixture::Shown.back().starts_with(L"Changes saved: 1.\n\nAlready in the INI again, not added: 7z"));
}

TEST_CASE("an edit of one entry of a real configuration changes no other line") {
    RequireWesternCodePage();  // the configurations are Western ANSI files
    int edited = 0;
    for (const std::wstring& name : CorpusIniNames(false)) {
        CAPTURE(name);
        SaveFixture f(L"save_corpus", L"");
        WriteFileBytes(f.tc.ini, ReadFileBytes(PathJoin(CorpusDir(), name)));
        if (EffectiveIniPath(L"ListerPlugins") != f.tc.ini) continue;
        PluginSection section = LoadPluginSection(0);
        std::vector<PlugEntry>& entries = section.entries;
        if (entries.empty() || !section.duplicateKeys.empty()) continue;
        std::string before = ReadFileBytes(f.tc.ini);
        PendingEditFor(entries.back()).addedExts = {L"KVTEST"};
        f.Save();
        CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 1."});
        std::string after = ReadFileBytes(f.tc.ini);
        std::string key = std::to_string(entries.back().number) + "_detect=";
        CHECK(OtherLines(after, key) == OtherLines(before, key));
        CHECK(after.find("KVTEST") != std::string::npos);
        ++edited;
    }
    CHECK(edited >= 10);
}

TEST_CASE("orders, renames and deactivated packer lines") {
    SaveFixture f(L"save_lines", LR"([ListerPlugins]
5=C:\p\a.wlx
6=C:\p\b.wlx
7=C:\p\c.wlx
[PackerPlugins]
zip=279,C:\p\zip.wcx
jar=279, c:\P\ZIP.wcx
tar=1,C:\p\tar.wcx
[FileSystemPlugins]
One=C:\p\1.wfx
Two=C:\p\2.wfx
)");
    DeleteFileW(ChangeLogPath().c_str());
    PendingOrder& order = PendingOrders[0];
    order.order = {6, 5, 7};
    for (int n : {5, 6, 7}) order.origPaths[n] = f.Entry(0, n).path;
    for (const wchar_t* ext : {L"zip", L"jar"}) {
        PlugState& s = GetPlugState(2, ext, ext == std::wstring(L"zip") ? L"279,C:\\p\\zip.wcx" : L"279, c:\\P\\ZIP.wcx", L"zip");
        s.deleted = s.deactivate = 1;
    }
    GetPlugState(3, L"One", L"C:\\p\\1.wfx", L"One").curKey = L"two";
    f.Save();
    CHECK(f.Lines(0) == L"5=C:\\p\\b.wlx\n6=C:\\p\\a.wlx\n7=C:\\p\\c.wlx\n");
    CHECK(f.Lines(2) == L"tar=1,C:\\p\\tar.wcx\n");
    CHECK(f.Lines(3) == L"One=C:\\p\\1.wfx\nTwo=C:\\p\\2.wfx\n");
    std::vector<KeptEntry> kept = ReadDisabled(2);
    REQUIRE(kept.size() == 1);
    CHECK(kept[0].packerExts == L"jar:279;zip:279");  // in the order of the pending keys
    CHECK(ChangeLogText().find(L"order changed by Kestrovane: #6→#5, #5→#6") != std::wstring::npos);
    CHECK(SaveFixture::Shown[0] ==
          L"Changes saved: 3.\n\nThere is already a file system plugin with this name. two\r\n");

    SUBCASE("the kept packer entry comes back whole") {
        PendingReactivations.insert(kept[0].key);
        f.Save();
        CHECK(f.Lines(2) == L"tar=1,C:\\p\\tar.wcx\njar=279,C:\\p\\zip.wcx\nzip=279,C:\\p\\zip.wcx\n");
        CHECK(ReadDisabled(2).empty());
    }
}

TEST_CASE("a library whose path holds '=' keeps every deactivated extension, in one save and across two") {
    SaveFixture f(L"save_eq_lines", LR"([PackerPlugins]
zip=279,C:\p\a=b\zip.wcx
jar=283,C:\p\a=b\zip.wcx
tar=1,C:\p\tar.wcx
)");
    auto deactivate = [](const wchar_t* ext, const wchar_t* value) {
        PlugState& s = GetPlugState(2, ext, value, L"zip");
        s.deleted = s.deactivate = 1;
    };
    SUBCASE("in one save") {
        deactivate(L"zip", L"279,C:\\p\\a=b\\zip.wcx");
        deactivate(L"jar", L"283,C:\\p\\a=b\\zip.wcx");
        f.Save();
    }
    SUBCASE("across two saves") {
        deactivate(L"zip", L"279,C:\\p\\a=b\\zip.wcx");
        f.Save();
        deactivate(L"jar", L"283,C:\\p\\a=b\\zip.wcx");
        f.Save();
    }
    CHECK(f.Lines(2) == L"tar=1,C:\\p\\tar.wcx\n");
    std::vector<KeptEntry> kept = ReadDisabled(2);
    REQUIRE(kept.size() == 1);
    CHECK(kept[0].packerExts.find(L"zip:279") != std::wstring::npos);
    CHECK(kept[0].packerExts.find(L"jar:283") != std::wstring::npos);
    PendingReactivations.insert(kept[0].key);
    f.Save();
    std::wstring lines = f.Lines(2);
    CHECK(lines.find(L"\nzip=279,C:\\p\\a=b\\zip.wcx\n") != std::wstring::npos);
    CHECK(lines.find(L"\njar=283,C:\\p\\a=b\\zip.wcx\n") != std::wstring::npos);
    CHECK(ReadDisabled(2).empty());
}

TEST_CASE("a change log that cannot be written is reported, and the change stands") {
    SaveFixture f(L"save_nolog", L"[FileSystemPlugins]\r\nOne=C:\\p\\1.wfx\r\n");
    REQUIRE(AppendChangeLog({L"before"}));
    GetPlugState(3, L"One", L"C:\\p\\1.wfx", L"One").curKey = L"Two";
    bool failedSeen = true;
    SaveRequest request;
    request.confirmed = 1;
    request.doneText = L"Renamed.";
    request.afterSave = [&](std::wstring&, bool failed, std::wstring&) { failedSeen = failed; };
    {
        ChangeLogHeld held;
        REQUIRE(held.Holds());
        SaveChanges(SaveFixture::Host, nullptr, request);
    }
    CHECK(f.Lines(3) == L"Two=C:\\p\\1.wfx\n");
    CHECK((CountPendingChanges() == 0 && !failedSeen));
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0] == L"Renamed.\n\n" + ChangeLogHeld::Note());
}

namespace {

// Lister entries first..last, each with a detect string, numbered from number on.
std::wstring ListerLines(int first, int last, int number, const std::wstring& end = L"\n") {
    std::wstring lines;
    for (int n = first; n <= last; ++n, ++number) {
        std::wstring e = std::to_wstring(n), at = std::to_wstring(number);
        lines += at + L"=C:\\p\\e" + e + L".wlx" + end + at + L"_detect=\"EXT=\"E" + e + L"\"\"" + end;
    }
    return lines;
}

}  // namespace

TEST_CASE("a long renumbering tells the window of every write, planned in advance, and the file is as before") {
    SaveFixture f(L"save_progress", L"[ListerPlugins]\r\n" + ListerLines(1, 40, 1, L"\r\n"));
    std::vector<std::pair<int, int>> reports;
    bool reportedOutsideWrites = false;
    SaveFixture::Host.progress = [&](int done, int total) {
        reports.push_back({done, total});
        reportedOutsideWrites = reportedOutsideWrites || !SaveFixture::Host.writing;
    };
    // Every write reported, in order, against the total planned before the first.
    auto saveReporting = [&] {
        reports.clear();
        FaultyIo io;
        f.Save(io);
        int writes = (int)std::count(io.steps.begin(), io.steps.end(), "write");
        CHECK(writes == 80);  // 39 entries' two keys each at a new number, and the two keys of the last number
        std::vector<std::pair<int, int>> each;
        for (auto report : reports)
            if (report.first > 0 && (each.empty() || each.back() != report)) each.push_back(report);
        REQUIRE(each.size() == (size_t)writes);
        for (int i = 0; i < writes; ++i) CHECK(each[(size_t)i] == std::pair{i + 1, writes});
        CHECK((!reportedOutsideWrites && !SaveFixture::Host.writing));
    };
    const std::wstring original = f.Lines(0);
    PendingEdit& gone = PendingEditFor(f.Entry(0, 1));
    gone.deleted = gone.deactivate = 1;
    saveReporting();
    CHECK(f.Lines(0) == ListerLines(2, 40, 1));

    PendingReactivations.insert(ReadDisabled(0).at(0).key);
    saveReporting();
    CHECK(f.Lines(0) == original);
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 1.", L"Changes saved: 1."});
}

TEST_CASE("the change list names every change, and too long detect strings stop the save") {
    SaveFixture f(L"save_list", Scenario);
    PendingEditFor(f.Entry(0, 2)).deleted = 1;
    PendingOrder& order = PendingOrders[0];
    order.order = {3, 2, 1};
    order.origNames = {{1, L"a"}, {2, L"b"}, {3, L"c"}};
    SaveRun run = BuildSaveRun({KeptEntry{1, L"k", L"C:\\p\\z.wdx", L"z", L"", L"", L"", L"", 2, 0, 0}});
    CHECK(ChangeListText(run) ==
          L"[Lister]  #2  b\r\n  entry is deleted\r\n\r\n"
          L"The numbers in [ListerPlugins] are then assigned again without gaps.\r\n\r\n"
          L"[Lister]  new order:\r\n  #1  ← #3  c\r\n  #2  ← #1  a\r\n"
          L"  TC asks Lister/Content plugins in this order; the first match wins.\r\n\r\n"
          L"[Content]  z\r\n  activated again at its old place #2 (or at the end)\r\n\r\n"
          L"The numbers in [ContentPlugins] are then assigned again without gaps.\r\n\r\n");
    PendingEdit& longer = PendingEditFor(f.Entry(0, 1));
    longer.explicitDetect = 1;
    longer.explicitDetectText = std::wstring(1998, L'x');
    CHECK(TooLongList(BuildSaveRun({})).empty());
    longer.explicitDetectText += L'x';
    std::string bytes = ReadFileBytes(f.tc.ini);
    f.Save();
    CHECK(SaveFixture::Shown[0].ends_with(L"[Lister]  #1  a:  2001\n"));
    CHECK((ReadFileBytes(f.tc.ini) == bytes && CountPendingChanges() == 3));
}
