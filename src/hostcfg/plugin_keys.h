// Keys under which the model finds one plugin or entry again: in the probe cache,
// the inventory, the field-usage index, the kept entries, the pending edits, and
// between a plugin's 32-bit and 64-bit files. One rule for case: every key holds
// its text folded (FoldCase: A-Z lower case, other letters upper case, as Windows
// folds file names), so no key depends on how a path or name was capitalised.
#pragma once
#include <string>

struct PlugEntry;

// Folded; a trailing "64" is cut when at least 7 characters are there,
// so Foo.wlx64 becomes foo.wlx while the bare ".wlx64" stays as it is.
std::wstring PlugKeyName(const std::wstring& text);
// The key under which a registration is compared with another and with the files
// on disk, so that one file is one key however its path is spelled (8.3 names, "."
// and "..", doubled separators): PlugKeyName of LongFullPath. Asks the disk.
std::wstring PlugFileKey(const std::wstring& path);
// The same from the long path the entry's load made once; from its expandedPath
// when it was made without a load.
std::wstring PlugFileKey(const PlugEntry& entry);
// Folded file name without folder and extension, "64" cut: foo for ...\Foo.wlx64.
std::wstring PlugKey(const std::wstring& path);
// 'L', 'C', 'P', 'F' for kinds 0..3; any other kind gives 'L'.
wchar_t PlugKindLetter(int kind);
// Kind letter, '|' and the trimmed, folded text.
std::wstring KindKey(int kind, const std::wstring& text);
// Kind letter, '|' ('!' with mark: remove a whole line or section), the trimmed,
// folded text.
std::wstring MakePlugKey(int kind, bool mark, const std::wstring& text);
// "L|3", "C|12": the key of a Lister or Content entry's pending edit.
std::wstring EntryEditKey(int kind, int number);
// The entry's key in the Parked section: kind letter, '|' and its folded
// expanded path with '=', '[' and ']' made '_', which a profile key cannot hold.
std::wstring IniKeyOfEntry(const PlugEntry& entry);
