// What a command hands to SaveChanges, and the working data of one save run that
// the section writers share. UI thread only.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "editing/save_io.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"

// Runs after TC was closed and before anything is written; false aborts the save
// and the text it left is shown.
using SaveHook = std::function<bool(std::wstring& errors)>;
// Runs after the writes, the change log and the clearing of the pending state.
// writeFailed: some change was not written (errors says which); it may append
// lines to errors and to the done text.
using AfterSave = std::function<void(std::wstring& errors, bool writeFailed, std::wstring& doneText)>;

// What a command asks of one save besides the pending changes.
struct SaveRequest {
    std::wstring doneText;              // final message when confirmed
    std::function<void()> afterRestart; // only when this save closed TC and started it again
    SaveHook beforeWrite;
    uint8_t force = 0;                  // save even with nothing pending
    std::vector<KeptEntry> newEntries;  // entries an install adds (isNew set)
    AfterSave afterSave;
    uint8_t confirmed = 0;              // the caller asked the user: no save dialog
    // A command that writes at once: what the save does not write is withdrawn,
    // since a later save would not redo the command around it.
    uint8_t withdrawUnwritten = 0;
};

// A save runs: no second save, no reload on activation, no command that writes at once.
bool SaveIsRunning();
// Counts the saves begun: a worker's read of the configuration counts only while it stands.
uint32_t SavesStarted();

struct RunBackup {
    std::wstring file;  // full path
    std::wstring copy;  // its backup, equal to it when made
};

// A change the file holds, with what the run must take back of it should the
// file be put back from its backup, and what follows once the run ends with it.
struct LandedChange {
    std::wstring file;                  // folded full path
    std::wstring section;               // the section it wrote
    int kind = 0;
    int count = 0;                      // the changes it counts
    std::vector<std::wstring> log;
    std::vector<KeptEntry> kept;        // what it wrote to the Disabled section: key, and a Packer line's extensions
    std::vector<KeptEntry> activated;   // leave the Disabled section when the run ends
    std::optional<size_t> state;        // its record in states
    bool pluginSection = true;          // in the kind's own section, which the inventory then takes as the program's
    bool withdrawn = false;
};

class IEditingHost;

// How far the writes of a save are, reported to the window after each one.
struct WriteProgress {
    IEditingHost* host = nullptr;  // none: nothing is reported
    int done = 0;
    int total = 0;  // planned so far; a write nobody planned counts as one
    void Plan(size_t writes) { total += (int)writes; }
    void Wrote();
    // The same again after a longer step than a write, so the window paints.
    void Show();
};

struct SaveRun {
    SaveIo* io = &SystemSaveIo();
    std::vector<PendingEdit> edits;                  // by kind, then number
    std::vector<PlugState> states;                   // in key order
    std::vector<std::wstring> stateKeys;             // the PlugStates key of each record of states
    std::array<std::vector<KeptEntry>, 4> activations;
    std::wstring errors;                             // lines ending in CR LF
    std::vector<std::wstring> logLines;
    std::map<std::wstring, RunBackup> backups;       // the files backed up in this run, by folded path
    std::set<std::wstring> refusedFiles;             // folded paths not to be written in this run
    std::map<std::wstring, bool> sectionRefused;     // folded path "|" section -> a key repeats
    int changes = 0;                                 // of the landed changes, once the run ends
    std::vector<LandedChange> landed;                // in the order they landed
    std::wstring stamp;                              // of every log line and kept entry of the run
    WriteProgress progress;
    // A command's run: what it does not write is withdrawn, nothing stays pending.
    bool withdraw = false;
    // Changes that met a file or section refused before anything of it was
    // written: they stay pending, so the user can mend the cause and save again.
    std::set<int> untouchedKinds;                    // Lister, Content
    std::set<size_t> untouchedStates;                // indexes into states
    std::set<std::wstring> untouchedActivations;     // kept-entry keys
};

// Collects every pending change that needs a save, and the entries to activate.
SaveRun BuildSaveRun(const std::vector<KeptEntry>& newEntries);
bool SaveRunEmpty(const SaveRun& run);
// The detect string an edit writes; "" when it removes the key.
std::wstring NewDetectOf(const PendingEdit& edit);
// Clears the pending state but for the changes the run left untouched.
void DiscardWritten(const SaveRun& run);
// The inventory takes a change of that kind's section as the program's own.
void NoteSectionSaved(int kind);
