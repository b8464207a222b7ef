// What every window of the program shares: the instance, the main window's dpi
// and the fonts made for that dpi. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

extern HINSTANCE AppInstance;
extern int UiDpi;  // the main window's dpi, 96 = 100 %

// A size given at 96 dpi, at the main window's dpi.
int UiScale(int size96);
// The screen's vertical dpi, 96 when it cannot be read.
int UiScreenDpi();

extern HFONT UiFont;            // every control of the main window
extern HFONT UiFontFixed;       // the detail pane on the inventory tab
extern HFONT UiFontSemibold;    // group headers, key bar, the active pick button
extern HFONT UiFontHeading;     // heading line of the install dialog
extern HFONT UiFontSubheading;  // sub-lines of the install dialog
extern HFONT UiSymbolFont;      // "Marlett" glyphs of the search buttons
extern int32_t UiFontPx;        // height of UiFont in pixels, at least 8

// Puts the text on the clipboard as Unicode text, owned by the window; nothing
// happens while the clipboard is busy.
void UiCopyToClipboard(HWND owner, const std::wstring& text);
