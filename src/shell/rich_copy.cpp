#include "shell/rich_copy.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <vector>

#include "foundation/ui_globals.h"
#include "shell/menu_help.h"

std::wstring PlainCopyText(const std::wstring& selected) {
    std::wstring out;
    out.reserve(selected.size() + selected.size() / 8);
    for (size_t i = 0; i < selected.size(); ++i) {
        wchar_t c = selected[i];
        if (c == L'\u200B') continue;  // break hints of the pane, not text
        if (c == L'\r') {
            out += L"\r\n";
            if (i + 1 < selected.size() && selected[i + 1] == L'\n') ++i;
            continue;
        }
        out += c;
    }
    return out;
}

void CopyRichSelection(HWND rich) {
    CHARRANGE range{};
    SendMessageW(rich, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (range.cpMax <= range.cpMin) return;
    // EM_GETSELTEXT writes as much as the selection holds, whatever the buffer; the
    // range read is bounded by the range itself, which the buffer was sized for.
    std::vector<wchar_t> buffer(static_cast<size_t>(range.cpMax - range.cpMin) + 1, L'\0');
    TEXTRANGEW part{range, buffer.data()};
    auto got = static_cast<size_t>(SendMessageW(rich, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&part)));
    UiCopyToClipboard(rich, PlainCopyText(std::wstring(buffer.data(), std::min(got, buffer.size() - 1))));
}

LRESULT CALLBACK RichCopySubclassProc(HWND rich, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_COPY:
        CopyRichSelection(rich);
        return 0;
    case WM_KEYDOWN:
        if (GetKeyState(VK_CONTROL) < 0 && (wParam == 'C' || wParam == VK_INSERT)) {
            CopyRichSelection(rich);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(rich, RichCopySubclassProc, 2);
        break;
    }
    return DefSubclassProc(rich, msg, wParam, lParam);
}
