// What TC settles about a file type before it asks any Lister plugin: types it
// blocks, types its own image viewer and media player show, and view modes by
// file type.
#pragma once
#include <string>
#include <vector>

#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"

// A word of a [Lister] type list names the extension: a pattern as TC writes
// them ("*.webm"), or a plain extension ("webm", ".webm"), case ignored.
bool TypeListMatches(const std::vector<std::wstring>& words, const std::wstring& ext);

// A view-mode word with a '.' names a plugin file; the others name a view mode.
bool ModeWordNamesPlugin(const std::wstring& word);
// A view-mode word for people: a plugin file as written, a view mode by its name.
std::wstring ModeWordText(const std::wstring& word);

// TC shows files of this type itself while its multimedia viewing is on.
bool IsTcOwnViewerExt(const ListerSettings& s, const std::wstring& ext);

enum ListerStateCode : int { ListerStateNone = 0, ListerStateMode = 1, ListerStateBlocked = 2, ListerStateOwn = 3 };

// 0: TC leaves the extension to the plugin order; 1: a view mode puts this plugin
// first; 2: the plugin is passed over or the type is blocked. status and hint
// always come back set (possibly empty); code gets a ListerStateCode.
int ListerStateText(const ListerSettings& s, const PlugEntry& entry, const std::wstring& ext, std::wstring& status,
                    std::wstring& hint, int* code = nullptr, std::wstring* modePlugin = nullptr);

// Why a greedy Lister plugin near the front hurts: how many existing plugins
// behind entry `number` only see what it declines.
std::wstring GreedyNoteText(const std::vector<PlugEntry>& entries, int number);
