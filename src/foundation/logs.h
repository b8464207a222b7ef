// The debug log (UTF-8, for diagnosis) and the change log (UTF-8 with BOM, for the user).
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

// DebugLog writes only while this is on; set on the UI thread, read by workers.
extern std::atomic<bool> DebugLogOn;
// Serialises the appends to the debug log; usable from the start, never destroyed.
extern std::mutex DebugLogLock;

// Appends "YYYY-MM-DD hh:mm:ss.mmm  <text>" to Kestrovane.debug.log; any thread.
// False when the line could not be written (true while the log is off).
bool DebugLog(const std::wstring& text);
// Appends ready-made lines in one write; a new or empty file first gets the UTF-8 BOM.
// False when the lines could not be written whole.
[[nodiscard]] bool AppendChangeLog(const std::vector<std::wstring>& lines);
// AppendChangeLog for a change the user made: what he is to be told when the lines
// could not be written (one line with its break), or nothing.
std::wstring LogChanges(const std::vector<std::wstring>& lines);
// stamp, two blanks, tab caption padded to 12, name padded to 22, one blank, text.
// kind is a main-tab index; it is clamped to 0..6.
std::wstring ChangeLogLine(const std::wstring& stamp, int kind, const std::wstring& name, const std::wstring& text);
