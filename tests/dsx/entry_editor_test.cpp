// The entry editor as a user drives it: the status line under the detect string,
// Tab completion, a change of the text while the list is open, and the packer boxes.
#include <doctest/doctest.h>
#include <windows.h>

#include <functional>

#include "dsx/entry_editor.h"
#include "dsx_test_util.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"

namespace {

std::function<void(HWND)> Script;

BOOL CALLBACK FindDialogProc(HWND window, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(window)) *(HWND*)found = window;
    return TRUE;
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialogProc, (LPARAM)&dialog);
    if (!dialog) return;
    KillTimer(nullptr, timer);
    Script(dialog);
}

bool RunEditor(EntryEditForm& form, std::function<void(HWND)> script) {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    Script = std::move(script);
    SetTimer(nullptr, 0, 50, RunScript);
    return EditEntryDialog(nullptr, form);
}

std::wstring Text(HWND dialog, int id) {
    wchar_t buf[512] = {};
    GetDlgItemTextW(dialog, id, buf, 512);
    return buf;
}

// As typing does: the multi-line edit reports no change for WM_SETTEXT.
void TypeAtEnd(HWND edit, const std::wstring& text) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
}

void Key(HWND edit, WPARAM key) { SendMessageW(edit, WM_KEYDOWN, key, 0); }

EntryEditForm DetectForm() {
    EntryEditForm form;
    form.title = L"Edit entry";
    form.label1 = L"Path";
    form.value1 = L"C:\\p\\a.wlx";
    form.label2 = L"Detect string";
    form.detectEditor = 1;
    form.knownExts = {L"PNG", L"JPG"};
    form.ownExtCount = 2;
    return form;
}

}  // namespace

TEST_SUITE("window") {
    TEST_CASE("the status line names the broken character and Tab completes keywords and extensions") {
        EntryEditForm form = DetectForm();
        std::wstring quoteError, okText, longText;
        int errorState = 0, okState = 0;
        bool popupOpened = false;
        std::wstring afterKeyword, afterList, afterNext;
        bool ok = RunEditor(form, [&](HWND dialog) {
            HWND edit = GetDlgItem(dialog, EdValue2);
            TypeAtEnd(edit, L"EXT=\"A");
            quoteError = Text(dialog, EdStatus);
            errorState = DetectStatusState(dialog);
            TypeAtEnd(edit, std::wstring(1997, L'x').insert(0, L"EXT=\"").append(L"\""));
            longText = Text(dialog, EdStatus);
            TypeAtEnd(edit, L"SIZE>0 & E");
            Key(edit, VK_TAB);
            afterKeyword = Text(dialog, EdValue2);
            Key(edit, VK_TAB);  // PNG and JPG: the list opens
            popupOpened = form.popup != nullptr;
            Key(edit, VK_DOWN);
            Key(edit, VK_RETURN);
            afterList = Text(dialog, EdValue2);
            okText = Text(dialog, EdStatus);
            okState = DetectStatusState(dialog);
            Key(edit, VK_TAB);  // the next alternative, then the one extension left
            afterNext = Text(dialog, EdValue2);
            TypeAtEnd(edit, afterNext + L"\r\n");
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        CHECK(ok);
        CHECK(quoteError == FillVar(Tr("syn_quote"), L"p", L"5"));
        CHECK(errorState == 2);
        CHECK(longText == FillVar(FillVar(Tr("syn_toolong"), L"n", L"2005"), L"m", L"2000"));
        CHECK(afterKeyword == L"SIZE>0 & EXT=\"");
        CHECK(popupOpened);
        CHECK(afterList == L"SIZE>0 & EXT=\"JPG\"");
        CHECK(okText == Tr("syn_ok"));
        CHECK(okState == 1);
        CHECK(afterNext == L"SIZE>0 & EXT=\"JPG\" | EXT=\"PNG\"");
        CHECK(form.value2 == afterNext);  // the line break typed last is gone
    }

    TEST_CASE("a change of the text by other means closes the list, so no stale range is replaced") {
        EntryEditForm form = DetectForm();
        bool opened = false, closed = false;
        std::wstring after;
        RunEditor(form, [&](HWND dialog) {
            HWND edit = GetDlgItem(dialog, EdValue2);
            TypeAtEnd(edit, L"EXT=\"");
            Key(edit, VK_TAB);
            opened = form.popup != nullptr;
            SendMessageW(edit, EM_SETSEL, 0, 0);
            SendMessageW(edit, EM_REPLACESEL, TRUE, (LPARAM)L"SIZE>0 & ");  // as a paste does
            closed = form.popup == nullptr;
            Key(edit, VK_RETURN);
            after = Text(dialog, EdValue2);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        CHECK(opened);
        CHECK(closed);
        CHECK(after == L"SIZE>0 & EXT=\"");
    }

    TEST_CASE("the capability boxes follow the number, and a number too large is refused") {
        EntryEditForm form;
        form.title = L"Edit entry";
        form.packer = 1;
        form.pluginCaps = 5;
        form.value1 = L"1029";
        form.value2 = L"C:\\p\\zip.wcx";
        int boxes = 0, hugeRead = 0, hugeBoxes = -1;
        std::wstring clicked, taken;
        bool ok = RunEditor(form, [&](HWND dialog) {
            for (int k = 0; k < 10; ++k)
                if (IsDlgButtonChecked(dialog, EdCapsBox + k)) boxes |= 1 << k;
            SendDlgItemMessageW(dialog, EdCapsBox + 1, BM_CLICK, 0, 0);
            clicked = Text(dialog, EdValue1);
            SendDlgItemMessageW(dialog, EdTakeCaps, BM_CLICK, 0, 0);
            taken = Text(dialog, EdValue1);
            SetDlgItemTextW(dialog, EdValue1, L"4294967297");
            hugeRead = EditDlgReadNumber(dialog);
            hugeBoxes = 0;
            for (int k = 0; k < 10; ++k)
                if (IsDlgButtonChecked(dialog, EdCapsBox + k)) hugeBoxes |= 1 << k;
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        CHECK_FALSE(ok);
        CHECK(boxes == 5);
        CHECK(clicked == L"1031");
        CHECK(taken == L"5");
        CHECK(hugeRead == -1);
        CHECK(hugeBoxes == 0);
    }
}
