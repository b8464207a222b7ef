// Reading INI files through the Windows profile functions; files are named by full path.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

using IniPairs = std::vector<std::pair<std::wstring, std::wstring>>;
using IniSections = std::vector<std::pair<std::wstring, IniPairs>>;

// The value as the platform returns it (one pair of surrounding quotes gone), "" when absent.
std::wstring IniGetString(const std::wstring& ini, const std::wstring& section, const std::wstring& key);
// First pair whose key equals the key ignoring case.
std::optional<std::pair<std::wstring, std::wstring>> KvFindNoCase(const IniPairs& lines, const std::wstring& key);
// Every key=value line in file order, repeated keys kept; keys trimmed, values as written.
IniPairs ReadIniSection(const std::wstring& ini, const std::wstring& section);
// Every section name of the file, in file order; the buffer grows, so none is missed.
std::vector<std::wstring> IniSectionNames(const std::wstring& ini);
bool IniHasSection(const std::wstring& ini, const std::wstring& section);
// The trimmed value of a key of TC's [Lister] section.
std::wstring ReadListerKey(const std::wstring& ini, const std::wstring& key);
// Every section of an INI text in file order, read as the profile functions read a
// file: names, keys and values trimmed; comments, lines without "=" and lines before
// the first section skipped. One pass, where asking the profile functions section by section
// grows with the square of the sections.
IniSections ParseIniText(const std::wstring& text);
// The file decoded by its byte-order mark, then ParseIniText; empty when unreadable.
IniSections ReadIniFile(const std::wstring& ini);
