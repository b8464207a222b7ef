// The entry editor: one modal dialog for every kind of plugin entry. Lister and
// Content entries get a detect-string field with a live syntax status and Tab
// completion of keywords and extensions; Packer entries get the capability boxes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct EntryEditForm {
    std::wstring title;
    std::wstring label1, value1;  // control 100, edit 101
    std::wstring label2, value2;  // control 102, edit 103
    uint8_t detectEditor = 0;     // edit 103 is the detect-string field
    int pathField = 0;            // 0 none, 1 edit 101, 2 edit 103 completes file names
    uint8_t packer = 0;           // the ten capability boxes
    int pluginCaps = -1;          // what the take-number button writes; -1 hides it
    std::vector<std::wstring> knownExts;  // upper case, the plugin's own ones first
    uint64_t ownExtCount = 0;

    // Working state of the dialog.
    int minWidth = 0, minHeight = 0;  // 0: not resizable
    uint8_t guard = 0;                // the dialog itself rewrites edit 101 or the boxes
    HWND popup = nullptr;             // the open completion list
    std::vector<std::wstring> candidates;
    int replaceStart = 0, replaceEnd = 0;
    uint8_t swallowChar = 0;          // the key that drove the list must not type too
    HFONT monoFont = nullptr;
};

enum EntryEditorIds : int {
    EdLabel1 = 100, EdValue1 = 101, EdLabel2 = 102, EdValue2 = 103, EdStatus = 104,
    EdCapsBox = 120, EdTakeCaps = 130,
};

// Runs the dialog; true on OK, the two values then hold the user's texts with CR
// and LF removed and trimmed.
bool EditEntryDialog(HWND owner, EntryEditForm& form);
INT_PTR CALLBACK DetectEditDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The control's text with CR and LF removed, then trimmed.
std::wstring UiGetItemText(HWND dialog, int id);
// The number in edit 101; -1 when empty, not all digits or too large to hold.
int EditDlgReadNumber(HWND dialog);
// Recomputes the status line under the detect-string field.
void DetectSyntaxStatus(HWND dialog);
// The status line's state: 1 fine, 2 error or too long, 0 no status line.
int DetectStatusState(HWND dialog);

// Completes at the caret or opens the list of candidates.
void ShowDetectCompletion(HWND edit, EntryEditForm& form);
void AcAccept(HWND edit, EntryEditForm& form);
void AcClosePopup(EntryEditForm& form);
