#include "analyses/inventory.h"

#include <windows.h>

#include <cstdlib>
#include <iterator>

#include "analyses/detect_compare.h"
#include "dsx/detect_spec.h"
#include "dsx/keyword_text.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/ini_escape.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/background_probe.h"

std::map<std::wstring, std::wstring> InvMeta;
std::map<std::wstring, InvRecord> InvSections;
uint8_t InvLoaded = 0;
uint8_t InvOtherIni = 0;
uint8_t InvUnreadable = 0;
std::set<int> SavedKinds;

namespace {

// The maps hold changes the file does not, and the change-log lines that tell
// them: logged with the write that stores them, so no start logs them again.
bool Unstored = false;
std::vector<std::wstring> UnstoredLines;

const wchar_t kHeader[] = L"; Kestrovane - Bestand der Plugins (wird von Kestrovane gepflegt)";
const wchar_t kDash[] = L"\u2013";

int TypeNumber(const InvRecord& r) {
    std::wstring type = EntryGet(r, L"Type");
    return type == L"C" ? 1 : type == L"P" ? 2 : type == L"F" ? 3 : 0;
}

bool CanOpenForReading(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

bool IsEmptyFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && !data.nFileSizeHigh &&
           !data.nFileSizeLow;
}

void AppendLines(std::wstring& text, const std::map<std::wstring, std::wstring>& values) {
    for (const auto& [key, value] : values) text += key + L"=" + IniEscapeValue(value) + L"\r\n";
}

std::wstring InventoryFileText() {
    std::wstring text = L"\xFEFF";
    text += kHeader;
    text += L"\r\n\r\n[Meta]\r\n";
    AppendLines(text, InvMeta);
    for (const auto& [name, record] : InvSections) {
        text += L"\r\n[" + name + L"]\r\n";
        AppendLines(text, record);
    }
    return text;
}

// Through a temporary file, so a failed write leaves the old inventory whole.
bool WriteInventoryFile(const std::wstring& text) {
    const std::wstring path = InventoryIniPath(), temp = path + L".tmp";
    bool written;
    {
        FileHandle file(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD bytes = (DWORD)(text.size() * sizeof(wchar_t)), done = 0;
        written =
            WriteFile(file.Get(), text.data(), bytes, &done, nullptr) && done == bytes && FlushFileBuffers(file.Get());
    }
    if (!written) {
        DeleteFileW(temp.c_str());
        return false;
    }
    bool replaced;
    {
        // A worker may be reading the inventory for a comparison; a file open for reading cannot be replaced.
        IniWriteScope apart;
        replaced = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!replaced) {
        DebugLog(L"inventory " + path + L" not replaced, error " + std::to_wstring(GetLastError()));
        DeleteFileW(temp.c_str());
    }
    return replaced;
}

// Writes the maps, and logs what they hold new once the file holds it too.
void StoreUpdate(const std::wstring& letter, size_t plugins, std::vector<std::wstring> lines) {
    const size_t count = lines.size();
    UnstoredLines.insert(UnstoredLines.end(), std::make_move_iterator(lines.begin()),
                         std::make_move_iterator(lines.end()));
    bool ok = WriteInventoryFile(InventoryFileText());
    DebugLog(L"inventory " + letter + L": " + std::to_wstring(plugins) + L" plugins, " + std::to_wstring(count) +
             L" log lines, save " + (ok ? L"ok" : L"FAILED"));
    // Lines the change log did not take wait for the next update, as those of a
    // failed write do.
    if (ok && AppendChangeLog(UnstoredLines)) UnstoredLines.clear();
    else if (ok) DebugLog(L"inventory: change log not written, " + std::to_wstring(UnstoredLines.size()) + L" lines wait");
    Unstored = !ok || !UnstoredLines.empty();
}

// An old stamp in local time and the new one in UTC name the same minute, seen
// across a daylight-saving change.
bool SameStampOlderForm(const std::wstring& oldStamp, const std::wstring& newStamp) {
    size_t oldBar = oldStamp.find(L'|'), newBar = newStamp.find(L'|');
    if (oldBar == std::wstring::npos || newBar == std::wstring::npos) return false;
    if (oldStamp.substr(oldBar) != newStamp.substr(newBar)) return false;
    std::wstring oldPart = oldStamp.substr(0, oldBar);
    if (oldPart.empty() || oldPart.back() == L'Z') return false;
    auto oldMinutes = ParseUtcStamp(oldPart);
    auto newMinutes = ParseUtcStamp(StampToLocalText(newStamp));
    if (!oldMinutes || !newMinutes) return false;
    uint64_t diff = *oldMinutes > *newMinutes ? *oldMinutes - *newMinutes : *newMinutes - *oldMinutes;
    return diff == 0 || diff == 60;
}

struct Update {
    int kind = 0;
    std::wstring now;
    bool changed = false;
    std::vector<std::wstring> lines;
    void Log(const std::wstring& name, const std::wstring& text) {
        lines.push_back(ChangeLogLine(now, kind, name, text));
        changed = true;
    }
};

void CompareDetect(Update& u, const InvRecord& r, const PlugEntry& e) {
    bool saved = SavedKinds.count(u.kind) != 0;
    bool ok = e.probeStatus == ProbeOk;
    bool hasP = r.count(L"PDetect") != 0, hasI = r.count(L"IDetect") != 0;
    const std::wstring &oldP = EntryGet(r, L"PDetect"), &oldI = EntryGet(r, L"IDetect");
    // Equal texts need no normalizing, and ten thousand unchanged plugins are the common case.
    auto differs = [](const std::wstring& a, const std::wstring& b) { return a != b && NormKeyText(a) != NormKeyText(b); };
    if (u.kind == KindPacker) {
        if (ok && hasP && oldP != e.probeAnswer)
            u.Log(e.name, FillVars(Tr("log_pcaps"), {{L"a", oldP}, {L"b", e.probeAnswer}}));
        if (hasI && differs(oldI, e.detectText) && !saved)
            u.Log(e.name, FillVars(Tr("log_ientry"), {{L"a", oldI}, {L"b", e.detectText}}));
        return;
    }
    if (ok && hasP && differs(oldP, e.probeAnswer))
        u.Log(e.name, FillVar(Tr("log_pdetect"), L"d", DescribeDetectChange(oldP, true, e.probeAnswer, true)));
    bool oldHas = EntryGet(r, L"IHas") == L"1";
    if (hasI && ((e.hasDetect != 0) != oldHas || differs(oldI, e.detectText)) && !saved)
        u.Log(e.name, FillVar(Tr("log_idetect"), L"d", DescribeDetectChange(oldI, oldHas, e.detectText, e.hasDetect)));
}

// Steps 4 to 8 of one known plugin: what changed since it was last seen.
void CompareKnown(Update& u, InvRecord& r, const PlugEntry& e, const std::wstring& stamp) {
    if (!EntryGet(r, L"Removed").empty()) {
        r.erase(L"Removed");
        u.Log(e.name, Tr("log_back"));
    }
    const std::wstring& exists = EntryGet(r, L"Exists");
    if (exists == L"1" && !e.fileExists) u.Log(e.name, Tr("log_nofile"));
    if (exists == L"0" && e.fileExists) u.Log(e.name, Tr("log_fileback"));
    const std::wstring& oldVersion = EntryGet(r, L"Version");
    if (oldVersion != e.probeVersion && !(e.probeVersion.empty() && e.probeStatus == ProbeMissing)) {
        u.Log(e.name, FillVars(Tr("log_version"), {{L"a", oldVersion.empty() ? kDash : oldVersion},
                                                   {L"b", e.probeVersion.empty() ? kDash : e.probeVersion}}));
    } else {
        const std::wstring& oldFile = EntryGet(r, L"File");
        if (!oldFile.empty() && !stamp.empty() && oldFile != stamp && !SameStampOlderForm(oldFile, stamp))
            u.Log(e.name,
                  FillVars(Tr("log_file"), {{L"a", StampToLocalText(oldFile)}, {L"b", StampToLocalText(stamp)}}));
    }
    if (u.kind != KindFileSystem) CompareDetect(u, r, e);
}

void WriteFields(Update& u, InvRecord& r, const PlugEntry& e, const std::wstring& stamp) {
    EntrySet(r, L"Type", std::wstring(1, PlugKindLetter(u.kind)), u.changed);
    EntrySet(r, L"Exists", e.fileExists ? L"1" : L"0", u.changed);
    EntrySet(r, L"Name", e.name, u.changed);
    EntrySet(r, L"Path", e.path, u.changed);
    if (e.probeStatus != ProbeMissing) EntrySet(r, L"Version", e.probeVersion, u.changed);
    if (!stamp.empty()) EntrySet(r, L"File", stamp, u.changed);
    if (u.kind == KindFileSystem) return;
    if (e.probeStatus == ProbeOk) EntrySet(r, L"PDetect", e.probeAnswer, u.changed);
    EntrySet(r, L"IHas", e.hasDetect ? L"1" : L"0", u.changed);
    EntrySet(r, L"IDetect", e.detectText, u.changed);
}

std::wstring FreeSectionName(const std::wstring& base, const std::set<std::wstring>& used) {
    if (!used.count(base)) return base;
    for (int n = 2;; ++n) {
        std::wstring name = base + L"#" + std::to_wstring(n);
        if (!used.count(name)) return name;
    }
}

// Only the answer fields the comparison reads: compiling ten thousand detect
// strings would keep the window from painting. False while a present plugin file has none.
bool TakeProbeAnswers(int kind, std::vector<PlugEntry>& entries) {
    for (PlugEntry& e : entries) {
        auto cached = ProbeCache.find(KindKey(kind, e.expandedPath));
        if (cached == ProbeCache.end()) {
            if (e.fileExists) return false;
            e.probeStatus = ProbeMissing;
            continue;
        }
        e.probeStatus = cached->second.status;
        e.probeAnswer = cached->second.answer;
        e.probeVersion = cached->second.version;
    }
    return true;
}

// Inventories written before lowered only A-Z in the path of a section name;
// folded again they find their plugins under any letter case.
std::wstring FoldedSectionName(const std::wstring& section) {
    return section.size() > 2 && section[1] == L'|' ? section.substr(0, 2) + FoldCase(section.substr(2)) : section;
}

}  // namespace

const std::wstring& EntryGet(const InvRecord& record, const std::wstring& key) {
    static const std::wstring none;
    auto it = record.find(key);
    return it == record.end() ? none : it->second;
}

void EntrySet(InvRecord& record, const std::wstring& key, const std::wstring& value, bool& changed) {
    auto it = record.find(key);
    if (it != record.end() && it->second == value) return;
    record[key] = value;
    changed = true;
}

bool InvEntryLess(const InvRecord& a, const InvRecord& b) {
    int ta = TypeNumber(a), tb = TypeNumber(b);
    if (ta != tb) return ta < tb;
    return StrICmp(EntryGet(a, L"Name"), EntryGet(b, L"Name")) < 0;
}

std::wstring InventorySectionName(int kind, const std::wstring& expandedPath) {
    std::wstring name = std::wstring(1, PlugKindLetter(kind)) + L"|" + FoldCase(expandedPath);
    for (wchar_t& ch : name)
        if (ch == L'[' || ch == L']') ch = L'_';
    return name;
}

InventoryFile ReadInventoryFile() {
    InventoryFile file;
    const std::wstring path = InventoryIniPath();
    // From the first look to the last: the window's replacement of the file waits.
    IniReadScope reading;
    if (!FileExists(path) || IsEmptyFile(path)) return file;
    if (!CanOpenForReading(path)) {
        file.unreadable = 1;
        return file;
    }
    for (const auto& [section, lines] : ReadIniFile(reading, path)) {
        InvRecord record;
        for (const auto& [key, value] : lines) record[key] = IniUnescape(value);
        if (section == L"Meta")
            file.meta = std::move(record);
        else
            file.sections.try_emplace(FoldedSectionName(section), std::move(record));
    }
    // Every inventory written names its wincmd.ini; one without is damaged or
    // half written, and a fresh one would drop the history.
    if (EntryGet(file.meta, L"Ini").empty()) file.unreadable = 1;
    return file;
}

void TakeInventoryFile(InventoryFile file) {
    // What was not stored is compared anew with the file, and logged when stored then.
    Unstored = false;
    UnstoredLines.clear();
    InvSections = std::move(file.sections);
    InvMeta = std::move(file.meta);
    InvUnreadable = file.unreadable;
    InvLoaded = 1;
}

void LoadInventory() { TakeInventoryFile(ReadInventoryFile()); }

bool InventoryFileWanted() { return !InvLoaded || InvUnreadable; }

bool InventoryCheckIni() {
    if (InventoryFileWanted()) LoadInventory();
    if (WincmdIniPath.empty()) return false;
    if (InvUnreadable) {
        DebugLog(L"inventory " + InventoryIniPath() + L" cannot be read - not updated");
        return false;
    }
    if (EntryGet(InvMeta, L"Ini").empty()) {
        InvMeta[L"Ini"] = WincmdIniPath;
        InvMeta[L"Created"] = StrNowStamp();
        InvOtherIni = 0;
        return true;
    }
    InvOtherIni = !StrIEquals(InvMeta[L"Ini"], WincmdIniPath);
    return !InvOtherIni;
}

InventoryRead ReadForInventory(const std::wstring& wincmdIni, int kind, bool withFile) {
    InventoryRead read{kind, wincmdIni, ReadPluginSection(wincmdIni, kind), {}, {}};
    read.stamps.reserve(read.section.entries.size());
    for (PlugEntry& e : read.section.entries) {
        read.stamps.push_back(e.fileExists ? FileStamp(e.expandedPath) : L"");  // each stamp costs two file queries
        // Unused by the comparison: freed here, not by the window after it.
        e.iniDetect = {};
    }
    if (withFile) read.file = ReadInventoryFile();
    return read;
}

bool UpdateInventory(int kind) { return UpdateInventory(ReadForInventory(WincmdIniPath, kind, false)); }

bool UpdateInventory(InventoryRead read) {
    const int kind = read.kind;
    PluginSection& section = read.section;
    // Of a file opened before another: its plugins are not this file's.
    if (read.ini != WincmdIniPath) return false;
    // Taken only while nothing is loaded: a loaded inventory may hold changes this read never saw.
    if (read.file && InventoryFileWanted()) TakeInventoryFile(std::move(*read.file));
    if (kind < 0 || kind > 3 || !InventoryCheckIni()) return false;
    if (section.missing || !TakeProbeAnswers(kind, section.entries)) return false;
    const std::wstring letter(1, PlugKindLetter(kind));
    bool hasInitial = !EntryGet(InvMeta, L"Initial_" + letter).empty();
    Update u{kind, StrNowStamp(), !hasInitial, {}};
    std::set<std::wstring> used;
    for (size_t i = 0; i < section.entries.size(); ++i) {
        const PlugEntry& e = section.entries[i];
        const std::wstring& stamp = read.stamps[i];
        std::wstring name = FreeSectionName(InventorySectionName(kind, e.expandedPath), used);
        used.insert(name);
        auto found = InvSections.find(name);
        if (found == InvSections.end()) {
            InvRecord& r = InvSections[name];
            r[L"FirstSeen"] = u.now;
            r[L"Origin"] = hasInitial ? L"new" : L"initial";
            u.changed = true;
            if (hasInitial)
                u.Log(e.name, Tr("log_new") + (e.probeVersion.empty() ? L"" : L" (" + e.probeVersion + L")"));
            WriteFields(u, r, e, stamp);
            continue;
        }
        CompareKnown(u, found->second, e, stamp);
        WriteFields(u, found->second, e, stamp);
    }
    for (auto& [name, r] : InvSections) {
        if (EntryGet(r, L"Type") != letter || used.count(name) || !EntryGet(r, L"Removed").empty()) continue;
        r[L"Removed"] = u.now;
        u.changed = true;
        if (!SavedKinds.count(kind)) u.Log(EntryGet(r, L"Name"), Tr("log_removed"));
    }
    if (!hasInitial) {
        InvMeta[L"Initial_" + letter] = u.now;
        std::wstring text =
            FillVars(Tr("log_initial"), {{L"t", TabName(kind)}, {L"n", std::to_wstring(section.entries.size())}});
        u.lines.insert(u.lines.begin(), u.now + L"  " + text);
    }
    SavedKinds.erase(kind);
    if (u.changed || Unstored) StoreUpdate(letter, section.entries.size(), std::move(u.lines));
    BgProbedKinds.insert(kind);
    return true;
}

std::wstring DescribeDetectChange(const std::wstring& oldText, bool oldHas, const std::wstring& newText, bool newHas) {
    DetectSpec before = CompileDetect(oldText, oldHas), after = CompileDetect(newText, newHas);
    auto missingFrom = [](const DetectSpec& from, const DetectSpec& in, const wchar_t* mark) {
        std::wstring list;
        for (const auto& item : from.items)
            if (item.kind < DetItemNoDetect && !ExtListContains(in.items, item)) list += mark + KeywordListText(item);
        return list;
    };
    std::wstring added = missingFrom(after, before, L" +"), removed = missingFrom(before, after, L" \u2212");
    std::wstring result = StrTrim(added + (!added.empty() && !removed.empty() ? L" " : L"") + removed);
    return result.empty() ? Tr("log_reworded") : result;
}

bool IsNewlyRecorded(const InvRecord& record) {
    int days = StrToInt(GetSetting(L"View", L"HighlightDays"));
    if (days < 1 || EntryGet(record, L"Origin") != L"new" || !EntryGet(record, L"Removed").empty()) return false;
    double first = StrParseDateDays(EntryGet(record, L"FirstSeen")), now = StrParseDateDays(StrNowStamp());
    if (first < 0 || now < 0) return false;
    return days > now - first;
}

bool EntryIsNew(int kind, const PlugEntry& entry) {
    if (kind < 0 || kind > 3) return false;
    auto it = InvSections.find(InventorySectionName(kind, entry.expandedPath));
    return it != InvSections.end() && IsNewlyRecorded(it->second);
}
