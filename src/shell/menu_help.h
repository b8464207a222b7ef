// The menu bar, the fonts at the window's dpi, the help file, the About box and
// the small services every part of the window leans on. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "views/main_view.h"

// The program's version as the banner and the About box show it.
inline constexpr wchar_t VersionText[] = L"2.0";

HMENU BuildMainMenu();
// (Re)makes every font for UiDpi and hands them to the controls.
void UiRebuildFonts(MainView& view);
// The help page of the shown tab (and preview mode).
std::wstring HelpPageForCurrentTab(const MainView& view);
// The help file chosen by language: the primary when it exists, else the other, else "".
std::wstring HelpFilePath();
// Opens a page of the help file with hh.exe over the main window; without a help
// file (or for the legend, on a network drive) the legend window instead.
void ShowHelp(MainView& view, const std::wstring& page, bool legend);
void ShowAbout(HWND owner);
// Asks the main window to show the selected row's details again.
void UiPostRefresh(HWND main);
