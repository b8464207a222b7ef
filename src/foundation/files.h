// File tests, reading and version texts through the Windows file calls.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The folder of the program file.
std::wstring AppDir();
// An existing path that is not a folder.
bool FileExists(const std::wstring& path);
// The absolute form of a path; the profile functions would take a relative INI
// path from the Windows folder. "" stays "".
std::wstring FullPath(const std::wstring& path);
// The full path with backslashes and without trailing separators: "." and ".."
// resolved as the system resolves them.
std::wstring NormalFullPath(const std::wstring& path);
// NormalFullPath with the long name in place of every short (8.3) name, as
// PROGRA~1 for Program Files: asks the disk when the path holds a '~'. A missing
// file keeps its own name after its folder's long path; a missing folder keeps
// the whole path as it is.
std::wstring LongFullPath(const std::wstring& path);
// The same in lower case, so that two spellings of one path compare equal ("" when
// a ".." is left in it, which matches nothing).
std::wstring ComparablePath(const std::wstring& path);
// The first path lies strictly inside the second (both compared as above).
bool PathIsBelow(const std::wstring& inner, const std::wstring& outer);
// The path is the folder or lies inside it.
bool PathSameOrBelow(const std::wstring& path, const std::wstring& folder);
// The path as the file system finally names it, every link and junction on the
// way resolved; "" when it cannot be opened.
std::wstring FinalPath(const std::wstring& path);
// An existing file or folder that is a link, a junction or another reparse point.
bool IsReparsePoint(const std::wstring& path);
// What a write that must keep every name of a file needs to know of its path.
struct PathLink {
    bool link = false;       // the path itself is a link, a junction or another reparse point
    std::wstring finalPath;  // the file it leads to (FinalPath); "" when that cannot be named
};
PathLink PathLinkOf(const std::wstring& path);
// A link to a missing file, or to one on a volume without a drive letter: a
// replacement through the path would put a file of its own in the link's place.
bool LinkWithoutFile(const PathLink& at);
// Creates a folder and its missing parents; true when the folder exists afterwards.
// A path of 248 characters or more fails at once, as Windows would fail it.
bool MakeDirs(const std::wstring& path);
bool FileHasUtf8Bom(const std::wstring& path);
// The first byteLimit bytes of the file (fewer when it is shorter), read while
// others may write it; "" when it cannot be opened.
std::string ReadFileHead(const std::wstring& path, size_t byteLimit);
// Every byte of the file, read from its start through one handle, for a copy that
// must be whole: nothing when it cannot be opened or the read gives fewer or more
// bytes than the file's size (a read cut short, a file that changed meanwhile).
std::optional<std::string> ReadWholeFile(const std::wstring& path);
// The same through a handle (a HANDLE) open for reading.
std::optional<std::string> ReadWholeOpenFile(void* file);
// The file starts with the byte-order mark of UTF-16 (LE or BE).
bool FileHasUtf16Bom(const std::wstring& path);
// The bytes start with the mark of UTF-8, UTF-16 LE or UTF-16 BE.
bool HasByteOrderMark(std::string_view bytes);
// Decodes by the byte-order mark: UTF-8, UTF-16 LE or BE, else the ANSI code page
// up to the first NUL.
std::wstring DecodeText(std::string_view bytes);
// Reads at most byteLimit bytes and decodes them as DecodeText does.
std::wstring ReadTextFileAuto(const std::wstring& path, size_t byteLimit);
// "YYYY-MM-DD hh:mmZ|size" of the file (its "64" twin when that exists), "" when unreadable.
std::wstring FileStamp(const std::wstring& path);
// The fixed file version "a.b.c.d"; without keepZeros trailing ".0" parts go.
std::wstring FileVersionText(const std::wstring& path, bool keepZeros);
// Appends the path and adds its size when it names an existing file.
void AddExistingFile(std::vector<std::wstring>& list, uint64_t& total, const std::wstring& path);
// The platform's short size text, e.g. "1.50 KB".
std::wstring StrByteSizeText(uint64_t bytes);
