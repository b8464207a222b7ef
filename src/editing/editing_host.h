// What the editing commands and the save need of the window above them. The
// operations take it by reference; the main window implements it, tests fake it.
#pragma once
#include <windows.h>

#include <string>

struct EntryEditForm;
struct PlugEntry;
struct PlugRef;

class IEditingHost {
public:
    virtual ~IEditingHost() = default;
    virtual int ShownTab() = 0;  // the shown main tab, 0..6
    virtual void RefillShownTab() = 0;
    virtual void UpdateStatusBar() = 0;
    // After an operation changed the pending state: the window shows it once the operation is over.
    virtual void PendingChanged() = 0;
    // Shows the finding's entry on its tab; its TabEntries row, -1 when there is none.
    virtual int JumpToFinding(int finding) = 0;
    virtual void RecheckLister() = 0;  // the preview tab in Lister mode checks its file again
    virtual void ShowTextPopup(const std::wstring& title, const std::wstring& text) = 0;
    virtual void ShowPluginInfo(const PlugRef& ref) = 0;
    // The glyph of the row's state in the plugin list.
    virtual std::wstring RowStateGlyph(const PlugEntry& entry) = 0;
    // Every message box of the editing commands and the save; the button pressed.
    virtual int Message(HWND owner, const std::wstring& text, UINT type) = 0;
    // Every context menu of the editing commands, at the screen point; the chosen
    // id, 0 for none. The window knows a menu is open and changes nothing meanwhile
    // that it can leave for later; what it cannot (a probe job's end) may still move
    // the rows, so the caller finds its row again afterwards.
    virtual UINT PopupMenu(HWND owner, POINT screen, HMENU menu) = 0;
    // The save dialog listing every change; a SaveDialogResult.
    virtual int AskToSave(HWND owner, const std::wstring& changeList, bool tcRunning) = 0;
    // The entry editor; true when the user confirmed the form.
    virtual bool RunEntryEditor(HWND owner, EntryEditForm& form) = 0;
    virtual bool RecycleBinAvailable(const std::wstring& path) = 0;  // of the path's drive
    // The save's writes begin (true) and end (false, on every way out of them):
    // meanwhile the window takes no input and runs no command.
    virtual void SaveWriting(bool writing) = 0;
    // After each write of the save: done of the writes planned so far. The window
    // shows how far the save is and repaints now and then.
    virtual void SaveProgress(int done, int total) = 0;
};
