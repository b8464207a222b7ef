#include "foundation/ui_globals.h"

HINSTANCE AppInstance = nullptr;
HWND MainWnd = nullptr;
int UiDpi = 96;

int UiScale(int size96) { return MulDiv(size96, UiDpi, 96); }

HFONT UiFont = nullptr;
HFONT UiFontFixed = nullptr;
HFONT UiFontSemibold = nullptr;
HFONT UiFontHeading = nullptr;
HFONT UiFontSubheading = nullptr;
HFONT UiSymbolFont = nullptr;
int32_t UiFontPx = 12;
