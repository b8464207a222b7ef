// Fixtures of the save tests: a TC folder whose wincmd.ini is in use, the save's
// messages captured instead of shown, and the pending state and kept entries
// cleared around each test.
#pragma once
#include "../hostcfg/hostcfg_test_util.h"
#include "editing/pending_ops.h"
#include "editing/save_changes.h"
#include "foundation/data_folder.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"

struct SaveFixture {
    TcIniDir tc;
    explicit SaveFixture(const wchar_t* name, const std::wstring& ini);
    ~SaveFixture();
    // The save as an install runs it: no dialog; its messages are collected.
    void Save();
    PlugEntry Entry(int kind, int number);
    std::wstring Lines(int kind);  // the section as "key=value" lines
    static std::vector<std::wstring> Shown;
    static int Answer;  // to every yes/no question; IDYES unless a test says otherwise
};

void ClearOwnSection(const wchar_t* section);
std::wstring Section(const std::wstring& file, const wchar_t* section);

// Entries of every kind, and the changes of every kind a save may make of them.
extern const wchar_t* const Scenario;
extern const wchar_t* const ListerAfter;  // [ListerPlugins] after MarkEverything was saved
void MarkEverything(SaveFixture& f);
