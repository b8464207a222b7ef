// The file side of PE reading: the C runtime's wide-path file calls.
#include <cstdio>
#include <memory>

#include "probe/pe.h"

namespace {

using FilePtr = std::unique_ptr<FILE, decltype(&fclose)>;

FilePtr OpenForRead(const std::wstring& path) { return FilePtr(_wfopen(path.c_str(), L"rb"), &fclose); }

}  // namespace

uint16_t PeMachine(const std::wstring& path) {
    FilePtr f = OpenForRead(path);
    if (!f) return 0;
    uint8_t dos[64];
    if (fread(dos, 1, sizeof dos, f.get()) != sizeof dos) return 0;
    uint8_t pe[24];
    if (_fseeki64(f.get(), PeGetU32(dos, 60), SEEK_SET) != 0 || fread(pe, 1, sizeof pe, f.get()) != sizeof pe) return 0;
    return PeMachineOfHeaders(dos, pe);
}

void ReadPeExports(PeInfo& info, const std::wstring& path) {
    info = PeInfo{};
    FilePtr f = OpenForRead(path);
    if (!f || _fseeki64(f.get(), 0, SEEK_END) != 0) return;
    int64_t size = _ftelli64(f.get());
    if (size <= 0 || (uint64_t)size > PeMaxFileSize || _fseeki64(f.get(), 0, SEEK_SET) != 0) return;
    std::vector<uint8_t> bytes((size_t)size);
    if (fread(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return;
    ReadPeExportsFromBytes(info, bytes);
}
