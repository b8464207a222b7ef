#include "analyses/findings.h"

#include <algorithm>
#include <set>

#include "analyses/lister_check.h"
#include "analyses/lister_state.h"
#include "analyses/plugin_caches.h"
#include "analyses/detect_compare.h"
#include "analyses/detect_notes.h"
#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/ini_value_check.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/kept.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"

std::vector<Finding> Findings;
uint8_t FindingsPartial = 0;
int HiddenAckedCount = 0;
uint8_t ShowAcked = 0;

namespace {

constexpr size_t kMaxDetectChars = 2000;

struct Context {
    int kind = 0;
    std::wstring iniUsed;
    const PluginSection* section = nullptr;
    const std::vector<PlugEntry>* entries = nullptr;
    bool tc32 = false;
    const std::vector<uint8_t>* sharesFile = nullptr;  // per entry, from EntriesSharingFile
};

// Collected over all four kinds for the disk scan and the orphan check.
struct WorkingSets {
    std::vector<std::wstring> files;    // PlugFileKey of registered and kept paths
    std::vector<std::wstring> folders;  // folders of registered plugins that exist, with long names
    std::set<std::wstring> names;       // NameMatchKey of plugin names
};

// Keys put together from a finding's kind id.
std::wstring TextOf(const std::string& key) { return Tr(key.c_str()); }

std::wstring Fill(const std::string& key, const std::vector<TextVar>& vars) { return FillVars(TextOf(key), vars); }

std::wstring Fill(const std::string& key, const wchar_t* name, const std::wstring& value) {
    return Fill(key, {{name, value}});
}

void SetKey(Finding& f, const std::wstring& location, const std::wstring& kindId, const std::wstring& extra) {
    f.ackKey = BuildPipeRecord(f.tab, location, kindId, extra);
    f.acked = IsFindingAcked(f.ackKey);
}

Finding& AddFinding(const Context& ctx, const PlugEntry* e, int severity, int fix, const std::wstring& text,
                    const std::wstring& explanation, const std::wstring& display, const std::wstring& kindId,
                    const std::wstring& extra = L"") {
    Finding& f = Findings.emplace_back();
    f.tab = ctx.kind;
    f.severity = severity;
    f.fix = fix;
    f.text = text;
    f.explanation = explanation;
    f.advice = FindingActionText(kindId);
    if (e) {
        f.number = e->number;
        f.name = e->name;
        f.display = !display.empty() ? display : ctx.kind == KindFileSystem ? e->name : L"";
    }
    SetKey(f, e ? e->expandedPath : ctx.iniUsed, kindId, extra);
    return f;
}

std::wstring ExtText(const DetectItem& item) { return item.text.empty() ? Tr("ext_noext") : item.text; }

void CheckModeRules(const Context& ctx) {
    const ListerSettings& s = ctx.section->lister;
    if (s.modeGap >= 0) {
        std::wstring gap = std::to_wstring(s.modeGap);
        std::wstring explanation = Fill("fdx_modegap", L"n", gap);
        for (const auto& rule : s.modesAfterGap)
            explanation += L"\r\n   " + std::to_wstring(rule.number) + L":  " + rule.exts + L" → " + rule.fields;
        std::wstring text = Fill("fd_modegap", {{L"n", gap}, {L"k", std::to_wstring(s.modesAfterGap.size())}});
        Finding& f = AddFinding(ctx, nullptr, SeverityError, FixModeGap, text, explanation, L"", L"modegap");
        f.name = L"[ListerModes]";
        SetKey(f, L"listermodes", L"modegap", gap);
    }
    for (const auto& rule : s.listerModes) {
        for (const auto& word : rule.fieldWords) {
            if (word.find(L'.') == std::wstring::npos || s.pluginKeys.count(PlugKey(word))) continue;
            std::wstring n = std::to_wstring(rule.number);
            std::wstring explanation = Fill("fdx_modeplugin", L"p", word) + L"\r\n[ListerModes] " + n + L"exts=" +
                                       rule.exts + L"  " + n + L"fields=" + rule.fields;
            Finding& f =
                AddFinding(ctx, nullptr, s.modeByFileType ? SeverityError : SeverityNote, FixNone,
                           Fill("fd_modeplugin", {{L"e", rule.exts}, {L"p", word}}), explanation, L"", L"modeplugin");
            f.name = word;
            SetKey(f, L"listermodes|" + word, L"modeplugin", rule.exts);
        }
    }
}

void CheckExtensionLists(const Context& ctx, const PlugEntry& e) {
    std::wstring more, less;
    // A detect string that only excludes already takes every other extension.
    for (const auto& p : e.pluginDetect.items)
        if (p.kind == DetItemExt && IniLacks(e.iniDetect, p)) more += L" +" + ExtText(p);
    for (const auto& i : e.iniDetect.items)
        if (i.kind == DetItemExt && !ExtListContains(e.pluginDetect.items, i)) less += L" −" + ExtText(i);
    if (e.hasDetect && !StrTrim(e.detectText).empty()) {
        if (!more.empty())
            AddFinding(ctx, &e, SeverityDifference, FixDetect, Tr("fd_more") + more, Tr("fdx_more"), L"", L"more",
                       more);
        if (!less.empty())
            AddFinding(ctx, &e, SeverityDifference, FixDetect, Tr("fd_less") + less, Tr("fdx_less"), L"", L"less",
                       less);
        return;
    }
    if (ctx.kind == KindContent) {
        AddFinding(ctx, &e, SeverityNote, FixDetect, Tr("fd_noini"), Tr("fdx_noini"), L"", L"noini");
        return;
    }
    bool answers = !StrTrim(e.probeAnswer).empty();
    std::wstring explanation = Tr(e.hasDetect ? "kw_empty" : answers ? "kw_nodetect_l" : "kw_nodetect_l0");
    if (IsGreedyLister(e)) explanation += L"\r\n" + GreedyNoteText(*ctx.entries, e.number);
    Finding& f = AddFinding(ctx, &e, SeverityNote, FixDetect, Tr("fd_noini"), explanation, L"", L"noini");
    f.advice = FindingActionText(!e.hasDetect && answers ? L"noini_l" : L"noini_l0");
}

// The plugin's answer is shown as it came, its control characters made visible,
// and nothing offers to write it.
void CheckUnusableAnswer(const Context& ctx, const PlugEntry& e) {
    std::wstring explanation =
        FillVars(Tr("fdx_unusable"), {{L"w", Tr("why_control")}, {L"d", ShowControlChars(e.probeAnswer)}});
    AddFinding(ctx, &e, SeverityNote, FixNone, Tr("fd_unusable"), explanation, L"", L"unusable");
}

void CheckNoExport(const Context& ctx, const PlugEntry& e) {
    if (e.hasDetect && !StrTrim(e.detectText).empty()) return;
    std::wstring explanation =
        Tr(e.hasDetect ? "kw_empty" : "kw_nodetect_l0") + L"\r\n" + GreedyNoteText(*ctx.entries, e.number);
    Finding& f = AddFinding(ctx, &e, SeverityNote, FixNone, Tr("fd_noini"), explanation, L"", L"noini");
    f.advice = FindingActionText(L"noini_l0");
}

// Extensions of the entry that TC settles before the plugin order: a view-mode
// rule for another plugin, a blocked type, a type TC shows itself.
void CheckOverruled(const Context& ctx, const PlugEntry& e) {
    static const wchar_t* const ids[] = {L"over_mode", L"over_block", L"over_internal"};
    std::wstring lists[3];
    for (const auto& item : e.iniDetect.items) {
        if (item.kind != DetItemExt) continue;
        std::wstring status, hint, modePlugin;
        int code = ListerStateNone;
        if (ListerStateText(ctx.section->lister, e, item.text, status, hint, &code, &modePlugin) != 2 || code < 1 || code > 3) continue;
        std::wstring& list = lists[code - 1];
        list += (list.empty() ? L"" : L", ") + item.text + (code == ListerStateMode ? L" → " + modePlugin : L"");
    }
    for (int i = 0; i < 3; ++i) {
        if (lists[i].empty()) continue;
        std::string id = StrToUtf8(ids[i]);
        AddFinding(ctx, &e, SeverityNote, i == 2 ? FixEdit : FixNone, Fill("fd_" + id, L"x", lists[i]),
                   TextOf("fdx_" + id), L"", ids[i], lists[i]);
    }
}

void CheckNotes(const Context& ctx, const PlugEntry& e) {
    static const std::vector<PlugEntry> noOthers;
    bool sharesFile = (*ctx.sharesFile)[(size_t)(&e - ctx.entries->data())];
    std::vector<std::wstring> tags;
    std::vector<std::wstring> notes = DetectNotes(e, sharesFile ? ctx.entries : &noOthers, &tags);
    for (size_t i = 0; i < notes.size() && i < tags.size(); ++i) {
        const std::wstring& tag = tags[i];
        bool serious = tag == L"find" || tag == L"unquoted" || tag == L"syntax";
        bool reach = tag == L"always" || tag == L"almost" || tag == L"except";
        bool lister = ctx.kind == KindLister;
        std::wstring explanation = serious || tag == L"dup" ? TextOf("lgnx_" + StrToUtf8(tag))
                                   : reach ? (lister ? GreedyNoteText(*ctx.entries, e.number) : Tr("fdx_reach_c"))
                                           : Tr("fdx_note");
        Finding& f = AddFinding(ctx, &e, serious ? SeverityError : SeverityNote, FixEdit, notes[i], explanation, L"",
                                tag, tag == L"dup" ? std::to_wstring(e.number) : L"");
        if (reach) f.advice = FindingActionText(lister ? L"greedy" : L"reach_c");
    }
}

void CheckCaps(const Context& ctx, const PlugEntry& e) {
    int caps = StrToInt(e.probeAnswer);
    std::wstring capsText = std::to_wstring(caps);
    for (size_t i = 0; i < e.packerFlags.size() && i < e.iniDetect.items.size(); ++i) {
        int flags = e.packerFlags[i];
        if (flags == caps) continue;
        const std::wstring& ext = e.iniDetect.items[i].text;
        std::wstring flagsText = std::to_wstring(flags);
        std::wstring explanation = Tr("lgx_capsdiff") + L"\r\n\t" + Tr("det_ini") + L" " + flagsText + L"  " +
                                   PackerCapsText((uint32_t)flags) + L"\r\n\t" + Tr("det_plugin") + L" " + capsText +
                                   L"  " + PackerCapsText((uint32_t)caps) + L"\r\n\t" + Tr("det_diff") + L" " +
                                   PackerCapsAddedText((uint32_t)flags, (uint32_t)caps);
        std::wstring text = Fill("fd_caps", {{L"e", ext}, {L"a", flagsText}, {L"b", capsText}});
        AddFinding(ctx, &e, SeverityDifference, FixCaps, text, explanation, ext, L"caps",
                   ext + L":" + flagsText + L">" + capsText);
    }
}

void CheckEntry(const Context& ctx, const PlugEntry& e) {
    const int kind = ctx.kind;
    if (!e.fileExists) {
        AddFinding(ctx, &e, SeverityError, FixEdit, Tr("fd_missing"), Tr("fdx_missing"), L"", L"missing");
        return;
    }
    if (e.probeStatus == ProbePending) FindingsPartial = 1;
    if (kind <= KindContent && e.hasDetect && e.detectText.size() + 2 > kMaxDetectChars) {
        std::wstring n = std::to_wstring(e.detectText.size() + 2);
        AddFinding(ctx, &e, SeverityError, FixEdit, Fill("fd_toolong", L"n", n),
                   Fill("fdx_toolong", {{L"n", n}, {L"m", std::to_wstring(kMaxDetectChars)}}), L"", L"toolong");
    }
    // A 32-bit TC loads the 32-bit file itself, and only that.
    if ((e.is32Bit || e.probeStatus == Probe32Bit) && !ctx.tc32)
        AddFinding(ctx, &e, SeverityNote, FixNone, Tr("fd_32"), Tr("fdx_32"), L"", L"32");
    if (ctx.tc32 && LacksFileOf32BitTc(e))
        AddFinding(ctx, &e, SeverityNote, FixNone, Tr("fd_64"), Tr("fdx_64"), L"", L"64");
    if (e.probeNotStarted)
        AddFinding(ctx, &e, SeverityNote, FixNone, Tr("fd_nostart") + L": " + e.probeError, Tr("fdx_nostart"), L"",
                   L"nostart");
    else if (e.probeStatus == ProbeError && !ProbeIsLoadFail1114(e.probeStatus, e.probeError, e.probeNotStarted))
        AddFinding(ctx, &e, SeverityError, FixNone, Tr("fd_err") + (e.probeError.empty() ? L"" : L": " + e.probeError),
                   Tr("fdx_err"), L"", L"err");
    if (PluginKindOfPath(e.expandedPath, std::max(e.kindMask, 0))) {
        std::wstring word;
        PluginKindOfPathParts(e.expandedPath, word);
        int mask = e.kindMask >= 1 ? e.kindMask : PluginKindOfExtPart(e.expandedPath);
        AddFinding(ctx, &e, SeverityNote, FixNone, Fill("tip_folder", {{L"f", word}, {L"k", PluginKindText(mask)}}),
                   Tr("fdx_folder"), L"", L"folder");
    }
    if (kind <= KindContent && e.probeStatus == ProbeOk) {
        if (PluginDetectUsable(e)) CheckExtensionLists(ctx, e);
        else CheckUnusableAnswer(ctx, e);
    }
    if (kind == KindLister && e.probeStatus == ProbeNoExport) CheckNoExport(ctx, e);
    if (kind == KindLister) CheckOverruled(ctx, e);
    if (kind <= KindContent) CheckNotes(ctx, e);
    if (kind == KindPacker && e.probeStatus == ProbeOk) CheckCaps(ctx, e);
    if (kind == KindFileSystem && e.probeStatus == ProbeOk && e.kindMask >= 0 && !(e.kindMask & 8))
        AddFinding(ctx, &e, SeverityError, FixEdit, Tr("fd_notfs"), Tr("lgx_notfs"), L"", L"notfs");
}

// Fields that TC's configuration shows of a Content plugin that is not registered.
void CheckUnknownFields(const Context& ctx) {
    const FieldUsage& usage = CurrentFieldUsage();
    std::set<std::wstring> registered;
    for (const auto& e : *ctx.entries) registered.insert(PlugKey(e.expandedPath));
    for (const auto& [key, uses] : usage.uses) {
        if (registered.count(key)) continue;
        auto written = usage.names.find(key);
        std::wstring name = written != usage.names.end() ? written->second : key;
        std::wstring places = FieldUsageText(usage, key, L"\t");
        while (!places.empty() && (places.back() == L'\r' || places.back() == L'\n')) places.pop_back();
        Finding& f = AddFinding(ctx, nullptr, SeverityError, FixNone, Fill("fd_unknownfield", L"p", name),
                                Fill("fdx_unknownfield", L"p", name) + L"\r\n" + places, L"", L"unknownfield");
        f.name = name;
        SetKey(f, L"usage|" + key, L"unknownfield", L"");
    }
}

// Keys left in wincmd.ini's own section although the section is redirected.
void CheckStrayKeys(const Context& ctx) {
    const std::vector<std::wstring>& keys = ctx.section->leftOverKeys;
    if (keys.empty()) return;
    IniPairs lines = ReadIniSection(FullPath(WincmdIniPath), PlugSectionName(ctx.kind));
    for (const auto& key : keys) {
        auto line = std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return StrIEquals(l.first, key); });
        std::wstring value = line != lines.end() ? line->second : L"";
        Finding& f = AddFinding(ctx, nullptr, SeverityError, FixStray, Fill("fd_stray", L"k", key),
                                Tr("fdx_stray") + L"\r\n" + key + L"=" + value, L"", L"stray");
        f.iniLine = 1;
        f.name = f.display = key;
        f.iniValue = value;
        SetKey(f, L"wincmd.ini|" + key, L"stray", L"");
    }
}

void CheckDuplicateKeys(const Context& ctx) {
    for (const auto& key : ctx.section->duplicateKeys) {
        const PlugEntry* entry = nullptr;
        wchar_t* end = nullptr;
        long number = std::wcstol(key.c_str(), &end, 10);
        if (ctx.kind <= KindContent && end != key.c_str()) {
            auto it = std::find_if(ctx.entries->begin(), ctx.entries->end(),
                                   [&](const PlugEntry& e) { return e.number == number; });
            if (it != ctx.entries->end()) entry = &*it;
        }
        AddFinding(ctx, entry, SeverityError, FixNone, Fill("fd_dupkey", L"k", key), Tr("fdx_dupkey"), L"", L"dupkey",
                   key);
    }
}

// Sections of the plugins' own INI files that no configured plugin name matches.
void CheckOrphans(const std::set<std::wstring>& names) {
    static const wchar_t* const files[] = {L"lsplugin.ini", L"contplug.ini", L"pkplugin.ini", L"fsplugin.ini"};
    if (WincmdIniPath.empty()) return;
    for (int kind = 0; kind < 4; ++kind) {
        std::wstring path = PathJoin(PathDir(FullPath(WincmdIniPath)), files[kind]);
        if (!FileExists(path)) continue;
        for (const auto& section : IniSectionNames(path)) {
            std::wstring key = NameMatchKey(section);
            if (std::any_of(names.begin(), names.end(), [&](const auto& n) { return SectionMatchesName(key, n); }))
                continue;
            Context ctx{kind, path, nullptr, nullptr, false};
            Finding& f =
                AddFinding(ctx, nullptr, SeverityNote, FixStray,
                           Fill("fd_orphan", {{L"s", section}, {L"f", files[kind]}}), Tr("fdx_orphan"), L"", L"orphan");
            f.iniLine = 1;
            f.otherIni = 1;
            f.iniFile = path;
            f.display = section;
            f.name = std::wstring(files[kind]) + L": [" + section + L"]";
            SetKey(f, std::wstring(files[kind]) + L"|" + section, L"orphan", L"");
        }
    }
}

void CheckNotInstalled(const WorkingSets& sets) {
    for (const auto& [lower, path] : CollectDiskPlugins(sets.files, sets.folders)) {
        Context ctx{PluginKindOfFileName(path), L"", nullptr, nullptr, false};
        Finding& f =
            AddFinding(ctx, nullptr, SeverityNote, FixNone, Fill("fd_notinst", L"f", PathForDisplay(path, true)),
                       Tr("fdx_notinst"), L"", L"notinst");
        f.diskFile = path;
        f.name = FileStem(path);
        SetKey(f, lower, L"notinst", L"");
        if (!f.acked) f.acked = IsFindingAcked(NotInstalledFolderKey(PathDir(path)));
    }
}

void Collect(WorkingSets& sets, int kind, const std::vector<PlugEntry>& entries) {
    for (const auto& kept : ReadDisabled(kind)) sets.files.push_back(PlugFileKey(EnvExpand(kept.path)));
    for (const auto& e : entries) {
        sets.files.push_back(PlugFileKey(e));
        if (e.fileExists) sets.folders.push_back(PathDir(e.longPath));
        sets.names.insert(NameMatchKey(FileStem(e.path)));
        sets.names.insert(NameMatchKey(e.name));
        if (kind == KindPacker)
            for (const auto& item : e.iniDetect.items) sets.names.insert(NameMatchKey(item.text));
    }
}

void AnalyseKind(TcIniFiles& files, int kind, WorkingSets& sets, bool tc32) {
    PluginSection section = LoadPluginSection(files, kind);
    Collect(sets, kind, section.entries);
    const std::vector<uint8_t> sharesFile = EntriesSharingFile(section.entries);
    Context ctx{kind, section.iniUsed, &section, &section.entries, tc32, &sharesFile};
    if (section.missing) {
        AddFinding(ctx, nullptr, SeverityError, FixNone, Fill("fd_secmissing", L"f", section.iniUsed),
                   Tr("fdx_secmissing"), L"", L"secmissing");
        return;
    }
    if (kind == KindLister) CheckModeRules(ctx);
    for (const auto& e : section.entries) CheckEntry(ctx, e);
    if (kind == KindContent) CheckUnknownFields(ctx);
    CheckStrayKeys(ctx);
    CheckDuplicateKeys(ctx);
}

}  // namespace

void BuildFindings() {
    Findings.clear();
    FindingsPartial = 0;
    WorkingSets sets;
    BeginDiskScan();
    bool tc32 = TcExeIs32Bit(TcExePath());
    TcIniFiles files;
    for (int kind = 0; kind < 4; ++kind) AnalyseKind(files, kind, sets, tc32);
    sets.names.erase(L"");
    CheckOrphans(sets.names);
    CheckNotInstalled(sets);
    HiddenAckedCount = 0;
    if (!ShowAcked) HiddenAckedCount = (int)std::erase_if(Findings, [](const Finding& f) { return f.acked; });
    std::stable_sort(Findings.begin(), Findings.end(), [](const Finding& a, const Finding& b) {
        if (a.acked != b.acked) return a.acked < b.acked;
        if (a.severity != b.severity) return a.severity < b.severity;
        return a.tab < b.tab;
    });
}

int FindFinding(const Finding& copy) {
    auto same = [&](const Finding& f) {
        return f.ackKey == copy.ackKey && f.tab == copy.tab && f.fix == copy.fix && f.number == copy.number &&
               f.name == copy.name && f.display == copy.display && f.iniLine == copy.iniLine &&
               f.otherIni == copy.otherIni && f.iniFile == copy.iniFile && f.diskFile == copy.diskFile;
    };
    auto it = std::find_if(Findings.begin(), Findings.end(), same);
    return it == Findings.end() ? -1 : (int)(it - Findings.begin());
}

int FindingEntryIndex(const Finding& f, const std::vector<PlugEntry>& entries) {
    if (f.iniLine || !f.diskFile.empty()) return -1;
    auto matches = [&](const PlugEntry& e) {
        switch (f.tab) {
        case KindLister:
        case KindContent: return e.number == f.number;
        case KindFileSystem: return StrIEquals(e.name, f.display);
        case KindPacker:
            if (f.display.empty()) return e.name == f.name;
            return std::any_of(e.iniDetect.items.begin(), e.iniDetect.items.end(),
                               [&](const DetectItem& item) { return StrIEquals(item.text, f.display); });
        default: return false;
        }
    };
    auto it = std::find_if(entries.begin(), entries.end(), matches);
    return it == entries.end() ? -1 : (int)(it - entries.begin());
}
