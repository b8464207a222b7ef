#include "probe_record/pe.h"

#include <algorithm>
#include <set>

namespace {

constexpr uint32_t PeSignature = 0x00004550;    // "PE\0\0"
constexpr uint32_t MaxExportNames = 4096;
constexpr size_t MaxExportNameLength = 200;

// Offsets come from the file itself, so every test is done in 64 bits and
// never by adding to a pointer.
bool Inside(std::span<const uint8_t> bytes, uint64_t offset, uint64_t length) {
    return offset <= bytes.size() && bytes.size() - offset >= length;
}

uint16_t GetU16(std::span<const uint8_t> bytes, uint64_t offset) {
    if (!Inside(bytes, offset, 2)) return 0;
    return (uint16_t)(bytes[offset] | bytes[offset + 1] << 8);
}

bool StartsWithMz(std::span<const uint8_t> bytes) { return bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z'; }

std::string NameAt(std::span<const uint8_t> bytes, uint64_t offset) {
    std::string name;
    for (uint64_t i = offset; i < bytes.size() && bytes[i] != 0 && name.size() < MaxExportNameLength; ++i)
        name += (char)bytes[i];
    return name;
}

// The data-directory entry of the export table, when the optional header is
// long enough to hold it.
bool ExportDirEntry(uint64_t pe, uint16_t optSize, uint16_t magic, uint64_t& entry) {
    uint32_t dirStart = magic == 0x20b ? 112 : 96;
    if (optSize < dirStart + 8) return false;
    entry = pe + 24 + dirStart;
    return true;
}

void ReadExportNames(PeInfo& info, std::span<const uint8_t> bytes, uint64_t pe, uint16_t sections,
                     uint16_t optSize, uint16_t magic) {
    uint64_t dirEntry = 0;
    if (!ExportDirEntry(pe, optSize, magic, dirEntry)) return;
    uint32_t exportRva = PeGetU32(bytes, dirEntry);
    if (exportRva == 0) return;
    uint64_t sectionTable = pe + 24 + optSize;
    int64_t dir = PeRvaToOffset(sections, sectionTable, bytes, exportRva);
    if (dir < 0 || !Inside(bytes, (uint64_t)dir, 40)) return;
    uint32_t nameCount = PeGetU32(bytes, (uint64_t)dir + 24);
    int64_t nameTable = PeRvaToOffset(sections, sectionTable, bytes, PeGetU32(bytes, (uint64_t)dir + 32));
    if (nameTable < 0) return;
    for (uint32_t i = 0; i < nameCount && i < MaxExportNames; ++i) {
        uint64_t slot = (uint64_t)nameTable + 4ull * i;
        if (!Inside(bytes, slot, 4)) break;
        int64_t name = PeRvaToOffset(sections, sectionTable, bytes, PeGetU32(bytes, slot));
        if (name >= 0 && (uint64_t)name < bytes.size()) info.exports.push_back(NameAt(bytes, (uint64_t)name));
    }
}

}  // namespace

uint32_t PeGetU32(std::span<const uint8_t> bytes, uint64_t offset) {
    if (!Inside(bytes, offset, 4)) return 0;
    return (uint32_t)bytes[offset] | (uint32_t)bytes[offset + 1] << 8 | (uint32_t)bytes[offset + 2] << 16 |
           (uint32_t)bytes[offset + 3] << 24;
}

int64_t PeRvaToOffset(uint32_t sectionCount, uint64_t sectionTable, std::span<const uint8_t> bytes,
                      uint32_t rva) {
    for (uint32_t i = 0; i < sectionCount; ++i) {
        uint64_t header = sectionTable + 40ull * i;
        if (!Inside(bytes, header, 40)) break;
        uint64_t virtualSize = PeGetU32(bytes, header + 8);
        uint64_t virtualAddress = PeGetU32(bytes, header + 12);
        uint64_t rawSize = PeGetU32(bytes, header + 16);
        uint64_t rawPointer = PeGetU32(bytes, header + 20);
        if (virtualAddress <= rva && rva < virtualAddress + std::max(virtualSize, rawSize))
            return (int64_t)(rva - virtualAddress + rawPointer);
    }
    return -1;
}

uint16_t PeMachineOfHeaders(std::span<const uint8_t> dosHeader, std::span<const uint8_t> peHeader) {
    if (dosHeader.size() < 64 || !StartsWithMz(dosHeader)) return 0;
    if (peHeader.size() < 24 || PeGetU32(peHeader, 0) != PeSignature) return 0;
    return GetU16(peHeader, 4);
}

uint16_t PeMachineOfBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() < 64) return 0;
    uint64_t pe = PeGetU32(bytes, 60);
    if (!Inside(bytes, pe, 24)) return 0;
    return PeMachineOfHeaders(bytes, bytes.subspan(pe, 24));
}

void ReadPeExportsFromBytes(PeInfo& info, std::span<const uint8_t> bytes) {
    info = PeInfo{};
    if (bytes.empty() || bytes.size() > PeMaxFileSize || !StartsWithMz(bytes)) return;
    uint64_t pe = PeGetU32(bytes, 60);
    if (!Inside(bytes, pe, 24) || PeGetU32(bytes, pe) != PeSignature) return;
    info.machine = GetU16(bytes, pe + 4);
    uint16_t sections = GetU16(bytes, pe + 6);
    info.timestamp = PeGetU32(bytes, pe + 8);
    uint16_t optSize = GetU16(bytes, pe + 20);
    uint16_t magic = GetU16(bytes, pe + 24);
    info.valid = 1;
    ReadExportNames(info, bytes, pe, sections, optSize, magic);
    std::sort(info.exports.begin(), info.exports.end());
}

int PluginKindMaskOf(const std::vector<std::string>& names) {
    static const struct {
        int bit;
        const char* names[4];
    } kinds[] = {
        {1, {"ListLoad", "ListLoadW"}},
        {2, {"ContentGetValue", "ContentGetValueW"}},
        {4, {"OpenArchive", "OpenArchiveW", "PackFiles", "PackFilesW"}},
        {8, {"FsInit", "FsInitW"}},
    };
    std::set<std::string> have(names.begin(), names.end());
    int mask = 0;
    for (const auto& k : kinds)
        for (const char* n : k.names)
            if (n && have.count(n)) mask |= k.bit;
    return mask;
}

bool IsPluginApiExport(const std::string& name) {
    static const char* const prefixes[] = {
        "List",          "Content",         "Fs",
        "OpenArchive",   "ReadHeader",      "ProcessFile",
        "CloseArchive",  "PackFiles",       "DeleteFiles",
        "GetPackerCaps", "ConfigurePacker", "SetChangeVolProc",
        "SetProcessDataProc", "CanYouHandleThisFile", "PackSetDefaultParams",
        "GetBackgroundFlags", "StartMemPack", "PackToMem",
        "DoneMemPack",   "PkSetCryptCallback",
    };
    for (const char* p : prefixes)
        if (name.starts_with(p)) return true;
    return false;
}
