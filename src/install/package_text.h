// The text rules of a plugin package that need no Windows call: the pluginst.inf
// section, extension lists, version order and the target folder a user types.
#pragma once
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The most extensions of a pluginst.inf that an install offers: a packer gets a
// check box for each.
constexpr size_t kInfMaxExtensions = 100;

struct InfData {
    std::wstring type;  // lower case
    std::wstring file;
    std::wstring description;
    std::wstring version;
    std::wstring defaultDir;
    std::vector<std::wstring> extensions;  // lower case, without "*" and ".", each once, at most kInfMaxExtensions
    size_t extensionsLeftOut = 0;          // further different extensions, not taken
};

// The key=value lines of [plugininstall] in file order; a repeated key keeps its
// last value except defaultextension, whose lines all add to the list (its first
// kInfMaxExtensions different extensions; the rest are counted).
InfData ParseInfLines(const std::vector<std::pair<std::wstring, std::wstring>>& lines);

// Appends the extensions of a text split at blanks, commas and semicolons: trimmed,
// leading "*" and "." dropped, lower-cased, and only when the list lacks them.
void AddExtTokens(std::vector<std::wstring>& list, const std::wstring& text);
// Extensions a user typed for a packer: the first token that fails ExtensionProblem
// (it would break the packer line TC reads), or "".
std::wstring FirstBadExtToken(const std::wstring& text);

// The file a pluginst.inf names is a plain name inside the package: no folder part,
// no drive, no "..", no character Windows refuses in a file name.
bool InfFileNameIsSafe(const std::wstring& name);

// Versions as runs of digits compared from the left; only a larger number at the
// first difference is newer.
bool VersionIsNewer(const std::wstring& candidate, const std::wstring& installed);

// "X:\..." or "\\server\...": a path that does not depend on a current folder or drive.
bool IsCompletePath(const std::wstring& path);
// The folder a user typed, already unquoted and expanded: trailing separators cut
// (a drive root keeps its own); "" when it is no complete folder path with a valid
// last name.
std::wstring CheckedTargetFolder(std::wstring typed);
