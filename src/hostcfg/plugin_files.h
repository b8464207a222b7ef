// Plugin files on disk: the kind a file name tells, the 32-bit and 64-bit files
// of a configured path, plugins in a folder named for another kind, and scans.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct DirItem {
    std::wstring name;
    bool folder = false;
    bool link = false;  // a junction or symbolic link, never to be followed
};
// Every entry of the folder but "." and "..", in listing order, until visit returns false.
void ForEachDirItem(const std::wstring& folder, const std::function<bool(const DirItem&)>& visit);

// PlugKeyName(full path) -> the file found for it; filled by ScanDiskPlugins. A
// listing gives long names, so below a folder with long names these are the keys
// PlugFileKey gives.
extern std::map<std::wstring, std::wstring> DiskPlugins;

// 0 .wlx, 1 .wdx, 2 .wcx, 3 .wfx (each also with "64"); -1 otherwise.
int PluginKindOfFileName(const std::wstring& name);
// Kind mask of a word: "wlx"/"wlx64" 1, "wdx" 2, "wcx" 4, "wfx" 8; 0 otherwise.
int PluginKindOfExt(const std::wstring& word);
int PluginKindOfExtPart(const std::wstring& name);
// Mask of the folder nearest the file that is named like a kind; word gets its name.
int PluginKindOfPathParts(const std::wstring& path, std::wstring& word);
// The folder's mask when the file sits in a folder of another kind without a
// twin of that kind beside it; else 0. fileMask 0: taken from the extension.
int PluginKindOfPath(const std::wstring& path, int fileMask);

// The candidate file whose PE machine is i386, or "".
std::wstring Find32BitPluginFile(const std::wstring& path);
// The candidate file whose PE machine is x64, or ""; anyFile: some candidate exists.
std::wstring Find64BitPluginFile(const std::wstring& path, bool& anyFile);

// The file of a configured plugin that a process can load: the x64 file, else the
// x86 one, which only the 32-bit twin can load.
struct LoadableFile {
    std::wstring path;    // "" when no candidate is x64 or x86
    uint8_t is32Bit = 0;  // path is the x86 file
    uint8_t anyFile = 0;  // some candidate exists, loadable or not
};
LoadableFile FindLoadableFile(const std::wstring& path);

void ScanPluginFilesSized(const std::wstring& folder, int depth, uint64_t& count, uint64_t& total,
                          std::vector<std::wstring>& plugins, std::vector<std::wstring>& inis);
void ScanFilesByPattern(const std::wstring& folder, const std::wstring& prefix, int depth,
                        const std::wstring& excluded, std::vector<std::wstring>& names, int64_t& budget);
void ScanDiskPlugins(const std::wstring& folder, int depth, int64_t& budget);
