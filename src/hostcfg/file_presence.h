// One fill's view of which plugin files exist. Under Wine (and on network drives)
// asking for a file in a folder that is not there costs a scan of the parent, so
// the parents of the plugin folders are listed once, and each file is asked once.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct FilePresence {
    // Folded folder (FoldCase) -> the folded names of its subfolders; nothing when
    // it could not be listed to its end.
    std::unordered_map<std::wstring, std::optional<std::unordered_set<std::wstring>>> folders;
    std::unordered_map<std::wstring, bool> folderSeen;  // folded folder -> it may hold files
    std::unordered_map<std::wstring, std::optional<uint64_t>> files;  // folded path -> stamp
};

// The file's stamp (last write time mixed with its size, never 0) when the path
// names an existing file; nothing otherwise.
std::optional<uint64_t> FileSeen(FilePresence& presence, const std::wstring& path);

// The candidate files of a configured plugin path that a load saw.
struct PluginFileSeen {
    uint8_t bits = 0;          // 1: the path, 2: the path + "64"; 4 (stem + "64" + extension) is not looked for
    uint64_t stamps[3] = {};   // in the same order; 0 when absent
};
// Asks ahead, several at once, for the folders of these plugin paths that their
// parents' listings cannot answer for (lacked names with letters beyond ASCII), so
// that SeePluginFiles finds the answers known. Each such question scans the parent
// under Wine; many of them would otherwise wait for one another.
void SeeFoldersAhead(FilePresence& presence, const std::vector<std::wstring>& expandedPaths);
// The candidates in bit order: the path, the path + "64", stem + "64" + extension.
std::wstring PluginCandidate(const std::wstring& path, int which);
PluginFileSeen SeePluginFiles(FilePresence& presence, const std::wstring& expandedPath);
// The one file the 32-bit TC loads for a configured path: the path with a trailing
// "64" cut (x.wlx for x.wlx64), never the 64-bit file.
std::wstring Plugin32BitPath(const std::wstring& path);
