// Fixtures of the save tests: a TC folder whose wincmd.ini is in use, the save's
// messages captured instead of shown, and the pending state and kept entries
// cleared around each test.
#pragma once
#include <functional>
#include <map>
#include <set>

#include "../hostcfg/hostcfg_test_util.h"
#include "fake_editing_host.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "editing/save_io.h"
#include "foundation/data_folder.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"

// The save's steps through the real files, one of them failing (and with onward
// every later one too, as for a file that went read-only). Counts the steps; a
// TC is never really closed or started.
struct FaultyIo : SaveIo {
    int failAt = -1;        // the step that fails, counted over the steps of onlyKind when that is set
    bool onward = false;
    std::string onlyKind;   // "write", "read", "backup", "replace", "kept" or "close"
    std::string alsoKind;   // every step of this kind fails as well
    // What a failing step does: "fail" nothing, and reports it; "effect" takes
    // effect all the same; "noeffect" does nothing and reports success; a write
    // with "linebreak" lands its value with a line break and a stray line after
    // it, and reports success; with "lookalike" lands its key and value with each
    // fullwidth form as the ASCII character it looks like, as an ANSI code page's
    // best fit does, and reports success.
    std::string mode = "fail";
    bool tcRuns = false;    // a TC seems to run, so the save closes it
    std::vector<std::string> steps;  // the kind of each step taken
    static const std::wstring StrayLine;  // what a "linebreak" write appends to its value

    bool WriteProfile(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                      const wchar_t* value) override;
    std::optional<IniPairs> ReadSection(const std::wstring& file, const std::wstring& section) override;
    std::wstring Backup(const std::wstring& file, const std::wstring& suffix) override;
    bool ReplaceWithCopy(const std::wstring& source, const std::wstring& target) override;
    std::wstring WriteKept(const KeptEntry& entry) override;
    bool TcRunning() override { return tcRuns; }
    bool CloseTc(std::vector<TcRun>& restart) override;
    void StartTc(const TcRun&) override {}

private:
    bool Fails(const char* kind);
    int taken = 0;  // steps that count towards failAt
};

struct SaveFixture {
    TcIniDir tc;
    explicit SaveFixture(const wchar_t* name, const std::wstring& ini);
    ~SaveFixture();
    // The save as an install runs it: no dialog; its messages are collected.
    void Save();
    void Save(SaveIo& io);
    PlugEntry Entry(int kind, int number);
    std::wstring Lines(int kind);  // the section as "key=value" lines
    static FakeHost<> Host;  // the window; answers IDYES unless a test says otherwise
    static std::vector<std::wstring>& Shown;
    static int& Answer;
};

void ClearOwnSection(const wchar_t* section);
std::wstring Section(const std::wstring& file, const wchar_t* section);

// Entries of every kind, and the changes of every kind a save may make of them.
extern const wchar_t* const Scenario;
extern const wchar_t* const ListerAfter;  // [ListerPlugins] after MarkEverything was saved
void MarkEverything(SaveFixture& f);

// An entry of a numbered section (TC's plugin lists, its view-mode rules): the keys
// of one number without it, lower-cased ("" the plugin's path), with their values;
// an empty value is none. A line of another section is a unit of its one key.
using IniUnit = std::map<std::wstring, std::wstring>;
// The numbered entries in the order of their numbers; others: the section's other lines.
std::vector<IniUnit> NumberedEntries(const IniPairs& lines, IniPairs* others = nullptr);
// The section's entries, then its other lines, as units; those of a section that
// is not numbered are its lines.
std::vector<IniUnit> SectionUnits(const IniSections& file, const std::wstring& section, bool numbered);

// How a save may leave a file, whatever its end, even one that asks to check it.
struct SaveBounds {
    IniSections before;
    std::set<std::wstring> touched;   // lower-cased: the sections its changes write
    std::set<std::wstring> numbered;  // of them, those whose entries a save renumbers
    std::set<std::wstring> ordered;   // of them, those that keep their order: by entry, or by a line's key
    // The run's report says that a change that alters or removes this unit of the section was written.
    std::function<bool(const std::wstring& section, const IniUnit& unit)> reported;
};
// The sections no change touches read as before, in order; in one touched, a unit
// of before that stands nowhere (an entry whole at any number) is one a reported
// change altered or removed; the units that stand keep their order where asked.
void CheckSaveBounds(const SaveBounds& bounds, const IniSections& now);
// The change log holds a line of the kind's tab and that name whose text begins with text.
bool ChangeLogged(int kind, const std::wstring& name, const std::wstring& text);
// A text of the table up to its first variable.
std::wstring TextLead(const char* key);
