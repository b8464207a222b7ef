// What the Lister check offers on a row: make TC always open the file's extension
// with the row's plugin (a view mode by file type), move the plugin before the
// first F3 candidate, copy the detect string; and closing the gap in the view-mode
// rules. The view-mode writes run inside a save, so TC is closed around them and
// the file gets a backup and a change-log line. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "editing/save_io.h"

class IEditingHost;
struct SaveRequest;

// The view-mode rule the action writes for the row, or why it cannot.
struct ModeRulePlan {
    const char* refusal = nullptr;  // text key of the refusal; nullptr when the rule may be written
    std::wstring refusalText;       // the refusal filled in
    int number = -1;                // the rule to write
    std::wstring exts, fields;
    std::wstring oldFields;         // what a rewritten rule held
    bool switchModesOn = false;     // [Lister] ModeByfileType is "0"
};
// TC takes the first rule that matches: that rule is rewritten when it holds
// exactly the one pattern, refused when it holds others beside it, and a new rule
// is appended only when none matches, whether view modes are on or not.
ModeRulePlan PlanModeRule(const std::wstring& ext, const std::wstring& pluginPath);

void LvCheckMenu(IEditingHost& host, HWND owner, POINT screen, int index);
// Asks and fills the request for the row's view-mode rule; false when refused or declined.
// The rule's writes go through io, the save's own.
bool LvAlwaysPrepare(IEditingHost& host, HWND owner, int index, SaveRequest& request, SaveIo& io = SystemSaveIo());
void LvAlways(IEditingHost& host, HWND owner, int index, SaveIo& io = SystemSaveIo());
// Puts the row's plugin before the first F3 candidate and saves at once through
// io; an order the save could not write is withdrawn.
void LvMoveToFront(IEditingHost& host, HWND owner, int index, SaveIo& io = SystemSaveIo());
bool ModeGapFixPrepare(IEditingHost& host, HWND owner, SaveRequest& request, SaveIo& io = SystemSaveIo());
void ModeGapFix(IEditingHost& host, HWND owner, SaveIo& io = SystemSaveIo());
