// Unpacking a plugin archive in the /unpack child, and what the parent makes of
// the child's answer.
#pragma once
#include <string>

enum ArcType { ArcUnknown = 0, ArcZip = 1, ArcRar = 2, Arc7z = 3 };

// The archive type by the file's first bytes; ArcUnknown when it cannot be read.
int ArcSniffType(const std::wstring& path);

// Child side of /unpack: extracts the archive into the target folder within the
// limits, writes its one line to standard output and gives the exit code.
int UnpackChildMain(const std::wstring& archive, const std::wstring& target);

// Parent side: the user's message for the child's "ERR ..." line, given as the
// raw UTF-8 bytes with trailing blanks and carriage returns already cut.
std::wstring ArchiveErrorText(const std::string& line);
