#include "foundation/ui_globals.h"

#include <cstring>

#include "foundation/handles.h"

HINSTANCE AppInstance = nullptr;
int UiDpi = 96;

int UiScale(int size96) { return MulDiv(size96, UiDpi, 96); }

int UiScreenDpi() {
    WindowDc screen(nullptr);
    int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

HFONT UiFont = nullptr;
HFONT UiFontFixed = nullptr;
HFONT UiFontSemibold = nullptr;
HFONT UiFontHeading = nullptr;
HFONT UiFontSubheading = nullptr;
HFONT UiSymbolFont = nullptr;
int32_t UiFontPx = 12;

void UiCopyToClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool handedOver = false;
    if (void* p = block ? GlobalLock(block) : nullptr) {
        memcpy(p, text.c_str(), bytes);
        GlobalUnlock(block);
        handedOver = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (block && !handedOver) GlobalFree(block);
    CloseClipboard();
}
