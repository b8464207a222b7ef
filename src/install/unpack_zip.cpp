// The zip reader of the /unpack child: stored and deflate entries through TC's
// libdeflate, sizes, CRC and method taken from the central directory.
#include <windows.h>

#include <memory>
#include <new>
#include <span>
#include <string>

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "install/unpack_child.h"
#include "install/zip_directory.h"

namespace {

constexpr uint64_t kMinArchive = 22;
constexpr uint64_t kMaxArchive = 268435456;  // 256 MiB, read whole into memory

struct Inflater {
    void* (*alloc)() = nullptr;
    int (*decompress)(void*, const void*, size_t, void*, size_t, size_t*) = nullptr;
    void (*free)(void*) = nullptr;
    uint32_t (*crc32)(uint32_t, const void*, size_t) = nullptr;
};

bool LoadInflater(HMODULE dll, Inflater& f) {
    f.alloc = TcDllExport<decltype(f.alloc)>(dll, "libdeflate_alloc_decompressor");
    f.decompress = TcDllExport<decltype(f.decompress)>(dll, "libdeflate_deflate_decompress");
    f.free = TcDllExport<decltype(f.free)>(dll, "libdeflate_free_decompressor");
    f.crc32 = TcDllExport<decltype(f.crc32)>(dll, "libdeflate_crc32");
    return f.alloc && f.decompress && f.free && f.crc32;
}

struct ArchiveBytes {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
};

// The whole archive in memory; on failure the line is written and the exit code set.
int ReadArchive(const std::wstring& archive, ArchiveBytes& bytes) {
    FileHandle file(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) return UnpackFail(ExitOpen, "open", archive);
    uint64_t n = static_cast<uint64_t>(size.QuadPart);
    if (n - kMinArchive > kMaxArchive - kMinArchive) return UnpackFail(ExitOpen, "big", archive);
    bytes.data.reset(new (std::nothrow) uint8_t[n]);
    if (!bytes.data) return UnpackFail(ExitOpen, "big", archive);
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data.get(), static_cast<DWORD>(n), &read, nullptr) || read != n)
        return UnpackFail(ExitOpen, "open", archive);
    bytes.size = n;
    return ExitOk;
}

std::wstring DecodeName(const ZipEntry& e) {
    UINT codePage = (e.flags & 0x800) ? CP_UTF8 : CP_OEMCP;
    int n = MultiByteToWideChar(codePage, 0, e.name.data(), static_cast<int>(e.name.size()), nullptr, 0);
    std::wstring name(n, L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, e.name.data(), static_cast<int>(e.name.size()), name.data(), n);
    return name;
}

struct ZipRun {
    const std::wstring& archive;
    const std::wstring& target;
    std::span<const uint8_t> bytes;
    const Inflater& lib;
    void* decompressor;
    uint32_t files = 0;
    uint64_t total = 0;
    // One output buffer, grown to the largest entry so far: a fresh block per entry
    // would make the system hand out and clear new pages for every file.
    std::unique_ptr<uint8_t[]> out{};
    size_t outCapacity = 0;
};

// Room for the entry's content; null when the machine cannot give that much.
uint8_t* OutputBuffer(ZipRun& run, size_t size) {
    if (size > run.outCapacity) {
        run.out.reset();
        run.out.reset(new (std::nothrow) uint8_t[size]);
        run.outCapacity = run.out ? size : 0;
    }
    return run.out.get();
}

// One entry of the directory, checked, inflated and written; ExitOk to go on.
int UnpackEntry(ZipRun& run, const ZipEntry& e) {
    std::wstring name = DecodeName(e);
    bool isFolder = !name.empty() && (name.back() == L'/' || name.back() == L'\\');
    std::wstring rel = SafeRelPath(name);
    if (rel.empty()) {
        if (name == L"/" || name == L"\\") return ExitOk;
        return UnpackFail(ExitRefused, "unsafe", name);
    }
    if (ZipEntryIsEncrypted(e)) return UnpackFail(ExitRefused, "crypt", name);
    if (ZipEntryIsLink(e)) return UnpackFail(ExitRefused, "link", name);
    std::wstring full = PathJoin(run.target, rel);
    if (isFolder) return UnpackMakeFolder(full, rel);
    if (e.method != 0 && e.method != 8) return UnpackFail(ExitRefused, "method", std::to_wstring(e.method), rel);
    if (int code = UnpackAddSize(run.total, e.size, run.archive); code != ExitOk) return code;
    int64_t data = ZipEntryDataOffset(run.bytes, e);
    if (data < 0) return UnpackFail(ExitDamaged, "bad", rel);
    // Stored content is checked and written straight from the archive's bytes.
    const uint8_t* content = run.bytes.data() + data;
    if (e.method == 8) {
        uint8_t* out = OutputBuffer(run, e.size ? e.size : 1);
        // A declared size the machine cannot hold is as much too big as one past the limit.
        if (!out) return UnpackFail(ExitRefused, "big", run.archive);
        size_t actual = 0;
        if (run.lib.decompress(run.decompressor, content, e.packedSize, out, e.size, &actual) != 0 || actual != e.size)
            return UnpackFail(ExitDamaged, "bad", rel);
        content = out;
    } else if (e.packedSize != e.size) {
        return UnpackFail(ExitDamaged, "bad", rel);
    }
    if (run.lib.crc32(0, content, e.size) != e.crc) return UnpackFail(ExitDamaged, "crc", rel);
    if (int code = UnpackMakeFolder(PathDir(full), rel); code != ExitOk) return code;
    if (!WriteWholeFile(full, content, e.size)) return UnpackFail(ExitWrite, "write", rel);
    ++run.files;
    return ExitOk;
}

int UnpackEntries(ZipRun& run) {
    ZipDirectory dir = ReadZipDirectory(run.bytes);
    if (dir.status == ZipDirStatus::Zip64) return UnpackFail(ExitDamaged, "zip64", run.archive);
    if (dir.status != ZipDirStatus::Ok) return UnpackFail(ExitDamaged, "bad", run.archive);
    for (const ZipEntry& e : dir.entries)
        if (int code = UnpackEntry(run, e); code != ExitOk) return code;
    if (dir.brokenAfterEntries) return UnpackFail(ExitDamaged, "bad", run.archive);
    return UnpackOk(run.files);
}

}  // namespace

int UnpackZip(const std::wstring& archive, const std::wstring& target) {
    Inflater lib;
    auto bind = [&](HMODULE dll) { return LoadInflater(dll, lib); };
    if (int code = UnpackLoadLibrary(L"LIBDEFLATE64.DLL", bind); code != ExitOk) return code;
    ArchiveBytes bytes;
    if (int code = ReadArchive(archive, bytes); code != ExitOk) return code;
    ZipRun run{archive, target, {bytes.data.get(), bytes.size}, lib, lib.alloc()};
    if (!run.decompressor) return UnpackFail(ExitDamaged, "bad", archive);
    int code = UnpackEntries(run);
    lib.free(run.decompressor);
    return code;
}
