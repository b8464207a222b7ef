// The search row: finds rows of the shown list by cell text, by an extension the
// INI detect string names and by a content field name, and steps through them.
// Hits are held by the rows' item data, so a sort or a refill cannot point them at
// other rows. UI thread only.
#pragma once
#include <windows.h>

#include <string>

#include "probe/workers.h"
#include "shell/search_match.h"
#include "views/main_view.h"

extern FieldCache FieldNameCache;

// Searches the current list with the text of the search edit.
void RunSearch(MainView& view);
// Next (+1) or previous (-1) hit, wrapping at both ends.
void OnSearchEdit(MainView& view, int step);
void FocusSearch(MainView& view);
void UpdateSearchStatus(MainView& view);
// After a fill: the hits are looked for again in the new rows, without moving the selection.
void SearchAfterFill(MainView& view);
// Subclass id 3 of the search edit; data is the MainView.
LRESULT CALLBACK SearchEditSubclassProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

// The field names of every Content plugin, once per set of plugins: again after each
// reset of the plugin caches (a reload, a save, another wincmd.ini), and asked only
// of plugins whose cached names are older than their file or missing. A scan whose
// thread could not start is tried again when the search next needs it.
void StartFieldScan(const MainView& view);
void LoadFieldsCache();
// Handler of MsgFieldList: the names of one plugin, moved into the cache.
void OnFieldsResult(MainView& view, FieldListMsg& result);
