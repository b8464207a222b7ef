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
// file: names, keys and values trimmed of ASCII blanks and Ctrl-Z; a NUL ends the name
// or value it stands in; comments, lines without "=", lines before the first
// section and a "[" line without "]" skipped. One pass, where asking the profile
// functions section by section grows with the square of the sections.
IniSections ParseIniText(const std::wstring& text);
// For the scope, ReadIniFile on any thread waits, and the scope waits for the reads
// in course: the profile functions rewrite a file in place without sharing it, so a
// worker's read could make the program's own write fail, or see half a file.
class IniWriteScope {
public:
    IniWriteScope();
    ~IniWriteScope();
    IniWriteScope(const IniWriteScope&) = delete;
    IniWriteScope& operator=(const IniWriteScope&) = delete;
};
// A read's side of the same: while one is held, an IniWriteScope waits. A reader that
// looks at a file more than once (whether it is there, whether it opens, its text)
// holds one over all of it, since a file open for reading cannot be replaced.
class IniReadScope {
public:
    IniReadScope();
    ~IniReadScope();
    IniReadScope(const IniReadScope&) = delete;
    IniReadScope& operator=(const IniReadScope&) = delete;
};
// Reads that found an IniWriteScope held and wait for its end, now.
int IniReadsWaiting();
// The file decoded as the profile functions decode it (by its byte-order mark:
// UTF-8, UTF-16 LE or BE, else the ANSI code page), then ParseIniText; empty when
// unreadable. Within an IniReadScope.
IniSections ReadIniFile(const std::wstring& ini);
// The same for a caller that holds a scope already: a second hold of the same
// thread would wait behind a waiting write for ever.
IniSections ReadIniFile(const IniReadScope& held, const std::wstring& ini);
// The same read whole; nothing when the file cannot be read to its end.
std::optional<IniSections> ReadWholeIniFile(const std::wstring& ini);
// The first character of the text that the file, as the profile functions write
// it, cannot hold; "" when none. A file that starts with the byte-order mark of
// UTF-16 holds every one; any other they write in the ANSI code page, which puts a
// look-alike ('[' for '［', '=' for '＝') or '?' in place of a character it lacks.
std::wstring CharIniCannotHold(const std::wstring& ini, const std::wstring& text);
// The lines of the first section of that name, ignoring case, the one the profile
// functions read; null when there is none.
const IniPairs* IniFindSection(const IniSections& sections, const std::wstring& name);
// A key's value as IniGetString returns it: the first line of the key (ignoring
// case) in that section, without one pair of surrounding single or double quotes;
// "" when absent.
std::wstring IniFindValue(const IniSections& sections, const std::wstring& section, const std::wstring& key);
// The same within the lines of one section.
std::wstring IniLinesValue(const IniPairs& lines, const std::wstring& key);
