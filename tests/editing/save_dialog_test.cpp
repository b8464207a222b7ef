// The save dialog as the user meets it: the whole change list, the buttons that
// fit whether TC runs, and Esc as cancel.
#include <cstdlib>

#include "editing/save_dialog.h"
#include "editing_test_util.h"

namespace {

struct Seen {
    int listChars = -1;
    bool saveOnly = false;
    std::wstring firstButton;
} seen;

// Reads the open dialog and leaves it as Esc would.
VOID CALLBACK InspectAndCancel(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND dlg = FindWindowW(L"#32770", L"Save changes");
    if (!dlg) return;
    seen.listChars = GetWindowTextLengthW(GetDlgItem(dlg, 101));
    seen.saveOnly = GetDlgItem(dlg, 3) != nullptr;
    wchar_t text[64] = {};
    GetWindowTextW(GetDlgItem(dlg, 1), text, 64);
    seen.firstButton = text;
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
}

int Run(const std::wstring& list, bool tcRunning) {
    seen = {};
    const char* hold = getenv("KV_DIALOG_HOLD_MS");  // time to look at it by hand
    SetTimer(nullptr, 0, hold ? (UINT)atoi(hold) : 300, InspectAndCancel);
    return RunSaveDialog(nullptr, list, tcRunning);
}

}  // namespace

TEST_SUITE("windows") {
    TEST_CASE("the save dialog shows every change and offers what fits") {
        SaveFixture f(L"dialog", L"");
        std::wstring list;
        for (int i = 0; list.size() < 100000; ++i)
            list += L"[Lister]  #" + std::to_wstring(i) + L"  plugin\r\n  old: EXT=\"A\"\r\n  new: EXT=\"B\"\r\n\r\n";
        CHECK(Run(list, false) == SaveCancel);
        CHECK(seen.listChars == (int)list.size());
        CHECK((!seen.saveOnly && seen.firstButton == L"Save"));
        CHECK(Run(L"x\r\n", true) == SaveCancel);
        CHECK((seen.saveOnly && seen.firstButton == L"Save and restart TC"));
    }
}
