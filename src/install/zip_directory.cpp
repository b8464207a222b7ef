#include "install/zip_directory.h"

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kDirSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint64_t kEndSize = 22;
constexpr uint64_t kEndSearch = kEndSize + 0xFFFF;  // the record and the longest comment
constexpr uint64_t kDirHeaderSize = 46;
constexpr uint64_t kLocalHeaderSize = 30;

// The end record nearest the end of the file, within the reach of its comment.
int64_t FindEndRecord(std::span<const uint8_t> buf) {
    if (buf.size() < kEndSize) return -1;
    uint64_t last = buf.size() - kEndSize;
    uint64_t first = buf.size() > kEndSearch ? buf.size() - kEndSearch : 0;
    for (uint64_t p = last + 1; p-- > first;)
        if (BufGetU32(buf, p) == kEndSignature) return static_cast<int64_t>(p);
    return -1;
}

}  // namespace

uint32_t BufGetU32(std::span<const uint8_t> buf, uint64_t offset) {
    if (offset > buf.size() || buf.size() - offset < 4) return 0;
    const uint8_t* p = buf.data() + offset;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t BufGetU16(std::span<const uint8_t> buf, uint64_t offset) {
    if (offset > buf.size() || buf.size() - offset < 2) return 0;
    const uint8_t* p = buf.data() + offset;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

ZipDirectory ReadZipDirectory(std::span<const uint8_t> buf) {
    ZipDirectory dir;
    int64_t end = FindEndRecord(buf);
    if (end < 0) return dir;
    uint32_t count = BufGetU16(buf, end + 10);
    uint32_t cdSize = BufGetU32(buf, end + 12), cdOffset = BufGetU32(buf, end + 16);
    if (cdOffset == 0xFFFFFFFFu || count == 0xFFFF) {
        dir.status = ZipDirStatus::Zip64;
        return dir;
    }
    if (uint64_t{cdOffset} + cdSize > buf.size() || count > kZipMaxEntries) return dir;
    dir.status = ZipDirStatus::Ok;
    dir.entries.reserve(count);
    uint64_t q = cdOffset;
    for (uint32_t i = 0; i < count; ++i) {
        if (q + 4 > buf.size() || BufGetU32(buf, q) != kDirSignature) {
            dir.brokenAfterEntries = true;
            break;
        }
        uint16_t nameLength = BufGetU16(buf, q + 28);
        if (q + kDirHeaderSize + nameLength > buf.size()) {
            dir.brokenAfterEntries = true;
            break;
        }
        ZipEntry e;
        e.flags = BufGetU16(buf, q + 8);
        e.method = BufGetU16(buf, q + 10);
        e.crc = BufGetU32(buf, q + 16);
        e.packedSize = BufGetU32(buf, q + 20);
        e.size = BufGetU32(buf, q + 24);
        e.externalAttributes = BufGetU32(buf, q + 38);
        e.localHeaderOffset = BufGetU32(buf, q + 42);
        e.name = std::string_view(reinterpret_cast<const char*>(buf.data() + q + kDirHeaderSize), nameLength);
        dir.entries.push_back(e);
        q += kDirHeaderSize + nameLength + BufGetU16(buf, q + 30) + BufGetU16(buf, q + 32);
    }
    return dir;
}

int64_t ZipEntryDataOffset(std::span<const uint8_t> buf, const ZipEntry& e) {
    uint64_t local = e.localHeaderOffset;
    if (BufGetU32(buf, local) != kLocalSignature) return -1;
    uint64_t data = local + kLocalHeaderSize + BufGetU16(buf, local + 26) + BufGetU16(buf, local + 28);
    if (data + e.packedSize > buf.size()) return -1;
    return static_cast<int64_t>(data);
}
