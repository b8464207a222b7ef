// Window pieces the install and uninstall dialogs share.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "install/report.h"

// Centres the window on its owner (or the work area), kept inside the owner's monitor.
void UiCenterOnParent(HWND window, int width, int height);
// A child control placed later by the layout; font null means UiFont.
HWND UiAddControl(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                  DWORD exStyle, HFONT font = nullptr);
HWND UiAddControlAt(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
                    DWORD exStyle, HFONT font, int x, int y, int width, int height);
// Sets RTF text and the scheme's window colour as the background.
void RichSetText(HWND richEdit, const std::string& rtf);
// True once the rich edit library is loaded; the reports then show as RTF.
bool RichEditReady();
// The whole text of a dialog item, however long.
std::wstring DlgItemText(HWND dialog, int id);
// The class of report boxes: the rich edit when ready, else a plain edit.
const wchar_t* ReportBoxClass();
// Shows the report in a box of ReportBoxClass, as RTF or as plain text.
void ShowReportInBox(HWND box, const std::vector<ReportRow>& rows);
