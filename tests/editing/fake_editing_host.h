// The window above the editing commands, as the tests stand in for it: message
// boxes recorded and answered, the context menus, the entry editor and the jump to
// a finding scripted, the recycle bin there or not. Host is IEditingHost or an
// interface derived from it; what it adds, the test's own fake implements.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "editing/editing_host.h"

template <typename Host = IEditingHost>
struct FakeHost : Host {
    std::vector<std::wstring> shown;  // the text of every message box
    int answer = IDYES;               // to every yes/no question
    int saveAnswer = 1;               // of the save dialog: save, closing TC
    std::function<void()> refill;
    std::function<int(int finding)> jump;                   // -1 without
    std::function<bool(HWND, EntryEditForm&)> editor;       // cancelled without
    std::function<UINT(HMENU)> menu;                        // the id chosen of each context menu; 0 without
    std::function<void()> whileAsking;                      // what happens while a message box is open
    bool recycleBin = true;
    bool writing = false;                                   // between the save's SaveWriting calls
    std::function<void(int done, int total)> progress;      // each SaveProgress

    int ShownTab() override { return 0; }
    void RefillShownTab() override {
        if (refill) refill();
    }
    void UpdateStatusBar() override {}
    void PendingChanged() override {}
    int JumpToFinding(int finding) override { return jump ? jump(finding) : -1; }
    void RecheckLister() override {}
    void ShowTextPopup(const std::wstring&, const std::wstring&) override {}
    void ShowPluginInfo(const PlugRef&) override {}
    std::wstring RowStateGlyph(const PlugEntry&) override { return L""; }
    int Message(HWND, const std::wstring& text, UINT type) override {
        shown.push_back(text);
        if (whileAsking) whileAsking();
        return (type & MB_TYPEMASK) == MB_YESNO ? answer : IDOK;
    }
    UINT PopupMenu(HWND, POINT, HMENU m) override { return menu ? menu(m) : 0; }
    int AskToSave(HWND, const std::wstring&, bool) override { return saveAnswer; }
    bool RunEntryEditor(HWND owner, EntryEditForm& form) override { return editor && editor(owner, form); }
    bool RecycleBinAvailable(const std::wstring&) override { return recycleBin; }
    void SaveWriting(bool on) override { writing = on; }
    void SaveProgress(int done, int total) override {
        if (progress) progress(done, total);
    }
};
