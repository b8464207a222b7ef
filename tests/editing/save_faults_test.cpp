// A failure at every step of a save, one at a time and from that step on: on a
// real configuration with pending changes of every kind, no plugin line is lost,
// a file left otherwise than before is named in the message, and the message
// counts no change that is not in the file.
#include <regex>

#include "editing/backups.h"
#include "editing_test_util.h"
#include "foundation/ini.h"
#include "foundation/texts.h"

namespace {

const wchar_t* const Sample = L"079-seasongzhang-ConfigFiles.ini";
const wchar_t* const KeptLister = L"C:\\kept\\kept.wlx";
const wchar_t* const KeptFs = L"C:\\kept\\kept.wfx";
constexpr uint32_t AllChanges = 14;

bool HasPath(const std::vector<PlugEntry>& entries, const std::wstring& path) {
    return std::any_of(entries.begin(), entries.end(), [&](const PlugEntry& e) { return StrIEquals(e.path, path); });
}

int FirstAt(const std::vector<PlugEntry>& entries, const std::wstring& name) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (StrIEquals(entries[i].name, name)) return (int)i;
    return INT_MAX;
}

const PlugEntry& Named(const std::vector<PlugEntry>& entries, const std::wstring& name) {
    return entries[(size_t)FirstAt(entries, name)];
}

bool KeptHas(int kind, const std::wstring& path) {
    std::vector<KeptEntry> kept = ReadDisabled(kind);
    return std::any_of(kept.begin(), kept.end(), [&](const KeptEntry& k) { return StrIEquals(k.path, path); });
}

// The pending changes, and what each makes of the section.
struct Changes {
    std::map<std::wstring, std::wstring> newDetect;  // by path
    std::wstring keptFsKey, keptListerKey;

    explicit Changes(SaveFixture& f) {
        std::vector<PlugEntry> lister = LoadPluginSection(KindLister).entries;
        PendingEdit& exts = PendingEditFor(Named(lister, L"excellence"));
        exts.addedExts = {L"ODS"};
        exts.removedExts = {L"CSV"};
        PendingEdit& detect = PendingEditFor(Named(lister, L"LinkInfo"));
        detect.explicitDetect = 1;
        detect.explicitDetectText = LR"(force | ext="LNK" | ext="URL")";
        for (const PendingEdit* e : {&exts, &detect}) newDetect[e->origPath] = ComposeDetectString(*e);
        PendingEdit& off = PendingEditFor(Named(lister, L"pdfview"));
        off.deleted = off.deactivate = 1;
        PendingEditFor(Named(lister, L"HTMLView")).deleted = 1;
        PendingOrder& order = PendingOrders[KindLister];
        order.order = {1, 0, 2, 3, 4, 5};
        for (const PlugEntry& e : lister) {
            order.origPaths[e.number] = e.path;
            order.origNames[e.number] = e.name;
        }
        PendingEditFor(f.Entry(KindContent, 1)).deleted = 1;
        GetPlugState(KindPacker, L"7z", L"223,C:\\totalcmd\\plugins\\wcx\\7zip\\7zip.wcx", L"7zip").curValue =
            L"95,C:\\totalcmd\\plugins\\wcx\\7zip\\7zip.wcx";
        for (const wchar_t* ext : {L"iso", L"nrg"}) {
            PlugState& s = GetPlugState(KindPacker, ext, L"192,C:\\totalcmd\\plugins\\wcx\\ISO\\iso.wcx", L"iso");
            s.deleted = s.deactivate = 1;
        }
        GetPlugState(KindPacker, L"tio", L"23,C:\\totalcmd\\plugins\\wcx\\TotalISO\\TotalISO.wcx", L"TotalISO").deleted = 1;
        GetPlugState(KindFileSystem, L"Registry", L"C:\\totalcmd\\plugins\\wfx\\Registry\\Registry.wfx", L"Registry")
            .curKey = L"Registry Editor";
        PlugState& fsOff = GetPlugState(KindFileSystem, L"UnInstaller", L"C:\\totalcmd\\plugins\\wfx\\Uninstall\\UnInstTC.wfx",
                                        L"UnInstaller");
        fsOff.deleted = fsOff.deactivate = 1;
        keptListerKey = *WriteDisabledEntry(KeptEntry{0, L"", KeptLister, L"kept", L"EXT=\"KEPT\"", L"", L"", L"", 2, 1, 0});
        keptFsKey = *WriteDisabledEntry(KeptEntry{3, L"", KeptFs, L"Kept FS", L"", L"", L"Kept FS", L"", -1, 0, 0});
        PendingReactivations = {keptListerKey, keptFsKey};
        REQUIRE(CountPendingChanges() == AllChanges);
    }

    // How many of the changes the file holds.
    int Landed(const std::wstring& ini) const {
        std::vector<PlugEntry> lister = LoadPluginSection(KindLister).entries;
        auto detectOf = [&](const wchar_t* name) { return Named(lister, name).detectText; };
        auto line = [&](const wchar_t* section, const wchar_t* key) { return IniGetString(ini, section, key); };
        std::wstring excellence = L"C:\\totalcmd\\plugins\\wlx\\Excellence\\excellence.wlx";
        std::wstring linkInfo = L"C:\\totalcmd\\plugins\\wlx\\LinkInfo\\LinkInfo.wlx";
        bool landed[] = {
            detectOf(L"excellence") == newDetect.at(excellence),
            detectOf(L"LinkInfo") == newDetect.at(linkInfo),
            FirstAt(lister, L"pdfview") == INT_MAX,
            FirstAt(lister, L"HTMLView") == INT_MAX,
            FirstAt(lister, L"excellence") < FirstAt(lister, L"visualdirsize"),
            HasPath(lister, KeptLister),
            !HasPath(LoadPluginSection(KindContent).entries, L"C:\\totalcmd\\plugins\\wdx\\DirSizeCalc\\DirSizeCalc.wdx"),
            line(L"PackerPlugins", L"7z").starts_with(L"95,"),
            line(L"PackerPlugins", L"iso").empty(),
            line(L"PackerPlugins", L"nrg").empty(),
            line(L"PackerPlugins", L"tio").empty(),
            !line(L"FileSystemPlugins", L"Registry Editor").empty(),
            line(L"FileSystemPlugins", L"UnInstaller").empty(),
            !line(L"FileSystemPlugins", L"Kept FS").empty(),
        };
        return (int)std::count(std::begin(landed), std::end(landed), true);
    }
};

// The user asked the entry out of its numbered section: deleted, or deactivated and kept.
bool AskedAway(const std::wstring& path) {
    for (const wchar_t* gone : {L"C:\\totalcmd\\plugins\\wlx\\HTMLView\\HTMLView.wlx",
                                L"C:\\totalcmd\\plugins\\wdx\\DirSizeCalc\\DirSizeCalc.wdx"})
        if (StrIEquals(path, gone)) return true;
    return StrIEquals(path, L"C:\\totalcmd\\plugins\\wlx\\wlx_pdfview\\pdfview.wlx") && KeptHas(KindLister, path);
}

bool LineAsked(int kind, const std::wstring& key, const std::wstring& value, const std::wstring& ini) {
    std::wstring path = StrTrim(value.substr(value.find(L',') + 1));
    if (kind == KindPacker)
        return StrIEquals(key, L"7z") || StrIEquals(key, L"tio") ||
               ((StrIEquals(key, L"iso") || StrIEquals(key, L"nrg")) && KeptHas(KindPacker, path));
    return (StrIEquals(key, L"Registry") && !IniGetString(ini, L"FileSystemPlugins", L"Registry Editor").empty()) ||
           (StrIEquals(key, L"UnInstaller") && KeptHas(KindFileSystem, path));
}

// Every plugin line of the file before is still in it, or kept, or went at the user's request.
void CheckNothingLost(const std::wstring& ini, const IniSections& before, const Changes& changes) {
    for (const auto& [name, lines] : before) {
        int kind = -1;
        for (int k = 0; k < 4; ++k)
            if (StrIEquals(name, PlugSectionName(k))) kind = k;
        IniPairs now = ReadIniSection(ini, name);
        std::vector<PlugEntry> entries = kind >= 0 ? LoadPluginSection(kind).entries : std::vector<PlugEntry>{};
        for (const auto& [key, value] : lines) {
            CAPTURE(name);
            CAPTURE(key);
            long number;
            std::wstring rest;
            bool numbered = kind >= 0 && kind <= KindContent && EntryKeyNumber(key, number, rest);
            bool there = std::any_of(now.begin(), now.end(), [&](const auto& l) {
                long n2;
                std::wstring rest2;
                return StrTrim(l.second) == StrTrim(value) &&
                       (numbered ? EntryKeyNumber(l.first, n2, rest2) && StrIEquals(rest2, rest) : StrIEquals(l.first, key));
            });
            if (there || kind < 0) {
                CHECK(there);
                continue;
            }
            if (!numbered) {
                CHECK(LineAsked(kind, key, value, ini));
                continue;
            }
            auto pathLine = std::find_if(lines.begin(), lines.end(),
                                         [&](const auto& l) { return l.first == std::to_wstring(number); });
            std::wstring path = pathLine == lines.end() ? L"" : StrTrim(pathLine->second);
            bool edited = StrIEquals(rest, L"_detect") && changes.newDetect.count(path) && HasPath(entries, path);
            CHECK((AskedAway(path) || edited));
        }
    }
    CHECK((HasPath(LoadPluginSection(KindLister).entries, KeptLister) || KeptHas(KindLister, KeptLister)));
    CHECK((!IniGetString(ini, L"FileSystemPlugins", L"Kept FS").empty() || KeptHas(KindFileSystem, KeptFs)));
}

std::set<std::wstring> BackupPaths(const std::wstring& ini) {
    std::set<std::wstring> paths;
    for (const BackupFile& b : BackupsOf(ini)) paths.insert(b.path);
    return paths;
}

// The count of "Changes saved: n.", or -1 when the message is another.
int Reported(const std::wstring& message) {
    std::wsmatch m;
    static const std::wregex saved(L"^Changes saved: (\\d+)\\.");
    return std::regex_search(message, m, saved) ? std::stoi(m[1].str()) : -1;
}

}  // namespace

TEST_CASE("a failure at any step of a save loses no entry and reports only what is in the file") {
    RemoveTree(BackupsFolder());
    SaveFixture f(L"save_inject", L"");
    const std::string original = ReadFileBytes(PathJoin(CorpusDir(), Sample));
    REQUIRE_FALSE(original.empty());
    auto run = [&](FaultyIo& io) {
        WriteFileBytes(f.tc.ini, original);
        DiscardPending();
        ClearOwnSection(L"Disabled");
        SaveFixture::Shown.clear();
        DeleteFileW(ChangeLogPath().c_str());
        Changes changes(f);
        IniSections before = ReadIniFile(f.tc.ini);
        std::set<std::wstring> oldBackups = BackupPaths(f.tc.ini);
        io.tcRuns = true;
        f.Save(io);
        REQUIRE(SaveFixture::Shown.size() == 1);
        const std::wstring& message = SaveFixture::Shown[0];
        CAPTURE(message);
        int reported = Reported(message);
        int landed = changes.Landed(f.tc.ini);
        bool same = ReadFileBytes(f.tc.ini) == original;
        // Each change counted has its line in the change log.
        std::string log = ReadFileBytes(ChangeLogPath());
        CHECK(std::count(log.begin(), log.end(), '\n') >= std::max(reported, 0));
        CheckNothingLost(f.tc.ini, before, changes);
        // A file written has a backup of this save, equal to it as it was.
        int backups = 0;
        for (const std::wstring& path : BackupPaths(f.tc.ini))
            if (!oldBackups.count(path)) backups += ReadFileBytes(path) == original ? 1 : 100;
        CHECK(backups <= 1);
        CHECK((same || backups == 1));
        if (reported < 0) {
            CHECK(message == Tr("err_tcclose"));
            CHECK((same && CountPendingChanges() == AllChanges));
        } else if (io.onward) {
            CHECK(reported <= landed);
            CHECK((same || reported > 0 || message.find(Tr("err_restore_hint")) != std::wstring::npos));
        } else {
            CHECK(reported == landed);
            CHECK((same || reported > 0));
        }
        if (message.find(Tr("err_backup")) != std::wstring::npos) CHECK(CountPendingChanges() == AllChanges);
        return reported;
    };
    FaultyIo counting;
    CHECK(run(counting) == (int)AllChanges);
    int points = (int)counting.steps.size();
    std::map<std::string, int> kinds;
    for (const std::string& kind : counting.steps) ++kinds[kind];
    MESSAGE("injection points: " << points << " (close " << kinds["close"] << ", backup " << kinds["backup"]
                                 << ", kept " << kinds["kept"] << ", write " << kinds["write"] << ", read "
                                 << kinds["read"] << ")");
    CHECK(points > 40);
    for (bool onward : {false, true})
        for (int step = 0; step < points; ++step) {
            CAPTURE(onward);
            CAPTURE(step);
            CAPTURE(counting.steps[(size_t)step]);
            FaultyIo io;
            io.failAt = step;
            io.onward = onward;
            run(io);
        }
    RemoveTree(BackupsFolder());
}

TEST_CASE("a save of which nothing stands leaves the file byte for byte as it was, or says to check it") {
    SaveFixture f(L"save_bytes", L"");
    const std::string original = ReadFileBytes(PathJoin(CorpusDir(), Sample));
    for (bool replaceFails : {false, true}) {
        CAPTURE(replaceFails);
        WriteFileBytes(f.tc.ini, original);
        DiscardPending();
        SaveFixture::Shown.clear();
        PendingEditFor(Named(LoadPluginSection(KindLister).entries, L"HTMLView")).deleted = 1;
        FaultyIo io;
        io.onlyKind = "read";
        io.failAt = 1;  // the read-back after the writes: they are taken back
        if (replaceFails) io.alsoKind = "replace";
        f.Save(io);
        REQUIRE(SaveFixture::Shown.size() == 1);
        const std::wstring& message = SaveFixture::Shown[0];
        CAPTURE(message);
        CHECK(message.starts_with(L"Changes saved: 0.\n\n"));
        CHECK(ReadIniFile(f.tc.ini) == ParseIniText(Utf8ToWide(original)));
        if (!replaceFails) CHECK(ReadFileBytes(f.tc.ini) == original);
        else if (ReadFileBytes(f.tc.ini) != original) CHECK(message.find(Tr("err_restore_hint")) != std::wstring::npos);
    }
}
