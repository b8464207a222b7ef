// Editing one plugin entry through the entry editor, and the context menu of the
// extension list under the plugin list. Only the pending state changes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class IEditingHost;

// Edits TabEntries[row]; for a Packer entry ext names its line (empty: all lines).
void EditEntry(IEditingHost& host, HWND owner, int row, const std::wstring& ext);
// The extensions the completion offers: the plugin's own first (ownCount), then
// those of every entry of the tab, sorted; upper case, each once.
std::vector<std::wstring> KnownExtensions(size_t row, uint64_t& ownCount);

// The context menu of one row of the extension list. shown: the TabEntries index
// whose extensions the list shows; rowKind 0 extension row, 1..3 keyword rows,
// 4 information row; claimers: the TabEntries indexes that claim the row's key.
// The key is a copy: the list's rows are rebuilt when a probe answer comes while
// the menu is open.
void ExtRowMenu(IEditingHost& host, HWND owner, POINT screen, int shown, uint32_t rowKind, std::wstring key,
                const std::vector<size_t>& claimers);
// Which plugins of the tab claim the extension, in TC's order, with those that
// want (almost) every file.
std::wstring WhoClaimsReport(IEditingHost& host, const std::wstring& key, const std::vector<size_t>& claimers);
