// Benchmark, not a test: unpacks a zip of 2,000 files (about 100 MB, mixed sizes,
// deflate) with the /unpack child and compares that with the floor of the same
// work done in this process: reading the archive, libdeflate inflating every entry
// in memory and writing the same bytes to files. The same files as 7z and rar
// through TC's libraries are reported beside it. Make the archives first:
//   python3 bench/make_unpack_archives.py build/x64/bench/unpack
// and build TC's libraries (tools/archive-libs.sh build/x64/archive-libs; the tests do it too).
#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "bench_support.h"

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "install/install_temp.h"
#include "install/unpack_child.h"
#include "install/zip_directory.h"
#include "probe/child_run.h"

namespace {

constexpr int Rounds = 3;

std::wstring BuildDir() { return PathDir(AppDir()); }

// A TC folder as TC's own, with the libraries built for the tests.
std::wstring MakeTcFolder() {
    std::wstring tc = PathJoin(InstallTempFolder(), L"bench_tc");
    MakeDirs(tc);
    CopyFileW(PathJoin(BuildDir(), L"fakes\\tc\\TOTALCMD64.exe").c_str(), PathJoin(tc, L"TOTALCMD64.EXE").c_str(),
              FALSE);
    for (const wchar_t* dll : {L"LIBDEFLATE64.DLL", L"UNRAR64.DLL", L"TC7Z64.DLL"})
        if (!CopyFileW(PathJoin(BuildDir(), std::wstring(L"archive-libs\\") + dll).c_str(), PathJoin(tc, dll).c_str(),
                       FALSE))
            return L"";
    return tc;
}

// The best of the rounds, each into a fresh folder that is removed afterwards.
template <typename Work>
double Best(Work work) {
    double best = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        std::wstring target = InstTempSubfolder() + L"_" + std::to_wstring(round);
        LARGE_INTEGER start = Now();
        bool ok = work(target);
        double seconds = Seconds(start);
        InstTempClean(target);
        if (!ok) return -1;
        if (seconds < best) best = seconds;
    }
    return best;
}

bool RunChild(const std::wstring& archive, const std::wstring& target) {
    ChildRun run;
    RunChildCapture(run, {L"/unpack", archive, target}, L"", 600000, PathJoin(BuildDir(), L"bin\\Kestrovane.exe"));
    if (run.output.compare(0, 3, "OK ") != 0) std::printf("child: %s", run.output.c_str());
    return run.output == "OK 2000\n";
}

struct Inflate {
    void* (*alloc)();
    int (*decompress)(void*, const void*, size_t, void*, size_t, size_t*);
};

// The floor: the archive read whole, each entry inflated and written, nothing checked.
bool Floor(const Inflate& lib, const std::wstring& archive, const std::wstring& target) {
    FileHandle file(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size.QuadPart]);
    DWORD read = 0;
    ReadFile(file.Get(), bytes.get(), DWORD(size.QuadPart), &read, nullptr);
    std::span<const uint8_t> buf(bytes.get(), read);
    void* decompressor = lib.alloc();
    for (const ZipEntry& e : ReadZipDirectory(buf).entries) {
        std::wstring name(e.name.begin(), e.name.end());
        if (name.empty() || name.back() == L'/') continue;
        std::unique_ptr<uint8_t[]> out(new uint8_t[e.size ? e.size : 1]);
        size_t actual = 0;
        lib.decompress(decompressor, buf.data() + ZipEntryDataOffset(buf, e), e.packedSize, out.get(), e.size, &actual);
        std::wstring full = PathJoin(target, SafeRelPath(name));
        MakeDirs(PathDir(full));
        FileHandle f(CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (e.size) WriteFile(f.Get(), out.get(), e.size, &written, nullptr);
    }
    return true;
}

}  // namespace

int main() {
    std::wstring tc = MakeTcFolder();
    if (tc.empty()) {
        std::printf("TC's libraries are missing in %ls\\archive-libs\n", BuildDir().c_str());
        return 1;
    }
    SetEnvironmentVariableW(L"COMMANDER_PATH", tc.c_str());
    std::wstring dir = PathJoin(AppDir(), L"unpack");
    HMODULE deflate = LoadLibraryW(PathJoin(tc, L"LIBDEFLATE64.DLL").c_str());
    Inflate lib{TcDllExport<decltype(Inflate::alloc)>(deflate, "libdeflate_alloc_decompressor"),
                TcDllExport<decltype(Inflate::decompress)>(deflate, "libdeflate_deflate_decompress")};
    std::wstring zip = PathJoin(dir, L"bench.zip");
    if (!FileExists(zip)) {
        std::printf("make the archives first: python3 bench/make_unpack_archives.py build/x64/bench/unpack\n");
        return 1;
    }
    double floor = Best([&](const std::wstring& t) { return Floor(lib, zip, t); });
    double child = Best([&](const std::wstring& t) { return RunChild(zip, t); });
    std::printf("zip, /unpack child          %6.2f s\n", child);
    std::printf("zip, floor in this process  %6.2f s\n", floor);
    std::printf("zip, child / floor          %6.2f (goal: at most 1.25)\n", child / floor);
    for (const wchar_t* other : {L"bench.7z", L"bench.rar"}) {
        std::wstring archive = PathJoin(dir, other);
        std::printf("%-5ls /unpack child          %6.2f s\n", other + 6,
                    Best([&](const std::wstring& t) { return RunChild(archive, t); }));
    }
    InstTempClean(tc);
    return 0;
}
