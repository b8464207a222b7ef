// The file side of PE reading: the C runtime's wide-path file calls.
#include <cstdio>
#include <memory>

#include "foundation/files.h"
#include "probe_record/pe.h"

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
    std::string bytes = ReadFileHead(path, PeMaxFileSize + 1);
    if (bytes.empty() || bytes.size() > PeMaxFileSize) return;
    ReadPeExportsFromBytes(info, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}
