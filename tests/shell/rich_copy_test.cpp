#include <doctest/doctest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>

#include "foundation/ui_globals.h"
#include "shell/rich_copy.h"
#include "support/test_support.h"

TEST_CASE("plain copy: zero-width spaces dropped, a CR becomes CR LF, a CR LF stays one") {
    CHECK(PlainCopyText(L"a\u200Bb\rc") == L"a" L"b\r\nc");
    CHECK(PlainCopyText(L"x\r\ny") == L"x\r\ny");
    CHECK(PlainCopyText(L"\u200B") == L"");
    CHECK(PlainCopyText(L"end\r") == L"end\r\n");
}

TEST_SUITE("listview") {

TEST_CASE("the detail pane copies its selection as plain text on Ctrl+C and WM_COPY") {
    REQUIRE(LoadLibraryW(L"Msftedit.dll"));
    HWND rich = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
    REQUIRE(rich);
    SetWindowTextW(rich, L"a\u200Bb\rc tail");
    SetWindowSubclass(rich, RichCopySubclassProc, 2, 0);
    CHARRANGE range{0, 5};
    SendMessageW(rich, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(rich, WM_COPY, 0, 0);
    CHECK(ClipboardText() == L"ab\r\nc");
    range = {0, 0};
    SendMessageW(rich, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(rich, WM_COPY, 0, 0);
    CHECK(ClipboardText() == L"ab\r\nc");  // an empty selection leaves the clipboard alone
    DestroyWindow(rich);
}

}  // TEST_SUITE
