// What a confirmed install changes in TC's configuration: pending changes for an
// entry that exists, new entries for a new plugin.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "install/install_report.h"

// Sorts after every registered entry until the save gives it its real number.
constexpr int InstallEntryNumber = 536870912;

// A pending record the plan changed: as it was before (none when it is new) and as
// the plan left it.
template <typename Record>
struct PlannedChange {
    std::optional<Record> before;
    Record planned;
};
template <typename Record>
using PlannedChanges = std::map<std::wstring, PlannedChange<Record>>;

struct InstallPlan {
    std::vector<KeptEntry> newEntries;
    std::wstring entryPath;  // as the entry names the plugin file
    std::wstring doneText;
    PlannedChanges<PendingEdit> edits;
    PlannedChanges<PlugState> states;
};

// The pending records as a command found them, before it planned its changes.
struct PendingSnapshot {
    std::map<std::wstring, PendingEdit> edits = PendingEdits;
    std::map<std::wstring, PlugState> states = PlugStates;
};
// Notes in the plan every pending record changed since the snapshot.
void NotePlanned(InstallPlan& plan, const PendingSnapshot& before);

// A new entry of the install with its key, path, name, time stamp and number.
KeptEntry MakeInstallEntry(const InstInfo& info, const std::wstring& path, const std::wstring& stamp);
// The entry path of a plugin file in the target folder: relative to TC's folder (as
// "%COMMANDER_PATH%\...") when it lies inside it; without the "64" TC adds itself
// for the 64-bit build.
std::wstring InstallEntryPath(const std::wstring& target, std::wstring file);
// Puts the user's choices into the pending state and gives the new entries.
InstallPlan InstPlan(const InstCtx& ctx);
// Puts back every pending record the plan changed that its save left as planned: an
// install (or uninstall) whose save did not complete leaves nothing of it for a
// later save, and what was pending before it stays as it was.
void WithdrawPlan(const InstallPlan& plan);
