// The search row: finds rows of the shown list by cell text, by an extension the
// INI detect string names and by a content field name, and steps through them.
// Hits are held by the rows' item data, so a sort or a refill cannot point them at
// other rows. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "probe/workers.h"
#include "shell/search_match.h"

extern FieldCache FieldNameCache;

// Searches the current list with the text of the search edit.
void RunSearch();
// Next (+1) or previous (-1) hit, wrapping at both ends.
void OnSearchEdit(int step);
void FocusSearch();
void UpdateSearchStatus();
// After a fill: the hits are looked for again in the new rows, without moving the selection.
void SearchAfterFill();
LRESULT CALLBACK SearchEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR);

// The field names of every Content plugin, once per run, asked only of plugins
// whose cached names are older than their file.
void StartFieldScan();
void LoadFieldsCache();
// Takes ownership of the record.
void OnFieldsResult(FieldListMsg* record);
