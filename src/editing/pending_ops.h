// Small operations over the pending-change state that the lists, the editor and
// the save share. Nothing here writes wincmd.ini. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class IEditingHost;
struct PendingEdit;
struct PlugEntry;

// The detect string the edited entry will get on save.
std::wstring ComposeDetectString(const PendingEdit& edit);
// The entry's detect string would change. Extensions taken out down to an empty
// detect string change nothing: only an explicit empty string removes the key.
bool EntryDiffers(const PendingEdit& edit);
// The edit sets a detect string that is empty: the save removes the key.
bool EditRemovesDetect(const PendingEdit& edit);
// Deleted, moved to another path, or a detect string that changes.
bool EditNeedsSave(const PendingEdit& edit);
uint32_t CountPendingChanges();
// Erases the shown tab's edit of that entry when it no longer changes anything.
void DropPendingIfUnchanged(int kind, int number);
// Makes the plugin's own detect string the pending detect string of a Lister or
// Content entry; false, changing nothing, when the plugin gave none that may be
// written (PluginDetectUsable).
bool TakePluginDetect(const PlugEntry& entry);
bool RowHasPending(const PlugEntry& entry);
// Toggles the deletion mark of TabEntries[row] (a Packer entry: of its line ext,
// or of all its lines when ext is empty); asks before it sets the mark.
void AskMarkDelete(IEditingHost& host, HWND owner, int row, const std::wstring& ext);
// File › Discard: asks, forgets every pending change and refills the shown tab,
// whose rows stood in the pending order.
void DiscardAllPending(IEditingHost& host, HWND owner);
