// Real zips, truncated and mutated, through the zip directory reader under the
// sanitizers: whatever the bytes, every field it reports lies inside the archive.
#include <doctest/doctest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "install/zip_directory.h"

namespace {

std::vector<uint8_t> ReadSeed(const char* name) {
    std::ifstream in(std::string(KV_SEED_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the unpacker relies on: names inside the buffer, data offsets that leave room for the packed bytes.
void CheckWithinBounds(const std::vector<uint8_t>& bytes) {
    std::span<const uint8_t> buf(bytes);
    ZipDirectory dir = ReadZipDirectory(buf);
    if (dir.status != ZipDirStatus::Ok) CHECK(dir.entries.empty());
    CHECK(dir.entries.size() <= kZipMaxEntries);
    for (const ZipEntry& e : dir.entries) {
        const auto* name = reinterpret_cast<const uint8_t*>(e.name.data());
        CHECK(name >= buf.data());
        CHECK(name + e.name.size() <= buf.data() + buf.size());
        int64_t data = ZipEntryDataOffset(buf, e);
        if (data >= 0) CHECK(uint64_t(data) + e.packedSize <= buf.size());
    }
}

}  // namespace

TEST_CASE("the real zips read whole, with every entry's data in place") {
    for (const char* seed : {"seed-deflate.zip", "seed-stored.zip"}) {
        std::vector<uint8_t> bytes = ReadSeed(seed);
        REQUIRE(bytes.size() > 1000);
        ZipDirectory dir = ReadZipDirectory(bytes);
        REQUIRE(dir.status == ZipDirStatus::Ok);
        CHECK_FALSE(dir.brokenAfterEntries);
        CHECK(dir.entries.size() > 10);
        for (const ZipEntry& e : dir.entries) CHECK(ZipEntryDataOffset(bytes, e) > 0);
    }
}

TEST_CASE("truncated and mutated real zips are read within their bytes") {
    std::mt19937 rng(20261206);
    for (const char* seed : {"seed-deflate.zip", "seed-stored.zip"}) {
        const std::vector<uint8_t> original = ReadSeed(seed);
        REQUIRE(!original.empty());
        uint32_t directory = BufGetU32(original, original.size() - 22 + 16);
        for (int i = 0; i < 3000; ++i) {
            std::vector<uint8_t> bytes(original.begin(), original.begin() + rng() % (original.size() + 1));
            CheckWithinBounds(bytes);
        }
        for (int i = 0; i < 6000; ++i) {
            std::vector<uint8_t> bytes = original;
            // Mostly the directory and end record, where the reader takes its offsets and lengths from.
            for (int k = 1 + rng() % 8; k > 0; --k) {
                size_t at = rng() % 4 ? directory + rng() % (bytes.size() - directory) : rng() % bytes.size();
                bytes[at] = rng() % 3 ? uint8_t(rng()) : 0xFF;
            }
            if (i % 7 == 0) bytes.resize(bytes.size() - rng() % 64);
            CheckWithinBounds(bytes);
        }
    }
}
