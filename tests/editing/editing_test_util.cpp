#include "editing_test_util.h"

#include "foundation/env.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/settings.h"
#include "foundation/texts.h"

FakeHost<> SaveFixture::Host;
std::vector<std::wstring>& SaveFixture::Shown = SaveFixture::Host.shown;
int& SaveFixture::Answer = SaveFixture::Host.answer;

void ClearOwnSection(const wchar_t* section) {
    WritePrivateProfileStringW(section, nullptr, nullptr, SettingsIniPath().c_str());
}

std::wstring Section(const std::wstring& file, const wchar_t* section) {
    std::wstring out;
    for (const auto& [k, v] : ReadIniSection(file, section)) out += k + L"=" + v + L"\n";
    return out;
}

SaveFixture::SaveFixture(const wchar_t* name, const std::wstring& ini) : tc(name) {
    WriteIniText(tc.ini, ini, false);
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    Host = FakeHost<>{};
    DiscardPending();
    ClearOwnSection(L"Disabled");
}

SaveFixture::~SaveFixture() {
    DiscardPending();
    ClearOwnSection(L"Disabled");
}

void SaveFixture::Save() { Save(SystemSaveIo()); }

void SaveFixture::Save(SaveIo& io) {
    SaveRequest request;
    request.confirmed = 1;
    SaveChanges(Host, nullptr, request, io);
}

const std::wstring FaultyIo::StrayLine = L"\r\nkv_stray=injected";

namespace {

std::wstring LookAlike(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= 0xFF01 && c <= 0xFF5E) c = (wchar_t)(c - 0xFEE0);
    return text;
}

}  // namespace

bool FaultyIo::Fails(const char* kind) {
    steps.push_back(kind);
    if (alsoKind == kind) return true;
    if (!onlyKind.empty() && onlyKind != kind) return false;
    int n = taken++;
    return failAt >= 0 && (n == failAt || (onward && n > failAt));
}

bool FaultyIo::WriteProfile(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                            const wchar_t* value) {
    SaveIo& real = SystemSaveIo();
    if (!Fails("write")) return real.WriteProfile(file, section, key, value);
    if (mode == "noeffect") return true;
    if (mode == "linebreak" && value) return real.WriteProfile(file, section, key, (value + StrayLine).c_str());
    if (mode == "lookalike") {
        std::wstring k = key ? LookAlike(key) : L"", v = value ? LookAlike(value) : L"";
        real.WriteProfile(file, section, key ? k.c_str() : nullptr, value ? v.c_str() : nullptr);
        return true;
    }
    if (mode == "effect") real.WriteProfile(file, section, key, value);
    return false;
}

std::optional<IniPairs> FaultyIo::ReadSection(const std::wstring& file, const std::wstring& section) {
    if (Fails("read")) return std::nullopt;
    return SystemSaveIo().ReadSection(file, section);
}

std::wstring FaultyIo::Backup(const std::wstring& file, const std::wstring& suffix) {
    std::wstring made = SystemSaveIo().Backup(file, suffix);
    // As when pruning took the copy it had just made.
    if (Fails("backup")) DeleteFileW(made.c_str());
    return made;
}

bool FaultyIo::ReplaceWithCopy(const std::wstring& source, const std::wstring& target) {
    if (!Fails("replace")) return SystemSaveIo().ReplaceWithCopy(source, target);
    if (mode == "effect") SystemSaveIo().ReplaceWithCopy(source, target);
    return false;
}

std::wstring FaultyIo::WriteKept(const KeptEntry& entry) {
    if (!Fails("kept")) return SystemSaveIo().WriteKept(entry);
    if (mode == "effect") SystemSaveIo().WriteKept(entry);
    return L"";
}

bool FaultyIo::CloseTc(std::vector<TcRun>&) { return !Fails("close"); }

PlugEntry SaveFixture::Entry(int kind, int number) {
    for (const PlugEntry& e : LoadPluginSection(kind).entries)
        if (e.number == number) return e;
    FAIL("no entry " << number);
    return {};
}

std::wstring SaveFixture::Lines(int kind) { return Section(tc.ini, PlugSectionName(kind)); }

const wchar_t* const Scenario = LR"([Configuration]
Language=ENG
[ListerPlugins]
1=C:\p\a.wlx
1_detect="EXT="A""
2=C:\p\b.wlx
2_detect="EXT="B""
3=C:\p\c.wlx
3_detect="EXT="C" | EXT="D""
RedirectSection=0
[ContentPlugins]
0=C:\p\x.wdx
[PackerPlugins]
zip=279,C:\p\zip.wcx
jar=279,C:\p\zip.wcx
[FileSystemPlugins]
MyFs=C:\p\fs.wfx
Other=C:\p\o.wfx
)";

const wchar_t* const ListerAfter = LR"(1=C:\p\a.wlx
1_detect="EXT="A""
2=C:\p\c.wlx
2_detect="EXT="C" | EXT="E""
RedirectSection=0
)";

void MarkEverything(SaveFixture& f) {
    PendingEdit& gone = PendingEditFor(f.Entry(0, 2));
    gone.deleted = gone.deactivate = 1;
    PendingEdit& edited = PendingEditFor(f.Entry(0, 3));
    edited.addedExts = {L"E"};
    edited.removedExts = {L"D"};
    PendingEdit& moved = PendingEditFor(f.Entry(1, 0));
    moved.pathChanged = 1;
    moved.newPath = L"C:\\p\\y.wdx";
    GetPlugState(2, L"zip", L"279,C:\\p\\zip.wcx", L"zip").curValue = L"283,C:\\p\\zip.wcx";
    GetPlugState(3, L"MyFs", L"C:\\p\\fs.wfx", L"MyFs").curKey = L"myfs";
    PlugState& off = GetPlugState(3, L"Other", L"C:\\p\\o.wfx", L"Other");
    off.deleted = off.deactivate = 1;
}

std::vector<IniUnit> NumberedEntries(const IniPairs& lines, IniPairs* others) {
    std::map<long, IniUnit> byNumber;
    for (const auto& [key, value] : lines) {
        long number = 0;
        std::wstring rest;
        if (!EntryKeyNumber(key, number, rest)) {
            if (others) others->emplace_back(key, StrTrim(value));
            continue;
        }
        IniUnit& entry = byNumber[number];
        if (!StrTrim(value).empty()) CHECK(entry.emplace(StrLower(rest), StrTrim(value)).second);
    }
    std::vector<IniUnit> entries;
    for (auto& [number, entry] : byNumber)
        if (!entry.empty()) entries.push_back(std::move(entry));
    return entries;
}

std::vector<IniUnit> SectionUnits(const IniSections& file, const std::wstring& section, bool numbered) {
    const IniPairs* found = IniFindSection(file, section);
    IniPairs lines = found ? *found : IniPairs{}, others;
    std::vector<IniUnit> units = numbered ? NumberedEntries(lines, &others) : std::vector<IniUnit>{};
    for (const auto& [key, value] : numbered ? others : lines) units.push_back({{StrLower(key), StrTrim(value)}});
    return units;
}

namespace {

std::wstring UnitText(const IniUnit& unit) {
    std::wstring text;
    for (const auto& [key, value] : unit) text += key + L"=" + value + L"; ";
    return text;
}

// The units of before that stand in now, each at its first place, come in before's order.
bool KeepsOrder(const std::vector<IniUnit>& before, const std::vector<IniUnit>& now, bool numbered) {
    // A line is known by its key, an entry by all of it.
    auto same = [&](const IniUnit& a, const IniUnit& b) { return numbered ? a == b : a.begin()->first == b.begin()->first; };
    std::vector<size_t> places;
    for (const IniUnit& unit : now) {
        auto was = std::find_if(before.begin(), before.end(), [&](const IniUnit& b) { return same(b, unit); });
        size_t place = (size_t)(was - before.begin());
        if (was != before.end() && std::find(places.begin(), places.end(), place) == places.end()) places.push_back(place);
    }
    return std::is_sorted(places.begin(), places.end());
}

}  // namespace

void CheckSaveBounds(const SaveBounds& bounds, const IniSections& now) {
    auto untouched = [&](IniSections all) {
        std::erase_if(all, [&](const auto& s) { return bounds.touched.count(StrLower(s.first)) != 0; });
        return all;
    };
    CHECK(untouched(now) == untouched(bounds.before));
    for (const std::wstring& section : bounds.touched) {
        CAPTURE(section);
        bool numbered = bounds.numbered.count(section) != 0;
        std::vector<IniUnit> was = SectionUnits(bounds.before, section, numbered), is = SectionUnits(now, section, numbered);
        for (const IniUnit& unit : was) {
            if (std::find(is.begin(), is.end(), unit) != is.end()) continue;
            CAPTURE(UnitText(unit));
            CHECK_MESSAGE(bounds.reported(section, unit), "altered or gone, and no change that does so reported");
        }
        if (bounds.ordered.count(section)) CHECK(KeepsOrder(was, is, numbered));
    }
}

bool ChangeLogged(int kind, const std::wstring& name, const std::wstring& text) {
    return Utf8ToWide(ReadFileBytes(ChangeLogPath())).find(ChangeLogLine(L"", kind, name, text)) != std::wstring::npos;
}

std::wstring TextLead(const char* key) {
    std::wstring text = Tr(key);
    return text.substr(0, text.find(L'{'));
}
