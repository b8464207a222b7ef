// The central directory of a zip archive held in memory, read from its bytes alone
// (no Windows call, so it also builds natively for the sanitizer tests).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Little-endian fields; a field that would reach past the end reads as 0.
uint32_t BufGetU32(std::span<const uint8_t> buf, uint64_t offset);
uint16_t BufGetU16(std::span<const uint8_t> buf, uint64_t offset);

struct ZipEntry {
    std::string_view name;  // the stored bytes, inside the archive buffer
    uint16_t flags = 0;     // bit 0 encrypted, bit 11 name in UTF-8
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t packedSize = 0;
    uint32_t size = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
};

enum class ZipDirStatus {
    Ok,
    Zip64,  // the end record defers to a zip64 record
    Bad,    // no end record, the directory outside the file, or too many entries
};

struct ZipDirectory {
    ZipDirStatus status = ZipDirStatus::Bad;
    std::vector<ZipEntry> entries;
    // A directory record after the entries read is broken: the archive is bad
    // once those entries are done.
    bool brokenAfterEntries = false;
};

constexpr uint32_t kZipMaxEntries = 10000;

// Walks the end record and the central directory of the archive's bytes.
ZipDirectory ReadZipDirectory(std::span<const uint8_t> archive);

// Where the entry's data begins; -1 when its local header is missing or the
// data would reach past the end of the archive.
int64_t ZipEntryDataOffset(std::span<const uint8_t> archive, const ZipEntry& entry);

// The external attributes mark a Unix symbolic link.
inline bool ZipEntryIsLink(const ZipEntry& e) { return (e.externalAttributes & 0xF0000000u) == 0xA0000000u; }
inline bool ZipEntryIsEncrypted(const ZipEntry& e) { return e.method == 99 || (e.flags & 1) != 0; }
