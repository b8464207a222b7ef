// File tests, reading and version texts through the Windows file calls.
#pragma once
#include <cstdint>
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
// Creates a folder and its missing parents; true when the folder exists afterwards.
bool MakeDirs(const std::wstring& path);
bool FileHasUtf8Bom(const std::wstring& path);
// The first byteLimit bytes of the file (fewer when it is shorter), read while
// others may write it; "" when it cannot be opened.
std::string ReadFileHead(const std::wstring& path, size_t byteLimit);
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
