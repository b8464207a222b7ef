// The rar reader of the /unpack child, through TC's UnRAR library.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/files.h"
#include "foundation/text.h"
#include "install/unpack_child.h"

namespace {

// The UnRAR library's records, laid out as its interface packs them (no padding).
#pragma pack(push, 1)
struct RarOpenData {
    char* arcName;
    wchar_t* arcNameW;
    uint32_t openMode;
    uint32_t openResult;
    char* cmtBuf;
    uint32_t cmtBufSize, cmtSize, cmtState, flags;
    int(CALLBACK* callback)(UINT msg, LPARAM userData, LPARAM p1, LPARAM p2);
    LPARAM userData;
    uint32_t opFlags;
    wchar_t* cmtBufW;
    uint32_t reserved[25];
};

struct RarHeaderData {
    char arcName[1024];
    wchar_t arcNameW[1024];
    char fileName[1024];
    wchar_t fileNameW[1024];
    uint32_t flags;
    uint32_t packSize, packSizeHigh;
    uint32_t unpSize, unpSizeHigh;
    uint32_t hostOs, fileCrc, fileTime, unpVer, method, fileAttr;
    char* cmtBuf;
    uint32_t cmtBufSize, cmtSize, cmtState, dictSize, hashType;
    char hash[32];
    uint32_t redirType;
    wchar_t* redirName;
    uint32_t redirNameSize, dirTarget;
    uint32_t times[6];
    uint32_t reserved[988];
};
#pragma pack(pop)
#ifdef _WIN64
static_assert(sizeof(RarOpenData) == 176);
static_assert(sizeof(RarHeaderData) == 10244);
static_assert(offsetof(RarHeaderData, flags) == 6144 && offsetof(RarHeaderData, unpSize) == 6156 &&
              offsetof(RarHeaderData, redirType) == 6248);
#endif

constexpr int kRarOpenExtract = 1;
constexpr int kRarSkip = 0, kRarExtract = 2;
constexpr int kRarEndArchive = 10, kRarBadData = 12, kRarCreateError = 16, kRarWriteError = 19,
              kRarMissingPassword = 22, kRarBadPassword = 24;
constexpr uint32_t kRarFlagEncrypted = 4, kRarFlagFolder = 0x20;

struct RarLib {
    HANDLE(WINAPI* open)(RarOpenData*) = nullptr;
    int(WINAPI* readHeader)(HANDLE, RarHeaderData*) = nullptr;
    int(WINAPI* processFile)(HANDLE, int, wchar_t*, wchar_t*) = nullptr;
    int(WINAPI* close)(HANDLE) = nullptr;
};

bool LoadRarLib(HMODULE dll, RarLib& f) {
    f.open = TcDllExport<decltype(f.open)>(dll, "RAROpenArchiveEx");
    f.readHeader = TcDllExport<decltype(f.readHeader)>(dll, "RARReadHeaderEx");
    f.processFile = TcDllExport<decltype(f.processFile)>(dll, "RARProcessFileW");
    f.close = TcDllExport<decltype(f.close)>(dll, "RARCloseArchive");
    return f.open && f.readHeader && f.processFile && f.close;
}

// No password is given, no missing volume asked for, no large dictionary accepted.
int CALLBACK UnrarCallback(UINT msg, LPARAM, LPARAM, LPARAM p2) {
    enum { ChangeVolume = 0, NeedPassword = 2, ChangeVolumeW = 3, NeedPasswordW = 4, LargeDict = 5 };
    constexpr LPARAM kVolumeNotify = 1;
    switch (msg) {
        case ChangeVolume:
        case ChangeVolumeW: return p2 == kVolumeNotify ? 1 : -1;
        case NeedPassword:
        case NeedPasswordW:
        case LargeDict: return -1;
        default: return 1;
    }
}

bool IsPasswordCode(int r) { return r == kRarMissingPassword || r == kRarBadPassword; }

struct RarRun {
    const std::wstring& archive;
    const std::wstring& target;
    const RarLib& lib;
    HANDLE arc;
    uint32_t files = 0;
    uint64_t total = 0;
};

int UnpackRarEntry(RarRun& run, RarHeaderData& h) {
    h.fileNameW[1023] = 0;
    std::wstring name = h.fileNameW;
    std::wstring rel = SafeRelPath(name);
    if (rel.empty()) return UnpackFail(ExitRefused, "unsafe", name);
    if (h.flags & kRarFlagEncrypted) return UnpackFail(ExitRefused, "crypt", name);
    if (h.redirType != 0) return UnpackFail(ExitRefused, "link", name);
    std::wstring full = PathJoin(run.target, rel);
    if (h.flags & kRarFlagFolder) {
        if (int code = UnpackMakeFolder(full, rel); code != ExitOk) return code;
        bool skipped = run.lib.processFile(run.arc, kRarSkip, nullptr, nullptr) == 0;
        return skipped ? ExitOk : UnpackFail(ExitDamaged, "bad", rel);
    }
    uint64_t size = (uint64_t{h.unpSizeHigh} << 32) | h.unpSize;
    if (int code = UnpackAddSize(run.total, size, run.archive); code != ExitOk) return code;
    if (int code = UnpackMakeFolder(PathDir(full), rel); code != ExitOk) return code;
    int r = run.lib.processFile(run.arc, kRarExtract, nullptr, full.data());
    if (r != 0) {
        const char* word = r == kRarBadData                              ? "crc"
                           : IsPasswordCode(r)                           ? "crypt"
                           : r == kRarCreateError || r == kRarWriteError ? "write"
                                                                         : "bad";
        return UnpackFail(ExitDamaged, word, rel);
    }
    ++run.files;
    return ExitOk;
}

int UnpackRarEntries(RarRun& run) {
    // The header record is 10 KiB: on the heap rather than the child's stack.
    auto header = std::make_unique<RarHeaderData>();
    for (uint32_t read = 0;; ++read) {
        memset(header.get(), 0, sizeof(RarHeaderData));
        int r = run.lib.readHeader(run.arc, header.get());
        if (r == kRarEndArchive) return UnpackOk(run.files);
        if (r != 0) return UnpackFail(ExitDamaged, IsPasswordCode(r) ? "crypt" : "bad", run.archive);
        if (read == kUnpackMaxEntries) return UnpackFail(ExitRefused, "big", run.archive);
        if (int code = UnpackRarEntry(run, *header); code != ExitOk) return code;
    }
}

}  // namespace

int UnpackRar(const std::wstring& archive, const std::wstring& target) {
    RarLib lib;
    auto bind = [&](HMODULE dll) { return LoadRarLib(dll, lib); };
    if (int code = UnpackLoadLibrary(L"UNRAR64.DLL", bind); code != ExitOk) return code;
    RarOpenData open{};
    std::wstring name = archive;
    open.arcNameW = name.data();
    open.openMode = kRarOpenExtract;
    open.callback = UnrarCallback;
    HANDLE arc = lib.open(&open);
    if (!arc || open.openResult != 0) {
        if (arc) lib.close(arc);
        return UnpackFail(ExitDamaged, IsPasswordCode(open.openResult) ? "crypt" : "bad", archive);
    }
    RarRun run{archive, target, lib, arc};
    int code = UnpackRarEntries(run);
    lib.close(arc);
    return code;
}
