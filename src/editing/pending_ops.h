// What the pending changes amount to: the detect string an edited entry will get,
// whether an edit still changes anything, and how many changes wait for a save.
#pragma once
#include <cstdint>
#include <string>

struct PendingEdit;
struct PlugEntry;

std::wstring ComposeDetectString(const PendingEdit& edit);
// The entry's detect string would change.
bool EntryDiffers(const PendingEdit& edit);
uint32_t CountPendingChanges();
// Erases the edit of entry `number` of the tab `kind` when it changes nothing any more.
void DropPendingIfUnchanged(int kind, int number);
bool RowHasPending(const PlugEntry& entry);
