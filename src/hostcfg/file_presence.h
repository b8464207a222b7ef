// One fill's view of which plugin files exist: each file is asked of the disk once.
// Only the disk answers: a listing of the folders cannot, as a folder may refuse
// to be listed yet let its files be opened (the legacy profile junctions), and
// its names would have to be folded exactly as the file system folds them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

struct FilePresence {
    std::unordered_map<std::wstring, std::optional<uint64_t>> files;  // FoldCase of the path -> stamp
};

// The file's stamp (last write time mixed with its size, never 0) when the path
// names an existing file; nothing otherwise.
std::optional<uint64_t> FileSeen(FilePresence& presence, const std::wstring& path);

// The candidate files of a configured plugin path that a load saw.
struct PluginFileSeen {
    uint8_t bits = 0;          // 1: the path, 2: the path + "64"; 4 (stem + "64" + extension) is not looked for
    uint64_t stamps[3] = {};   // in the same order; 0 when absent
};
// The candidates in bit order: the path, the path + "64", stem + "64" + extension.
std::wstring PluginCandidate(const std::wstring& path, int which);
PluginFileSeen SeePluginFiles(FilePresence& presence, const std::wstring& expandedPath);
