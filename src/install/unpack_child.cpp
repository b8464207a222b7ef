#include "install/unpack.h"

#include <windows.h>

#include <string>

#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/text.h"
#include "hostcfg/tc_discovery.h"
#include "install/unpack_child.h"
#include "probe/child_run.h"

namespace {

std::wstring LineSafe(std::wstring text) {
    for (auto& c : text)
        if (c < 32) c = L'?';
    return text;
}

}  // namespace

void UnpackErr(const char* word, const std::wstring& detail) {
    StdoutWrite(std::string("ERR ") + word + "\t" + StrToUtf8(LineSafe(detail)) + "\n");
}

void UnpackErr(const char* word, const std::wstring& first, const std::wstring& rest) {
    StdoutWrite(std::string("ERR ") + word + "\t" + StrToUtf8(LineSafe(first)) + "\t" + StrToUtf8(LineSafe(rest)) +
                "\n");
}

int UnpackFail(int exitCode, const char* word, const std::wstring& detail) {
    UnpackErr(word, detail);
    return exitCode;
}

int UnpackFail(int exitCode, const char* word, const std::wstring& first, const std::wstring& rest) {
    UnpackErr(word, first, rest);
    return exitCode;
}

int UnpackAddSize(uint64_t& total, uint64_t size, const std::wstring& archive) {
    total += size;
    return total > kUnpackMaxTotal ? UnpackFail(ExitRefused, "big", archive) : ExitOk;
}

int UnpackMakeFolder(const std::wstring& folder, const std::wstring& rel) {
    return MakeDirs(folder) ? ExitOk : UnpackFail(ExitWrite, "write", rel);
}

int UnpackOk(uint32_t files) {
    StdoutWrite("OK " + std::to_string(files) + "\n");
    return ExitOk;
}

HMODULE LoadTcDll(const wchar_t* fileName) {
    std::wstring path = TcFilePath(fileName);
    if (path.empty()) {
        UnpackErr("notc", L"");
        return nullptr;
    }
    if (!FileExists(path)) {
        UnpackErr("nodll", path);
        return nullptr;
    }
    // The library's own dependencies are looked up in TC's folder first.
    HMODULE dll = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!dll) UnpackErr("noload", std::to_wstring(GetLastError()), path);
    return dll;
}

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size) {
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return size == 0 || (WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr) && written == size);
}

int ArcSniffType(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ArcUnknown;
    unsigned char b[8] = {};
    DWORD n = 0;
    if (!ReadFile(file.Get(), b, sizeof b, &n, nullptr) || n < 4) return ArcUnknown;
    if (b[0] == 0x50 && b[1] == 0x4B && (b[2] == 3 || b[2] == 5) && (b[3] == 4 || b[3] == 6)) return ArcZip;
    if (n < 6) return ArcUnknown;
    static const unsigned char kRar[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07};
    static const unsigned char k7z[] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};
    if (memcmp(b, kRar, 6) == 0) return ArcRar;
    if (memcmp(b, k7z, 6) == 0) return Arc7z;
    return ArcUnknown;
}

int UnpackChildMain(const std::wstring& archive, const std::wstring& target) {
    // The parent hands over the TC folder it found; looking again could pick another TC.
    if (!IsTcFolder(PathNoTrailingSep(EnvGet(L"COMMANDER_PATH")))) DiscoverTc();
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(ChildCrashFilter);
    if (!MakeDirs(target)) return UnpackFail(ExitWrite, "write", target);
    switch (ArcSniffType(archive)) {
        case ArcZip: return UnpackZip(archive, target);
        case ArcRar: return UnpackRar(archive, target);
        case Arc7z: return Unpack7z(archive, target);
        default: return UnpackFail(ExitUnknown, "unknown", archive);
    }
}
