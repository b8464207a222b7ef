// A failure at every step of a save, one at a time and from that step on, and
// steps that report the opposite of what they did: on a real configuration with
// pending changes of every kind, spread over three files, each plugin keeps its
// own detect string, its order and its kind, nothing appears that was not asked
// for, a file left otherwise than before is named in the message, and the message
// counts no change that is not in the file. A file that holds none of the changes
// reads as it did, lines in their order. Every run, also one that ends asking to
// check the file, keeps the sections no change touches, the order of the lines
// TC lists in it, and every line but those a change it reports altered or removed.
#include <functional>
#include <regex>

#include "analyses/lister_check.h"
#include "editing/backups.h"
#include "editing/lister_actions.h"
#include "editing/save_writers.h"
#include "editing_test_util.h"
#include "foundation/encoding.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_keys.h"

namespace {

const wchar_t* const Sample = L"079-seasongzhang-ConfigFiles.ini";
const wchar_t* const KeptLister = L"C:\\kept\\kept.wlx";
const wchar_t* const KeptFs = L"C:\\kept\\kept.wfx";
const wchar_t* const IsoPath = L"C:\\totalcmd\\plugins\\wcx\\ISO\\iso.wcx";
const wchar_t* const InstalledWlx = L"C:\\new\\new.wlx";
const wchar_t* const InstalledWcx = L"C:\\new\\new.wcx";
const wchar_t* const Stray = L"junk";
const wchar_t* const Orphan = L"Orphan";
const std::wstring Wlx = L"C:\\totalcmd\\plugins\\wlx\\";
const std::wstring NewVisualPath = L"C:\\moved\\visualdirsize.wlx";

bool Has(const std::vector<std::wstring>& list, const std::wstring& item) {
    return std::any_of(list.begin(), list.end(), [&](const std::wstring& x) { return StrIEquals(x, item); });
}

const PlugEntry& Named(const std::vector<PlugEntry>& entries, const std::wstring& name) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const PlugEntry& e) { return StrIEquals(e.name, name); });
    REQUIRE(it != entries.end());
    return *it;
}

// A kept line holds the Packer extension or File-system name, or the Lister path.
bool KeptHolds(int kind, const std::wstring& what) {
    for (const KeptEntry& k : ReadDisabled(kind)) {
        if (kind == KindPacker && (L";" + StrLower(k.packerExts)).find(L";" + StrLower(what) + L":") != std::wstring::npos)
            return true;
        if (kind == KindFileSystem && StrIEquals(k.fsName, what)) return true;
        if (kind <= KindContent && StrIEquals(k.path, what)) return true;
    }
    return false;
}

std::wstring PathOf(const IniUnit& entry) {
    auto path = entry.find(L"");
    return path == entry.end() ? L"" : path->second;
}

// An entry's keys but its path.
IniUnit RestOf(IniUnit entry) {
    entry.erase(L"");
    return entry;
}

// The three files of the save and what each held before.
struct Files {
    std::wstring ini, fs, plugin;  // wincmd.ini, its redirected [FileSystemPlugins], a plugin's own INI
    std::string iniBytes, fsBytes, pluginBytes;

    explicit Files(SaveFixture& f) : ini(f.tc.ini), fs(f.tc / L"fsplugins.ini"), plugin(f.tc / L"plugin.ini") {
        std::string text = ReadFileBytes(PathJoin(CorpusDir(), Sample));
        REQUIRE_FALSE(text.empty());
        size_t head = text.find("[FileSystemPlugins]");
        size_t body = text.find('\n', head) + 1, end = text.find("\n[", body) + 1;
        fsBytes = "[FileSystemPlugins]\r\n" + text.substr(body, end - body);
        text.replace(body, end - body, "RedirectSection=fsplugins.ini\r\n");
        size_t content = text.find('\n', text.find("[ContentPlugins]")) + 1;
        text.insert(content, "junk=C:\\old\\junk.wdx\r\n");
        iniBytes = text;
        pluginBytes = "[Orphan]\r\nColor=1\r\n[Kept]\r\nColor=2\r\n";
    }
    void Reset() const {
        WriteFileBytes(ini, iniBytes);
        WriteFileBytes(fs, fsBytes);
        WriteFileBytes(plugin, pluginBytes);
    }
    bool Unchanged() const {
        return ReadFileBytes(ini) == iniBytes && ReadFileBytes(fs) == fsBytes && ReadFileBytes(plugin) == pluginBytes;
    }
};

// What a line section may hold for a key: its value before, or the one asked for.
struct LineRule {
    std::vector<std::wstring> values;  // allowed values; the first is the value before ("" when new)
    bool mayGo = false;                // may be missing: deleted, or kept when kept holds it
    bool kept = false;                 // missing only while kept holds it
};

// The pending changes of every kind, what each makes of the files, and the checks.
struct World {
    const Files& files;
    std::map<std::wstring, std::wstring> newDetect;  // by entry path: the quoted new value, "" for none
    std::vector<std::wstring> listerOrder, newOrder;  // entry paths before, and as asked
    std::vector<IniUnit> listerBefore, contentBefore;
    std::map<std::wstring, LineRule> packer, fs;      // by lower-cased key
    bool install = false;
    uint32_t pending = 0;
    // The change-log line of each change that alters or removes a line, by the
    // section and an entry's path or a line's key, lower-cased, as "section|key".
    struct LogLine {
        int kind;
        std::wstring name, text;  // text: the line's text, or how it begins
    };
    std::map<std::wstring, LogLine> changes;

    void Note(const wchar_t* section, const std::wstring& key, int kind, const std::wstring& name, const std::wstring& text) {
        changes[StrLower(section + (L"|" + key))] = {kind, name, text};
    }
    void Note(const PendingEdit& e, const char* text) {
        Note(PlugSectionName((int)e.kind), e.origPath, (int)e.kind, e.name, TextLead(text));
    }
    bool Reported(const std::wstring& section, const IniUnit& unit) const {
        auto change = changes.find(section + L"|" + (unit.count(L"") ? StrLower(PathOf(unit)) : unit.begin()->first));
        return change != changes.end() && ChangeLogged(change->second.kind, change->second.name, change->second.text);
    }

    World(SaveFixture& f, const Files& fl, bool withInstall) : files(fl), install(withInstall) {
        std::vector<PlugEntry> lister = LoadPluginSection(KindLister).entries;
        PendingEdit& exts = PendingEditFor(Named(lister, L"excellence"));
        exts.addedExts = {L"ODS"};
        exts.removedExts = {L"CSV"};
        PendingEdit& detect = PendingEditFor(Named(lister, L"LinkInfo"));
        detect.explicitDetect = 1;
        detect.explicitDetectText = LR"(force | ext="LNK" | ext="URL")";
        for (const PendingEdit* e : {&exts, &detect}) newDetect[StrLower(e->origPath)] = Quote(ComposeDetectString(*e));
        PendingEdit& noDetect = PendingEditFor(Named(lister, L"Imagine"));
        noDetect.explicitDetect = 1;
        newDetect[StrLower(noDetect.origPath)] = L"";
        PendingEdit& moved = PendingEditFor(Named(lister, L"visualdirsize"));
        moved.pathChanged = 1;
        moved.newPath = NewVisualPath;
        PendingEdit& off = PendingEditFor(Named(lister, L"pdfview"));
        off.deleted = off.deactivate = 1;
        PendingEdit& gone = PendingEditFor(Named(lister, L"HTMLView"));
        gone.deleted = 1;
        for (const auto& [e, text] : {std::pair{&exts, "log_saved"}, {&detect, "log_saved"}, {&noDetect, "log_nodetect"},
                                      {&moved, "log_path"}, {&off, "log_disabled"}, {&gone, "log_deleted"}})
            Note(*e, text);
        PendingOrder& order = PendingOrders[KindLister];
        order.order = {1, 0, 2, 3, 4, 5};
        for (const PlugEntry& e : lister) {
            order.origPaths[e.number] = e.path;
            order.origNames[e.number] = e.name;
            listerOrder.push_back(StrLower(e.path));
        }
        for (int n : order.order) newOrder.push_back(listerOrder[(size_t)n]);
        PendingEdit& contentGone = PendingEditFor(f.Entry(KindContent, 1));
        contentGone.deleted = 1;
        Note(contentGone, "log_deleted");
        MarkLines();
        listerBefore = NumberedEntries(ReadIniSection(files.ini, L"ListerPlugins"));
        contentBefore = NumberedEntries(ReadIniSection(files.ini, L"ContentPlugins"));
        PendingReactivations = {
            *WriteDisabledEntry(KeptEntry{0, L"", KeptLister, L"kept", L"EXT=\"KEPT\"", L"", L"", L"", 2, 1, 0}),
            *WriteDisabledEntry(KeptEntry{3, L"", KeptFs, L"Kept FS", L"", L"", L"Kept FS", L"", -1, 0, 0}),
            // Its library loses two lines to the Disabled section in the same save.
            *WriteDisabledEntry(KeptEntry{2, L"", IsoPath, L"iso", L"", L"cue:192", L"", L"", -1, 0, 0})};
        pending = CountPendingChanges();
        REQUIRE(pending == 19);
    }

    void MarkLines() {
        auto mark = [](int kind, const std::wstring& key, const std::wstring& value, const std::wstring& name) -> PlugState& {
            return GetPlugState(kind, key, value, name);
        };
        const std::wstring wcx = L"C:\\totalcmd\\plugins\\wcx\\", wfx = L"C:\\totalcmd\\plugins\\wfx\\";
        mark(KindPacker, L"7z", L"223," + wcx + L"7zip\\7zip.wcx", L"7zip").curValue = L"95," + wcx + L"7zip\\7zip.wcx";
        Note(L"PackerPlugins", L"7z", KindPacker, L"7zip", TextLead("log_entry_changed"));
        for (const wchar_t* ext : {L"iso", L"nrg"}) {
            PlugState& s = mark(KindPacker, ext, L"192," + std::wstring(IsoPath), L"iso");
            s.deleted = s.deactivate = 1;
            Note(L"PackerPlugins", ext, KindPacker, L"iso", FillVar(Tr("log_disabled"), L"n", ext));
        }
        mark(KindPacker, L"tio", L"23," + wcx + L"TotalISO\\TotalISO.wcx", L"TotalISO").deleted = 1;
        Note(L"PackerPlugins", L"tio", KindPacker, L"TotalISO", FillVar(Tr("log_deleted"), L"n", L"tio"));
        mark(KindFileSystem, L"Registry", wfx + L"Registry\\Registry.wfx", L"Registry").curKey = L"Registry Editor";
        Note(L"FileSystemPlugins", L"Registry", KindFileSystem, L"Registry", TextLead("log_entry_changed"));
        PlugState& fsOff = mark(KindFileSystem, L"UnInstaller", wfx + L"Uninstall\\UnInstTC.wfx", L"UnInstaller");
        fsOff.deleted = fsOff.deactivate = 1;
        Note(L"FileSystemPlugins", L"UnInstaller", KindFileSystem, L"UnInstaller", FillVar(Tr("log_disabled"), L"n", L"UnInstaller"));
        PlugState stray;
        stray.kind = KindContent;
        stray.strayLine = stray.deleted = 1;
        stray.origKey = stray.curKey = stray.name = Stray;
        stray.origValue = stray.curValue = L"C:\\old\\junk.wdx";
        PlugStates[MakePlugKey(KindContent, true, Stray)] = stray;
        Note(L"ContentPlugins", Stray, KindContent, Stray, FillVar(Tr("log_deleted"), L"n", L"wincmd.ini: " + std::wstring(Stray)));
        PlugState whole = stray;
        whole.kind = KindLister;
        whole.origKey = whole.curKey = whole.name = Orphan;
        whole.origValue = whole.curValue = L"";
        whole.wholeSection = 1;
        whole.sectionIniPath = files.plugin;
        PlugStates[MakePlugKey(KindLister, true, L"[" + files.plugin + L"]" + Orphan)] = whole;
        Note(Orphan, L"Color", KindLister, L"plugin.ini", FillVar(Tr("log_delsection"), L"s", Orphan));

        for (const auto& [key, value] : ReadIniSection(files.ini, L"PackerPlugins")) packer[StrLower(key)] = {{StrTrim(value)}};
        packer[L"7z"].values.push_back(L"95," + wcx + L"7zip\\7zip.wcx");
        packer[L"iso"].mayGo = packer[L"iso"].kept = packer[L"nrg"].mayGo = packer[L"nrg"].kept = true;
        packer[L"tio"].mayGo = true;
        packer[L"cue"] = {{L"", L"192," + std::wstring(IsoPath)}, true, true};
        if (install) packer[L"new"] = {{L"", L"95," + std::wstring(InstalledWcx)}, true};
        for (const auto& [key, value] : ReadIniSection(files.fs, L"FileSystemPlugins")) fs[StrLower(key)] = {{StrTrim(value)}};
        fs[L"registry"].mayGo = true;
        fs[L"registry editor"] = {{L"", fs[L"registry"].values[0]}, true};
        fs[L"uninstaller"].mayGo = fs[L"uninstaller"].kept = true;
        fs[L"kept fs"] = {{L"", KeptFs}, true, true};
    }

    std::vector<KeptEntry> NewEntries() const {
        if (!install) return {};
        return {KeptEntry{0, L"install|" + std::wstring(InstalledWlx), InstalledWlx, L"new", L"EXT=\"NEW\"", L"", L"", L"", 1, 1, 1},
                KeptEntry{2, L"install|" + std::wstring(InstalledWcx), InstalledWcx, L"new", L"", L"new:95", L"", L"", -1, 0, 1}};
    }

    // Each entry of the section is one the section held, with its own keys (the
    // detect string its own or the one asked for), or one asked into it; none
    // stands twice; those that were there keep their order, or take the one asked
    // for; one that went was asked away.
    // settled: the message does not ask to check the file, which a failure may
    // have left halfway, with an entry at its old place and at its new one.
    void CheckNumbered(int kind, const std::vector<IniUnit>& before, const std::vector<std::wstring>& order,
                       const std::map<std::wstring, std::wstring>& added, bool settled) const {
        IniPairs others, othersBefore;
        std::vector<IniUnit> now = NumberedEntries(ReadIniSection(files.ini, PlugSectionName(kind)), &others);
        NumberedEntries(*IniFindSection(ParseIniText(Utf8ToWide(files.iniBytes)), PlugSectionName(kind)), &othersBefore);
        std::set<std::wstring> seen;
        std::vector<std::wstring> sequence;
        for (const IniUnit& e : now) {
            CAPTURE(PathOf(e));
            std::wstring path = StrLower(PathOf(e));
            if (path == StrLower(NewVisualPath)) path = StrLower(Wlx + L"VisualDirSize\\visualdirsize.wlx");
            bool first = seen.insert(path).second;
            CHECK((first || !settled));
            auto was = std::find_if(before.begin(), before.end(), [&](const IniUnit& b) { return StrIEquals(PathOf(b), path); });
            if (was == before.end()) {
                // A half-moved entry may leave keys without a path behind, under a message to check the file.
                if (path.empty() && !settled) continue;
                auto asked = added.find(path);
                CHECK_MESSAGE(asked != added.end(), "appeared");
                if (settled && asked != added.end()) CHECK(RestOf(e) == IniUnit{{L"_detect", asked->second}});
                continue;
            }
            if (!settled) continue;
            sequence.push_back(path);
            IniUnit rest = RestOf(e), restBefore = RestOf(*was);
            auto asked = newDetect.find(path);
            std::wstring detect = rest.count(L"_detect") ? rest.at(L"_detect") : L"";
            if (asked != newDetect.end() && detect == asked->second) rest.erase(L"_detect"), restBefore.erase(L"_detect");
            CHECK(rest == restBefore);
        }
        for (const IniUnit& b : before)
            if (!seen.count(StrLower(PathOf(b)))) {
                CAPTURE(PathOf(b));
                CHECK((StrIEquals(PathOf(b), Wlx + L"HTMLView\\HTMLView.wlx") ||
                       StrIEquals(PathOf(b), L"C:\\totalcmd\\plugins\\wdx\\DirSizeCalc\\DirSizeCalc.wdx") ||
                       (StrIEquals(PathOf(b), Wlx + L"wlx_pdfview\\pdfview.wlx") && KeptHolds(KindLister, PathOf(b)))));
            }
        for (const auto& [path, detect] : added)
            if (!seen.count(path)) CHECK((KeptHolds(kind, path) || path == StrLower(InstalledWlx)));
        auto kept = [&](std::vector<std::wstring> list) {
            std::erase_if(list, [&](const std::wstring& p) { return !Has(sequence, p); });
            return list;
        };
        if (settled) CHECK((sequence == kept(order) || (kind == KindLister && sequence == kept(newOrder))));
        // The section's other lines: the stray one may go, nothing else changes.
        std::erase_if(othersBefore, [&](const auto& l) { return StrIEquals(l.first, Stray) && !KvFindNoCase(others, Stray); });
        CHECK(others == othersBefore);
    }

    void CheckLines(const std::wstring& file, const wchar_t* section, int kind,
                    const std::map<std::wstring, LineRule>& rules, bool settled) const {
        std::set<std::wstring> seen;
        for (const auto& [key, value] : ReadIniSection(file, section)) {
            CAPTURE(key);
            CAPTURE(value);
            CHECK(seen.insert(StrLower(key)).second);
            auto rule = rules.find(StrLower(key));
            CHECK_MESSAGE(rule != rules.end(), "appeared");
            if (rule == rules.end()) continue;
            CHECK((Has(rule->second.values, StrTrim(value)) && !StrTrim(value).empty()));
            CHECK_FALSE((rule->second.kept && KeptHolds(kind, key) && StrTrim(value) != L""));
        }
        for (const auto& [key, rule] : rules) {
            if (seen.count(key)) continue;
            CAPTURE(key);
            bool wasThere = !rule.values[0].empty();
            CHECK((rule.mayGo || !wasThere));
            if (rule.kept) CHECK(KeptHolds(kind, key));
        }
        size_t registry = seen.count(L"registry") + seen.count(L"registry editor");
        if (kind == KindFileSystem) CHECK((registry == 1 || (registry == 2 && !settled)));
    }

    // In every file the sections no change touches as they were, no line lost but
    // those a reported change altered or removed, and the entries and lines that TC
    // reads in order in their order (the Lister entries take the one asked, checked above).
    void CheckBounds() const {
        auto reported = [this](const std::wstring& section, const IniUnit& unit) { return Reported(section, unit); };
        auto before = [](const std::string& bytes) { return ParseIniText(Utf8ToWide(bytes)); };
        CheckSaveBounds({before(files.iniBytes), {L"listerplugins", L"contentplugins", L"packerplugins"},
                         {L"listerplugins", L"contentplugins"}, {L"contentplugins", L"packerplugins"}, reported},
                        ReadIniFile(files.ini));
        CheckSaveBounds({before(files.fsBytes), {L"filesystemplugins"}, {}, {L"filesystemplugins"}, reported}, ReadIniFile(files.fs));
        CheckSaveBounds({before(files.pluginBytes), {StrLower(Orphan)}, {}, {}, reported}, ReadIniFile(files.plugin));
    }

    void CheckIdentity(bool settled) const {
        std::map<std::wstring, std::wstring> addedLister{{StrLower(KeptLister), L"\"EXT=\"KEPT\"\""}};
        if (install) addedLister[StrLower(InstalledWlx)] = L"\"EXT=\"NEW\"\"";
        CheckNumbered(KindLister, listerBefore, listerOrder, addedLister, settled);
        std::vector<std::wstring> contentOrder;
        for (const IniUnit& e : contentBefore) contentOrder.push_back(StrLower(PathOf(e)));
        CheckNumbered(KindContent, contentBefore, contentOrder, {}, settled);
        CheckLines(files.ini, L"PackerPlugins", KindPacker, packer, settled);
        CheckLines(files.fs, L"FileSystemPlugins", KindFileSystem, fs, settled);
        CheckBounds();
    }

    // How many of the changes each file holds.
    std::map<std::wstring, int> LandedByFile() const {
        std::vector<IniUnit> lister = NumberedEntries(ReadIniSection(files.ini, L"ListerPlugins"));
        std::vector<IniUnit> content = NumberedEntries(ReadIniSection(files.ini, L"ContentPlugins"));
        auto at = [&](const std::wstring& path) {
            for (size_t i = 0; i < lister.size(); ++i)
                if (StrIEquals(PathOf(lister[i]), path)) return (int)i;
            return -1;
        };
        auto detectOf = [&](const std::wstring& path) {
            int i = at(path);
            return i < 0 ? L"?" : lister[(size_t)i][L"_detect"];
        };
        auto line = [&](const std::wstring& file, const wchar_t* section, const wchar_t* key) {
            auto got = KvFindNoCase(ReadIniSection(file, section), key);
            return got ? StrTrim(got->second) : L"";
        };
        std::wstring excellence = Wlx + L"Excellence\\excellence.wlx", linkInfo = Wlx + L"LinkInfo\\LinkInfo.wlx";
        const std::pair<std::wstring, bool> landed[] = {
            {files.ini, detectOf(excellence) == newDetect.at(StrLower(excellence))},
            {files.ini, detectOf(linkInfo) == newDetect.at(StrLower(linkInfo))},
            {files.ini, detectOf(Wlx + L"Imagine\\Imagine.wlx").empty()},
            {files.ini, at(NewVisualPath) >= 0},
            {files.ini, at(Wlx + L"wlx_pdfview\\pdfview.wlx") < 0},
            {files.ini, at(Wlx + L"HTMLView\\HTMLView.wlx") < 0},
            {files.ini, at(excellence) < std::max(at(NewVisualPath), at(Wlx + L"VisualDirSize\\visualdirsize.wlx"))},
            {files.ini, at(KeptLister) >= 0},
            {files.ini, std::none_of(content.begin(), content.end(), [](const IniUnit& e) { return PathOf(e).find(L"DirSizeCalc") != std::wstring::npos; })},
            {files.ini, line(files.ini, L"ContentPlugins", Stray).empty()},
            {files.ini, line(files.ini, L"PackerPlugins", L"7z").starts_with(L"95,")},
            {files.ini, line(files.ini, L"PackerPlugins", L"iso").empty()},
            {files.ini, line(files.ini, L"PackerPlugins", L"nrg").empty()},
            {files.ini, line(files.ini, L"PackerPlugins", L"tio").empty()},
            {files.ini, !line(files.ini, L"PackerPlugins", L"cue").empty()},
            {files.fs, !line(files.fs, L"FileSystemPlugins", L"Registry Editor").empty()},
            {files.fs, line(files.fs, L"FileSystemPlugins", L"UnInstaller").empty()},
            {files.fs, !line(files.fs, L"FileSystemPlugins", L"Kept FS").empty()},
            {files.plugin, !IniHasSection(files.plugin, Orphan)},
            {files.ini, install && at(InstalledWlx) >= 0},
            {files.ini, install && !line(files.ini, L"PackerPlugins", L"new").empty()},
        };
        std::map<std::wstring, int> byFile{{files.ini, 0}, {files.fs, 0}, {files.plugin, 0}};
        for (const auto& [file, in] : landed) byFile[file] += in;
        return byFile;
    }
    int Landed() const {
        int all = 0;
        for (const auto& [file, count] : LandedByFile()) all += count;
        return all;
    }
};

std::set<std::wstring> BackupPaths(const std::wstring& file) {
    std::set<std::wstring> paths;
    for (const BackupFile& b : BackupsOf(file)) paths.insert(b.path);
    return paths;
}

// The count of "Changes saved: n.", or -1 when the message is another.
int Reported(const std::wstring& message) {
    std::wsmatch m;
    static const std::wregex saved(L"^Changes saved: (\\d+)\\.");
    return std::regex_search(message, m, saved) ? std::stoi(m[1].str()) : -1;
}

// The changes the message says are still pending; 0 when it says none is.
uint32_t SaidPending(const std::wstring& message) {
    std::wsmatch m;
    static const std::wregex left(L"Nothing was written of (\\d+) change");
    return std::regex_search(message, m, left) ? (uint32_t)std::stoul(m[1].str()) : 0;
}

// How a save of the world ended.
struct Outcome {
    int reported = -1;    // the changes it counted; -1 for another message
    bool strict = false;  // the message does not ask to check the file, so every check held it to the letter
};

// A file that holds none of the changes reads as before, every section in its
// order and each line of a section in its own, but those of the numbered
// sections, which TC reads by number: what a save undid left nothing behind,
// neither a line moved nor one that landed elsewhere in the file.
void CheckUntouchedFiles(const Files& files, const World& world) {
    auto comparable = [](IniSections sections) {
        for (auto& [name, lines] : sections)
            if (StrIEquals(name, L"ListerPlugins") || StrIEquals(name, L"ContentPlugins"))
                std::sort(lines.begin(), lines.end());
        return sections;
    };
    std::map<std::wstring, int> landed = world.LandedByFile();
    for (const auto& [file, bytes] : {std::pair{files.ini, files.iniBytes}, {files.fs, files.fsBytes},
                                      {files.plugin, files.pluginBytes}}) {
        if (landed[file] != 0) continue;
        CAPTURE(file);
        CHECK(comparable(ReadIniFile(file)) == comparable(ParseIniText(Utf8ToWide(bytes))));
    }
}

// One save of the world through the io; the checks every outcome must pass.
Outcome RunWorld(SaveFixture& f, const Files& files, FaultyIo& io, bool install) {
    files.Reset();
    DiscardPending();
    ClearOwnSection(L"Disabled");
    SaveFixture::Shown.clear();
    DeleteFileW(ChangeLogPath().c_str());
    World world(f, files, install);
    std::map<std::wstring, std::set<std::wstring>> oldBackups;
    for (const std::wstring& file : {files.ini, files.fs, files.plugin}) oldBackups[file] = BackupPaths(file);
    io.tcRuns = true;
    SaveRequest request;
    request.confirmed = 1;
    request.newEntries = world.NewEntries();
    SaveChanges(SaveFixture::Host, nullptr, request, io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    const std::wstring& message = SaveFixture::Shown[0];
    CAPTURE(message);
    int reported = Reported(message);
    bool settled = message.find(Tr("err_restore_hint")) == std::wstring::npos;
    world.CheckIdentity(settled);
    if (settled) CheckUntouchedFiles(files, world);
    int landed = world.Landed();
    // Each change counted has its line in the change log.
    std::string log = ReadFileBytes(ChangeLogPath());
    CHECK(std::count(log.begin(), log.end(), '\n') >= std::max(reported, 0));
    // A file written has one backup of this save, equal to it as it was; a file
    // left otherwise than before is named, or the message counts what changed it.
    for (const auto& [file, bytes] : {std::pair{files.ini, files.iniBytes}, {files.fs, files.fsBytes},
                                      {files.plugin, files.pluginBytes}}) {
        CAPTURE(file);
        int backups = 0;
        for (const std::wstring& path : BackupPaths(file))
            if (!oldBackups[file].count(path)) backups += ReadFileBytes(path) == bytes ? 1 : 100;
        bool same = ReadFileBytes(file) == bytes;
        CHECK(backups <= 1);
        CHECK((same || backups == 1));
        CHECK((same || reported > 0 || message.find(Tr("err_restore_hint")) != std::wstring::npos));
    }
    if (reported < 0) {
        CHECK(message == Tr("err_tcclose"));
        CHECK((files.Unchanged() && CountPendingChanges() == world.pending));
    } else if (io.onward) {
        CHECK(reported <= landed);
    } else {
        CHECK(reported == landed);
    }
    if (!install && reported >= 0) CHECK(SaidPending(message) == CountPendingChanges());
    return {reported, settled};
}

}  // namespace

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

namespace {

std::wstring RestoredText() {
    std::wstring text = Tr("err_file_restored");
    return text.substr(0, text.find(L"{b}"));
}

}  // namespace

TEST_CASE("an undo that reports success but leaves the section changed puts the file back from its backup") {
    SaveFixture f(L"save_undo_lies_jürgen", Scenario);  // the backup is found by the folded path, in any alphabet
    const std::string bytes = ReadFileBytes(f.tc.ini);
    MarkEverything(f);
    FaultyIo io;
    io.onlyKind = "write";
    io.failAt = 2;  // within [ListerPlugins]; from there on no write takes effect, though each says it did
    io.onward = true;
    io.mode = "noeffect";
    f.Save(io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    const std::wstring& message = SaveFixture::Shown[0];
    CAPTURE(message);
    CHECK(message.starts_with(L"Changes saved: 0.\n\n" + Tr("err_write") + L" " + f.tc.ini + L"\r\n   " + RestoredText()));
    CHECK(message.find(L"[ListerPlugins] was left as it was.") == std::wstring::npos);
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    CHECK(ReadDisabled(KindLister).empty());
    CHECK(CountPendingChanges() == 6);
}

TEST_CASE("an undo is looked at in the whole file: a line it left elsewhere or moved puts the file back from its backup") {
    const std::wstring ini = L"[FileSystemPlugins]\r\nMyFs=C:\\p\\fs.wfx\r\nOther=C:\\p\\o.wfx\r\n"
                             L"[Configuration]\r\nLanguage=ENG\r\n";
    SaveFixture f(L"save_undo_whole", L"");
    FaultyIo io;
    std::wstring failed;
    SUBCASE("a new key that lands as a section header, as a code page's best fit makes fullwidth brackets") {
        // A file that holds every character lets the name pass; the write lands it as ANSI would.
        // The last line is renamed: its undo leaves the section's lines in their order.
        WriteIniText(f.tc.ini, ini, true);
        GetPlugState(KindFileSystem, L"Other", L"C:\\p\\o.wfx", L"Other").curKey = L"\xFF3B" L"Configuration\xFF3D";
        io.onlyKind = "write";
        io.failAt = 0;
        io.mode = "lookalike";
        failed = L"Other";
    }
    SUBCASE("a line that its undo wrote again behind the others") {
        WriteIniText(f.tc.ini, ini, false);
        PlugState& off = GetPlugState(KindFileSystem, L"MyFs", L"C:\\p\\fs.wfx", L"MyFs");
        off.deleted = 1;
        io.onlyKind = "read";
        io.failAt = 1;  // the read-back after the write
        failed = L"MyFs";
    }
    const std::string bytes = ReadFileBytes(f.tc.ini);
    f.Save(io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    const std::wstring& message = SaveFixture::Shown[0];
    CAPTURE(message);
    CHECK(message.starts_with(L"Changes saved: 0.\n\n" + Tr("err_write") + L" " + failed + L"\r\n   " + RestoredText()));
    CHECK(message.find(FillVar(Tr("err_section_kept"), L"s", L"FileSystemPlugins")) == std::wstring::npos);
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    CHECK(CountPendingChanges() == 1);
}

TEST_CASE("a file that cannot be read equals no other: a put-back or a backup whose two reads fail is none") {
    std::wstring dir = FreshTempDir(L"save_unreadable"), a = PathJoin(dir, L"a.ini"), b = PathJoin(dir, L"b.ini");
    FaultyIo io;
    CHECK_FALSE(SameBytes(a, b));
    CHECK_FALSE(PutBack(io, a, b));  // neither file is there
    WriteFileBytes(a, "[S]\r\n");
    WriteFileBytes(b, "[S]\r\n");
    CHECK(SameBytes(a, b));
    // Both there, neither to be read: the file, and its backup as io made it.
    struct BackupIs : FaultyIo {
        std::wstring copy;
        std::wstring Backup(const std::wstring&, const std::wstring&) override { return copy; }
    } backupIs;
    backupIs.copy = b;
    FileHandle lockA(CreateFileW(a.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    FileHandle lockB(CreateFileW(b.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE((lockA && lockB));
    CHECK_FALSE(SameBytes(a, b));
    CHECK_FALSE(PutBack(io, b, a));
    std::wstring errors, backup;
    CHECK_FALSE(IniPrepareWrite(errors, a, backupIs, backup));
    CHECK(errors == Tr("err_backup") + L" " + a + L"\r\n");
    lockA.Reset();
    lockB.Reset();
    RemoveTree(dir);
}

TEST_CASE("a value that lands with a line break is noticed on reading back, and the file put back") {
    SaveFixture f(L"save_linebreak", Scenario);
    const std::string bytes = ReadFileBytes(f.tc.ini);
    GetPlugState(KindPacker, L"zip", L"279,C:\\p\\zip.wcx", L"zip").curValue = L"283,C:\\p\\zip.wcx";
    FaultyIo io;
    io.onlyKind = "write";
    io.failAt = 0;
    io.mode = "linebreak";
    f.Save(io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    CAPTURE(SaveFixture::Shown[0]);
    CHECK(SaveFixture::Shown[0].starts_with(L"Changes saved: 0.\n\n" + Tr("err_write") + L" zip\r\n   " + RestoredText()));
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    CHECK(CountPendingChanges() == 1);
}

TEST_CASE("a Packer line deactivated into the kept entry activated in the same save stays kept") {
    SaveFixture f(L"save_kept_both", Scenario);
    std::wstring key = *WriteDisabledEntry(KeptEntry{2, L"", L"C:\\p\\zip.wcx", L"zip", L"", L"rar:5", L"", L"", -1, 0, 0});
    PlugState& off = GetPlugState(KindPacker, L"zip", L"279,C:\\p\\zip.wcx", L"zip");
    off.deleted = off.deactivate = 1;
    PendingReactivations = {key};
    f.Save();
    CHECK(f.Lines(KindPacker) == L"jar=279,C:\\p\\zip.wcx\nrar=5,C:\\p\\zip.wcx\n");
    std::vector<KeptEntry> kept = ReadDisabled(KindPacker);
    REQUIRE(kept.size() == 1);
    CHECK(kept[0].packerExts == L"zip:279");
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 2."});
    CHECK(CountPendingChanges() == 0);

    SUBCASE("and comes back with a later activation") {
        PendingReactivations = {kept[0].key};
        f.Save();
        CHECK(f.Lines(KindPacker) == L"jar=279,C:\\p\\zip.wcx\nrar=5,C:\\p\\zip.wcx\nzip=279,C:\\p\\zip.wcx\n");
        CHECK(ReadDisabled(KindPacker).empty());
    }
}

TEST_CASE("a file put back from its backup takes each landed line out of the kept line again, whatever the order") {
    SaveFixture f(L"save_withdraw", Scenario);
    const std::string bytes = ReadFileBytes(f.tc.ini);
    for (const wchar_t* ext : {L"jar", L"zip"}) {
        PlugState& off = GetPlugState(KindPacker, ext, L"279,C:\\p\\zip.wcx", L"zip");
        off.deleted = off.deactivate = 1;
    }
    FaultyIo io;
    io.onlyKind = "read";
    io.failAt = 3;  // zip's read-back, and every read after it: the undo cannot be seen to hold
    io.onward = true;
    f.Save(io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    CAPTURE(SaveFixture::Shown[0]);
    CHECK(SaveFixture::Shown[0].starts_with(L"Changes saved: 0.\n\n" + Tr("err_write") + L" zip\r\n   " + RestoredText()));
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    CHECK(ReadDisabled(KindPacker).empty());
    CHECK(CountPendingChanges() == 2);
}

TEST_CASE("a whole section that stands twice in a plugin's INI is not written, and its deletion stays pending") {
    SaveFixture f(L"save_twice", Scenario);
    std::wstring plugin = f.tc / L"plugin.ini";
    const std::string bytes = "[Orphan]\r\nColor=1\r\n[Other]\r\nColor=2\r\n[orphan]\r\nColor=3\r\n";
    WriteFileBytes(plugin, bytes);
    PlugState whole;
    whole.kind = KindLister;
    whole.strayLine = whole.deleted = whole.wholeSection = 1;
    whole.origKey = whole.curKey = whole.name = L"Orphan";
    whole.sectionIniPath = plugin;
    PlugStates[MakePlugKey(KindLister, true, L"[" + plugin + L"]Orphan")] = whole;
    f.Save();
    CHECK(ReadFileBytes(plugin) == bytes);
    CHECK(SaveFixture::Shown == std::vector<std::wstring>{L"Changes saved: 0.\n\n" +
                                                          FillVar(Tr("err_section_twice"), L"s", L"Orphan") + L" " +
                                                          plugin + L"\r\n" + FillVar(Tr("save_kept_pending"), L"n", L"1") +
                                                          L"\r\n"});
    CHECK(CountPendingChanges() == 1);
}

TEST_CASE("writes that fail from the first on, as to a read-only file, leave every change pending") {
    SaveFixture f(L"save_first_write", Scenario);
    const std::string bytes = ReadFileBytes(f.tc.ini);
    MarkEverything(f);
    FaultyIo io;
    io.onlyKind = "write";
    io.failAt = 0;
    io.onward = true;
    f.Save(io);
    REQUIRE(SaveFixture::Shown.size() == 1);
    CHECK(SaveFixture::Shown[0].starts_with(L"Changes saved: 0.\n\n"));
    CHECK(SaveFixture::Shown[0].ends_with(FillVar(Tr("save_kept_pending"), L"n", L"6") + L"\r\n"));
    CHECK(ReadFileBytes(f.tc.ini) == bytes);
    CHECK(ReadDisabled(KindLister).empty());
    CHECK(ReadDisabled(KindFileSystem).empty());
    CHECK(CountPendingChanges() == 6);
}

namespace {

std::wstring ModesIni(const std::wstring& lister, const std::wstring& modes) {
    return L"[Lister]\r\n" + lister + L"\r\n[ListerModes]\r\n" + modes + L"\r\n[ListerPlugins]\r\n1=C:\\p\\a.wlx\r\n"
           L"5=C:\\p\\img.wlx64\r\n";
}

}  // namespace

TEST_SUITE("inject") {
    TEST_CASE("a failure at any step of a save keeps every plugin as it was or as asked, and reports only what is in the file") {
        RemoveTree(BackupsFolder());
        SaveFixture f(L"save_inject", L"");
        Files files(f);
        for (bool install : {false, true}) {
            CAPTURE(install);
            FaultyIo counting;
            CHECK(RunWorld(f, files, counting, install).reported == (install ? 21 : 19));
            int points = (int)counting.steps.size();
            std::map<std::string, int> kinds;
            for (const std::string& kind : counting.steps) ++kinds[kind];
            MESSAGE("injection points: " << points << " (close " << kinds["close"] << ", backup " << kinds["backup"]
                                         << ", kept " << kinds["kept"] << ", write " << kinds["write"] << ", read "
                                         << kinds["read"] << ", replace " << kinds["replace"] << ")");
            CHECK(points > 60);
            // Every step fails alone, or with every later one; a write or kept line
            // that reports failure takes effect; a write lands a line break.
            std::vector<const char*> modes = {"fail", "onward"};
            if (!install) modes.insert(modes.end(), {"effect", "noeffect", "linebreak"});
            for (const char* mode : modes)
                for (int step = 0; step < points; ++step) {
                    CAPTURE(mode);
                    CAPTURE(step);
                    CAPTURE(counting.steps[(size_t)step]);
                    FaultyIo io;
                    io.failAt = step;
                    io.onward = mode == std::string("onward");
                    io.mode = io.onward ? "fail" : mode;
                    bool settled = RunWorld(f, files, io, install).strict;
                    // One step that fails alone can always be undone, and said so.
                    if (!io.onward) CHECK(settled);
                }
        }
        RemoveTree(BackupsFolder());
    }

    TEST_CASE("the view-mode actions write through the save's steps: at any fault the rules stand as before or as asked") {
        RemoveTree(BackupsFolder());
        struct Action {
            std::wstring before, after;
            std::function<std::wstring()> done;
            std::function<void(FaultyIo&)> run;
        };
        const std::wstring gapRules = L"0exts=*.a\r\n0fields=a.wlx\r\n2exts=*.c\r\n2fields=\"c c.wlx\"\r\n3exts=*.d";
        LvRow row;
        row.state = LvF3;
        row.number = 5;
        row.name = L"img";
        row.path = L"C:\\p\\img.wlx64";
        std::vector<Action> actions = {
            {ModesIni(L"", gapRules), ModesIni(L"", L"0exts=*.a\r\n0fields=a.wlx\r\n1exts=*.c\r\n1fields=\"c c.wlx\""),
             [] { return FillVar(Tr("gap_done"), L"k", L"2"); }, [](FaultyIo& io) { ModeGapFix(SaveFixture::Host, nullptr, io); }},
            {ModesIni(L"ModeByfileType=0", L"0exts=*.png\r\n0fields=p.wlx"),
             ModesIni(L"ModeByfileType=1", L"0exts=*.png\r\n0fields=p.wlx\r\n1exts=*.jpg\r\n1fields=img.wlx64"),
             [] { return FillVar(FillVar(Tr("lv_done_mode"), L"e", L"JPG"), L"p", L"img"); }, [&](FaultyIo& io) {
                 LvRows = {row};
                 LvFileExt = L"JPG";
                 LvAlways(SaveFixture::Host, nullptr, 0, io);
             }},
        };
        int total = 0;
        for (const Action& action : actions) {
            SaveFixture f(L"save_modes", action.before);
            const std::string bytes = ReadFileBytes(f.tc.ini);
            const IniSections before = ReadIniFile(f.tc.ini), after = ParseIniText(action.after);
            SaveBounds bounds{before, {L"lister", L"listermodes"}, {L"listermodes"}, {L"lister", L"listermodes"}, nullptr};
            // False when the message asks to check the file.
            auto run = [&](FaultyIo& io) {
                WriteFileBytes(f.tc.ini, bytes);
                SaveFixture::Shown.clear();
                DeleteFileW(ChangeLogPath().c_str());
                action.run(io);
                REQUIRE(SaveFixture::Shown.size() == 2);  // the question and the final message
                const std::wstring& message = SaveFixture::Shown[1];
                CAPTURE(message);
                IniSections now = ReadIniFile(f.tc.ini);
                // Either the file holds the rule as asked and the message says so, or
                // it is byte for byte as before, or the message asks to check it.
                bool done = message == action.done(), unsettled = message.find(Tr("err_restore_hint")) != std::wstring::npos;
                if (!unsettled) CHECK(done == (now == after));
                if (!done && !unsettled) CHECK(ReadFileBytes(f.tc.ini) == bytes);
                // Whatever the end, the rules hold nothing but lines of before or of after, and
                // lose only what the action drops while the message says it may stand.
                bounds.reported = [&](const std::wstring& section, const IniUnit& unit) {
                    std::vector<IniUnit> asked = SectionUnits(after, section, bounds.numbered.count(section) != 0);
                    return (done || unsettled) && std::find(asked.begin(), asked.end(), unit) == asked.end();
                };
                CheckSaveBounds(bounds, now);
                for (const wchar_t* section : {L"Lister", L"ListerModes"}) {
                    auto holds = [&](const IniSections& file, const auto& line) {
                        const IniPairs* lines = IniFindSection(file, section);
                        return lines && std::find(lines->begin(), lines->end(), line) != lines->end();
                    };
                    for (const auto& line : *IniFindSection(now, section)) {
                        CAPTURE(line.first);
                        CHECK((holds(before, line) || holds(after, line)));
                    }
                }
                return !unsettled;
            };
            FaultyIo counting;
            run(counting);
            int points = (int)counting.steps.size();
            total += points;
            CHECK(points >= 6);
            for (const char* mode : {"fail", "onward", "effect", "noeffect", "linebreak"})
                for (int step = 0; step < points; ++step) {
                    CAPTURE(mode);
                    CAPTURE(step);
                    FaultyIo io;
                    io.failAt = step;
                    io.onward = mode == std::string("onward");
                    io.mode = io.onward ? "fail" : mode;
                    bool settled = run(io);
                    if (!io.onward) CHECK(settled);
                }
        }
        MESSAGE("view-mode injection points: " << total);
        RemoveTree(BackupsFolder());
    }
}  // TEST_SUITE
