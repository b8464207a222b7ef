#include "install/install_report.h"

#include <algorithm>

#include "analyses/detect_notes.h"
#include "dsx/detect_spec.h"
#include "editing/save_writers.h"
#include "foundation/files.h"
#include "foundation/ini_value_check.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/tc_discovery.h"
#include "install/package_text.h"
#include "install/report_look.h"
#include "probe_record/pe.h"
#include "foundation/labels.h"
#include "foundation/path_display.h"

namespace {

const wchar_t* const Dot = L"  \x00B7  ";

std::wstring OrQuestion(const std::wstring& s) { return s.empty() ? L"?" : s; }

std::vector<std::wstring> Missing(const std::vector<std::wstring>& from, const std::vector<std::wstring>& in) {
    std::vector<std::wstring> out;
    for (const auto& e : from)
        if (std::find(in.begin(), in.end(), e) == in.end()) out.push_back(e);
    return out;
}

bool SharesAny(const std::vector<std::wstring>& a, const std::vector<std::wstring>& b) {
    return std::any_of(a.begin(), a.end(), [&](const std::wstring& e) { return std::find(b.begin(), b.end(), e) != b.end(); });
}

// Upper case with every quoted stretch blanked, so that words inside quotes never count.
std::wstring UnquotedUpper(const std::wstring& text) {
    std::wstring out = StrUpper(text);
    bool inQuotes = false;
    for (wchar_t& c : out) {
        bool quote = c == L'"';
        if (quote || inQuotes) c = L' ';
        if (quote) inQuotes = !inQuotes;
    }
    return out;
}

std::wstring ConditionsText(const std::wstring& answer, const DetectSpec& spec) {
    std::wstring words = UnquotedUpper(answer);
    std::vector<std::wstring> parts;
    if (StrHasWord(words, L"MULTIMEDIA")) parts.push_back(L"MULTIMEDIA");
    if (StrHasWord(words, L"FORCE")) {
        std::wstring force = Tr("in_c_force");
        if (!spec.forced.empty()) force += L": " + ExtListText({spec.forced.begin(), spec.forced.end()}, 12);
        parts.push_back(force);
    }
    if (StrHasWord(words, L"SIZE")) parts.push_back(Tr("in_c_size"));
    if (StrHasWord(words, L"FIND") || StrHasWord(words, L"FINDI")) parts.push_back(Tr("in_c_find"));
    if (words.find(L'[') != std::wstring::npos) parts.push_back(Tr("in_c_head"));
    if (!spec.excluded.empty()) parts.push_back(FillVar(Tr("in_c_without"), L"e", ExtListText(spec.excluded, 12)));
    std::wstring text;
    for (const auto& p : parts) text += (text.empty() ? L"" : Dot) + p;
    return text;
}

void FillLines(InstCtx& ctx, const std::wstring& version) {
    const InstInfo& info = *ctx.info;
    ctx.heading = info.pluginName + (version.empty() ? L"" : L"  " + version) + Dot + TabName((int)info.kind);
    std::wstring files;
    for (const InstFile& f : info.files) {
        std::wstring bits = f.machine == PeMachineX64 ? Tr("in_bits64") : f.machine == PeMachineX86 ? Tr("in_bits32") : L"?";
        files += (files.empty() ? L"" : Dot) + PathName(f.path) + L" (" + bits + L")";
    }
    ctx.sourceLine = FillVar(Tr("in_files"), L"f", files);
    if (!info.archiveName.empty()) ctx.sourceLine += Dot + FillVar(Tr("in_from"), L"f", info.archiveName);
    ctx.updateLine = FillVar(Tr(info.targetIsSource ? "in_target_same" : "in_target"), L"d", PathForDisplay(info.target, true));
}

void GeneralChecks(InstCtx& ctx) {
    const InstInfo& info = *ctx.info;
    if (info.has64 && !info.has32) AddReportNote(ctx, Tr("in_only64"));
    if (info.has32 && !info.has64) AddReportWarning(ctx, Tr("in_only32"));
    int kindBit = 1 << info.kind;
    if (info.probe.kindMask > 0 && !(info.probe.kindMask & kindBit))
        AddReportWarning(ctx, FillVar(Tr("in_kind_bad"), L"k", TabName((int)info.kind)));
    if (!info.inf.type.empty() && info.inf.type.substr(0, 3) != InstAreaWord(info.kind))
        AddReportWarning(ctx, FillVars(Tr("in_inf_type"), {{L"t", info.inf.type}, {L"f", info.pluginFile}}));
    if (info.probe.status == ProbeError) {
        if (ProbeIsLoadFail1114(info.probe.status, info.probe.errorText, info.probe.notStarted)) AddReportNote(ctx, Tr("in_onlytc"));
        else AddReportWarning(ctx, FillVar(Tr("in_probe_err"), L"w", info.probe.errorText));
    }
}

void UpdateChecks(InstCtx& ctx, const PlugEntry& e, const std::wstring& version) {
    bool any = false;
    std::wstring file64 = Find64BitPluginFile(e.expandedPath, any);
    std::wstring old = FileVersionText(file64.empty() ? e.expandedPath : file64, true);
    ctx.extraLine = FillVars(Tr("in_update"), {{L"o", OrQuestion(old)}, {L"v", OrQuestion(version)}});
    if (e.kind <= KindContent) ctx.extraLine += L"  (" + EntryNumberText(e.number) + L")";
    if (!old.empty() && !version.empty() && !VersionIsNewer(version, old)) AddReportWarning(ctx, Tr("in_update_old"));
    if (file64.empty() && ctx.info->has64) AddReportNote(ctx, Tr("in_up_64"));
}

// A plugin's answer that would break TC's INI into lines is shown, marked, and
// neither written nor offered.
bool AnswerRefused(InstCtx& ctx, const std::wstring& answer) {
    if (ProbeAnswerUsable(ctx.info->probe.status, answer)) return false;
    AddReportWarning(ctx, FillVars(Tr("in_unusable"), {{L"w", Tr("why_control")}, {L"d", ShowControlChars(answer)}}));
    return true;
}

// Why an extension cannot be a key of the Packer section as its file stores it; "" when it can.
std::wstring ExtRefusal(const std::wstring& ext) {
    if (const char* why = ExtensionProblem(ext)) return Tr(why);
    return CharRefusal(EffectiveIniPath(PlugSectionName(KindPacker)), ext);
}

void DetectChecks(InstCtx& ctx, const PlugEntry* e, const std::wstring& answer) {
    const InstInfo& info = *ctx.info;
    ctx.pluginDetect = answer;
    if (info.probe.status == ProbeNoExport && info.kind == KindLister) AddReportWarning(ctx, Tr("in_nodetect"));
    if (info.probe.status != ProbeOk) return;
    if (AnswerRefused(ctx, answer)) {
        ctx.pluginDetect = ShowControlChars(answer);
        return;
    }
    PlugEntry plugin;
    plugin.kind = info.kind;
    plugin.name = info.pluginName;
    plugin.detectText = answer;
    plugin.hasDetect = 1;
    plugin.iniDetect = CompileDetect(answer, true);
    std::vector<std::wstring> newExts = ActiveEntryNames(plugin.iniDetect.items);
    ctx.extCount = (int)newExts.size();
    ctx.extText = ExtListText(newExts, SIZE_MAX);
    ctx.conditions = ConditionsText(answer, plugin.iniDetect);
    const std::vector<PlugEntry> none;
    for (const std::wstring& note : DetectNotes(plugin, &none, nullptr)) AddReportWarning(ctx, note);
    if (e) {
        std::vector<std::wstring> oldExts = ActiveEntryNames(e->iniDetect.items);
        std::vector<std::wstring> gone = Missing(oldExts, newExts), added = Missing(newExts, oldExts);
        if (!gone.empty()) AddReportWarning(ctx, ExtListText(gone, 30), Tr("in_l_gone"));
        if (!added.empty()) AddReportNote(ctx, ExtListText(added, 30), Tr("in_l_new"));
        ctx.offerKeepTake = e->hasDetect && NormKeyText(answer) != NormKeyText(Unquote(e->detectText));
        if (ctx.offerKeepTake) AddReportNote(ctx, Tr("in_up_own"));
    }
    if (info.kind != KindLister) return;
    int n = e ? e->number : info.newNumber;
    std::wstring first;
    int count = 0;
    for (const PlugEntry& other : info.entries) {
        if (&other == e || other.number >= n) continue;
        if (!IsGreedyLister(other) && !SharesAny(ActiveEntryNames(other.iniDetect.items), newExts)) continue;
        first += (first.empty() ? L"" : L", ") + other.name;
        ++count;
    }
    if (count) AddReportWarning(ctx, first, FillVar(Tr("in_l_first"), L"n", std::to_wstring(count)));
    if (!e) AddReportNote(ctx, FillVar(Tr("in_nr_new"), L"n", EntryNumberText(info.newNumber)));
}

// The entry's extension line of ext (any case); the line count when there is none.
size_t ExtLine(const PlugEntry& entry, const std::wstring& ext) {
    const auto& items = entry.iniDetect.items;
    auto same = [&](const DetectItem& item) { return StrIEquals(item.text, ext); };
    return (size_t)(std::find_if(items.begin(), items.end(), same) - items.begin());
}

bool HoldsExt(const PlugEntry& entry, const std::wstring& ext) {
    return ExtLine(entry, ext) < entry.iniDetect.items.size();
}

std::wstring ExtensionsCutText(const InfData& inf) {
    std::wstring listed = std::to_wstring(inf.extensions.size() + inf.extensionsLeftOut);
    return FillVars(Tr("in_pk_manyext"), {{L"n", listed}, {L"m", std::to_wstring(inf.extensions.size())}});
}

void PackerChecks(InstCtx& ctx, const PlugEntry* e, const std::wstring& answer) {
    const InstInfo& info = *ctx.info;
    ctx.packerCaps = info.probe.status == ProbeOk ? StrToInt(answer) : -1;
    ctx.capsText = FillVar(Tr("in_caps"), L"c", ctx.packerCaps >= 0 ? PackerCapsText((uint32_t)ctx.packerCaps) : L"?");
    std::vector<std::wstring> offered;
    if (e)
        for (const DetectItem& item : e->iniDetect.items) AddExtTokens(offered, item.text);
    for (const std::wstring& ext : info.inf.extensions) {
        // Checked as a typed extension is, before any file is copied.
        std::wstring why = ExtRefusal(ext);
        if (!why.empty())
            AddReportWarning(ctx, FillVars(Tr("in_inf_badext"), {{L"w", why}, {L"e", ShowControlChars(ext)}}));
        else if (std::find(offered.begin(), offered.end(), ext) == offered.end())
            offered.push_back(ext);
    }
    if (offered.empty()) AddReportWarning(ctx, Tr("in_pk_noext"));
    if (info.inf.extensionsLeftOut) AddReportWarning(ctx, ExtensionsCutText(info.inf));
    for (const std::wstring& ext : offered) {
        ExtChoice choice{ext, L"", L"", 0, (uint8_t)(e && HoldsExt(*e, ext))};
        const PlugEntry* owner = choice.fixed ? nullptr : PackerOwnerOf(info, ext);
        if (owner) {
            choice.ownerName = owner->name;
            choice.ownerValue = PackerLineAsWritten(*owner, ExtLine(*owner, ext));
        }
        choice.checked = choice.fixed || choice.ownerName.empty();
        if (!choice.ownerName.empty())
            AddReportWarning(ctx, FillVars(Tr("in_pk_taken"), {{L"e", ext}, {L"p", choice.ownerName}}));
        ctx.extChoices.push_back(choice);
    }
    if (e && !e->packerFlags.empty() && ctx.packerCaps >= 0 && ctx.packerCaps != e->packerFlags.front()) {
        AddReportNote(ctx, PackerCapsAddedText((uint32_t)e->packerFlags.front(), (uint32_t)ctx.packerCaps), Tr("in_l_caps"));
        ctx.offerTakeCaps = 1;
    }
}

void FileSystemChecks(InstCtx& ctx, const PlugEntry* e, const std::wstring& answer) {
    const InstInfo& info = *ctx.info;
    std::wstring root = StrTrim(answer);
    if (!root.empty() && !e &&
        (AnswerRefused(ctx, root) || IniKeyProblem(root) ||
         !CharSectionCannotHold(PlugSectionName(KindFileSystem), root).empty()))
        root.clear();
    ctx.fsName = e ? e->name : !root.empty() ? root : info.pluginName;
    for (const PlugEntry& other : info.entries) {
        if (&other == e || !StrIEquals(other.name, ctx.fsName)) continue;
        AddReportWarning(ctx, FillVar(Tr("in_fs_taken"), L"p", other.name));
        break;
    }
}

}  // namespace

const PlugEntry* PackerOwnerOf(const InstInfo& info, const std::wstring& ext) {
    for (size_t i = 0; i < info.entries.size(); ++i)
        if ((int)i != info.existing && HoldsExt(info.entries[i], ext)) return &info.entries[i];
    return nullptr;
}

void AddReportWarning(InstCtx& ctx, const std::wstring& value, const std::wstring& label) {
    ctx.report.push_back(ReportRow{ReportWarning, label, value});
}

void AddReportNote(InstCtx& ctx, const std::wstring& value, const std::wstring& label) {
    ctx.report.push_back(ReportRow{ReportNote, label, value});
}

void InstReportText(InstCtx& ctx) {
    const InstInfo& info = *ctx.info;
    const PlugEntry* e = info.existing >= 0 ? &info.entries[(size_t)info.existing] : nullptr;
    std::wstring answer = info.probe.status == ProbeOk ? info.probe.answer : L"";
    std::wstring version = info.fileVersion.empty() ? info.inf.version : info.fileVersion;
    ctx.update = e != nullptr;
    FillLines(ctx, version);
    GeneralChecks(ctx);
    if (e) UpdateChecks(ctx, *e, version);
    if (info.kind <= KindContent) DetectChecks(ctx, e, answer);
    else if (info.kind == KindPacker) PackerChecks(ctx, e, answer);
    else FileSystemChecks(ctx, e, answer);
    SortReport(ctx.report);
    if (ctx.report.empty() || ctx.report.front().kind != ReportWarning)
        ctx.report.insert(ctx.report.begin(), ReportRow{ReportCheck, L"", Tr("in_all_ok")});
}
