// Modal dialogs without resources: a bare frame built in memory, whose procedure
// creates its own controls and then fits the push buttons to their translated captions.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

void PushWord(std::vector<uint16_t>& words, uint16_t value);
// A DLGTEMPLATE of cx x cy dialog units, 8-point "MS Shell Dlg", centred, no
// controls; only the high word of extraStyle is used. 4-byte aligned as
// DialogBoxIndirectParamW needs.
std::vector<uint32_t> BuildDlgTemplate(uint16_t cx, uint16_t cy, DWORD extraStyle);
// Builds the template and runs the dialog modally; the dialog's result.
INT_PTR RunTemplateDialog(HWND owner, uint16_t cx, uint16_t cy, DWORD extraStyle, DLGPROC proc,
                          LPARAM param);
// The entry editor: the taller form holds the packer capability check boxes.
// True exactly when the user confirmed (IDOK).
bool EditEntryDialog(HWND owner, DLGPROC editorProc, LPARAM editRecord, bool capabilityForm);

// Widens push buttons to their captions and re-packs each row from its right end;
// never shrinks a button, never moves one vertically, never resizes the dialog.
void FitDialogLayout(HWND dialog);
// EnumChildWindows callback: collects push buttons into the std::vector<HWND> at lParam.
BOOL CALLBACK EnumButtonsProc(HWND window, LPARAM buttons);

// The width of a text in a control's font, in pixels.
int UiTextWidth(HWND control, const std::wstring& text);
// A child control of an in-memory dialog, with the dialog's font.
HWND UiAddDlgControl(HWND dialog, const wchar_t* className, const std::wstring& text, DWORD style,
                     const RECT& box, int id, DWORD exStyle);
// A child window's rectangle in the dialog's client coordinates.
RECT UiItemRect(HWND dialog, HWND item);
// Moves and sizes a dialog item; negative sizes count as 0; a missing item is skipped.
void UiMoveItem(HWND dialog, int id, int x, int y, int width, int height);
