#include "install/analysis.h"

#include <map>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "install/package_text.h"
#include "probe_record/pe.h"
#include "probe/child_settings.h"
#include "probe/probe_plugin.h"

namespace {

const wchar_t* const AreaWords[] = {L"wlx", L"wdx", L"wcx", L"wfx"};

bool IsAreaFolderName(const std::wstring& lowerName) {
    if (lowerName == L"plugins") return true;
    for (const wchar_t* w : AreaWords)
        if (lowerName == w) return true;
    return false;
}

bool Is32BitStyleName(const std::wstring& name) {
    std::wstring lower = FoldCase(name);
    size_t dot = lower.rfind(L'.');
    std::wstring stem = lower.substr(0, dot), ext = dot == std::wstring::npos ? L"" : lower.substr(dot);
    auto ends64 = [](const std::wstring& s) { return s.size() >= 2 && s.compare(s.size() - 2, 2, L"64") == 0; };
    return !ends64(stem) && !ends64(ext);
}

// A pluginst.inf without file: the one plugin of its folder, its twins counted as one.
std::wstring OnlyPluginInFolder(const std::wstring& folder, std::wstring& error) {
    std::map<std::wstring, std::wstring> groups;
    ForEachDirItem(folder, [&](const DirItem& item) {
        int kind = item.folder ? -1 : PluginKindOfFileName(item.name);
        if (kind < 0) return true;
        std::wstring stem = FoldCase(PlugKey(item.name));
        if (stem.size() >= 3 && stem.compare(stem.size() - 2, 2, L"64") == 0) stem.resize(stem.size() - 2);
        auto [it, isNew] = groups.try_emplace(std::to_wstring(kind) + L"|" + stem, item.name);
        if (!isNew && Is32BitStyleName(item.name)) it->second = item.name;
        return true;
    });
    if (groups.empty()) {
        error = Tr("in_err_none");
    } else if (groups.size() > 1) {
        std::wstring names;
        for (const auto& [key, name] : groups) names += (names.empty() ? L"" : L", ") + name;
        error = FillVar(Tr("in_err_many"), L"f", names);
    }
    return groups.size() == 1 ? groups.begin()->second : L"";
}

void AddCandidate(InstInfo& info, const std::wstring& path) {
    if (!FileExists(path)) return;
    uint16_t machine = PeMachine(path);
    info.files.push_back(InstFile{path, machine});
    if (machine == PeMachineX86) info.has32 = 1;
    if (machine == PeMachineX64) info.has64 = 1;
}

std::wstring FirstVersion(const InstInfo& info) {
    for (const InstFile& f : info.files) {
        if (f.machine != PeMachineX64) continue;
        std::wstring v = FileVersionText(f.path, true);
        if (!v.empty()) return v;
        break;
    }
    return FileVersionText(info.files.front().path, true);
}

// The file to install, or "" with the error set.
std::wstring PluginFileName(InstInfo& info, const std::wstring& name, bool chosenIsInf) {
    if (!chosenIsInf) return name;
    if (info.inf.file.empty()) return OnlyPluginInFolder(info.folder, info.error);
    // Only a plain name inside the package is installed: a path could copy any file
    // of the machine into TC's plugin folder.
    if (!InfFileNameIsSafe(info.inf.file)) info.error = FillVar(Tr("in_err_infunsafe"), L"f", info.inf.file);
    return info.error.empty() ? info.inf.file : L"";
}

void FindFiles(InstInfo& info, const std::wstring& path32) {
    AddCandidate(info, path32);
    AddCandidate(info, path32 + L"64");
    size_t cut = path32.find_last_of(L"\\/");
    size_t dot = path32.rfind(L'.');
    if (dot != std::wstring::npos && (cut == std::wstring::npos || dot > cut))
        AddCandidate(info, path32.substr(0, dot) + L"64" + path32.substr(dot));
}

void FindExisting(InstInfo& info) {
    info.newNumber = 0;
    for (size_t i = 0; i < info.entries.size(); ++i) {
        const PlugEntry& e = info.entries[i];
        info.newNumber = std::max(info.newNumber, e.number + 1);
        if (info.existing < 0 && FoldCase(PlugKey(e.expandedPath)) == FoldCase(info.pluginName)) info.existing = (int)i;
    }
}

}  // namespace

const wchar_t* InstAreaWord(uint32_t kind) { return kind <= 3 ? AreaWords[kind] : L""; }

std::wstring InstPluginArea(const std::vector<PlugEntry>& entries, uint32_t kind) {
    std::map<std::wstring, std::pair<int, std::wstring>> counts;
    std::wstring winner;
    int best = 0;
    for (const PlugEntry& e : entries) {
        std::wstring d = PathDir(e.expandedPath);
        if (d.size() <= 3) continue;
        std::wstring area = IsAreaFolderName(FoldCase(PathName(d))) ? d : PathDir(d);
        if (area.size() <= 3) continue;
        auto& [count, firstSpelling] = counts[FoldCase(area)];
        if (firstSpelling.empty()) firstSpelling = area;
        if (++count > best) best = count, winner = firstSpelling;
    }
    if (!winner.empty()) return winner;
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    if (tc.empty() || kind > 3) return L"";
    return PathJoin(tc, std::wstring(L"plugins\\") + InstAreaWord(kind));
}

InstInfo InstAnalyze(const std::wstring& chosen) {
    InstInfo info;
    info.folder = PathDir(chosen);
    std::wstring name = PathName(chosen);
    bool chosenIsInf = FoldCase(name) == L"pluginst.inf";
    if (chosenIsInf) info.infPath = chosen;
    else if (FileExists(PathJoin(info.folder, L"pluginst.inf"))) info.infPath = PathJoin(info.folder, L"pluginst.inf");
    if (!info.infPath.empty()) info.inf = ParseInfLines(ReadIniSection(info.infPath, L"plugininstall"));
    DebugLog(L"install: picked " + chosen +
             (info.infPath.empty() ? L", no pluginst.inf" : L", inf type=" + info.inf.type + L" file=" + info.inf.file));

    std::wstring file = PluginFileName(info, name, chosenIsInf);
    if (!info.error.empty()) return info;
    std::wstring file32 = PlugKeyName(file) != FoldCase(file) ? file.substr(0, file.size() - 2) : file;
    std::wstring path32 = PathJoin(info.folder, file32);
    FindFiles(info, path32);
    if (info.files.empty()) {
        info.error = FillVar(Tr(chosenIsInf ? "in_err_inffile" : "in_err_none"), L"f", file);
        return info;
    }
    info.pluginFile = PathName(FileExists(path32) ? path32 : info.files.front().path);
    int kind = PluginKindOfFileName(info.pluginFile);
    if (kind < 0) {
        info.error = Tr("in_err_none");
        return info;
    }
    info.kind = (uint32_t)kind;
    info.pluginName = FileStem(path32);
    info.fileVersion = FirstVersion(info);
    info.entries = LoadPluginSection(kind).entries;
    FindExisting(info);

    if (info.existing >= 0) {
        info.target = PathDir(info.entries[(size_t)info.existing].expandedPath);
    } else {
        std::wstring sub = FileSafeName(info.inf.defaultDir);
        std::wstring base = InstPluginArea(info.entries, info.kind);
        info.target = base.empty() ? L"" : PathJoin(base, sub.empty() ? info.pluginName : sub);
    }
    // A relative target would land wherever the current folder happens to be.
    if (!IsCompletePath(info.target)) {
        info.error = Tr("ar_notc");
        return info;
    }
    info.targetIsSource = FoldCase(info.target) == FoldCase(info.folder);
    ProbePlugin(info.probe, PathJoin(info.folder, info.pluginFile), kind, true, CurrentChildSettings());
    DebugLog(L"install: " + info.pluginName + L" area " + std::to_wstring(kind) + L", files " +
             std::to_wstring(info.files.size()) + L", existing " + std::to_wstring(info.existing) + L", target " +
             info.target);
    return info;
}
