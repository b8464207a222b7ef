#include <doctest/doctest.h>

#include <windows.h>

#include <cstring>

#include "hostcfg/plugin_keys.h"
#include "hostcfg_test_util.h"
#include "probe/pe.h"
#include "probe/probe_result.h"
#include "support/test_support.h"

namespace {

// Copies the bytes to the very end of a readable page followed by one that
// cannot be read, so any read past the data ends the test with a fault.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        size_t pages = bytes.size() / 4096 + 2;
        base_ = (uint8_t*)VirtualAlloc(nullptr, pages * 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        VirtualProtect(base_ + (pages - 1) * 4096, 4096, PAGE_NOACCESS, &old);
        data_ = base_ + (pages - 1) * 4096 - bytes.size();
        memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    std::span<const uint8_t> Span() const { return {data_, size_}; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

PeInfo Read(const std::string& bytes) {
    GuardedBytes guarded(bytes);
    PeInfo info;
    ReadPeExportsFromBytes(info, guarded.Span());
    return info;
}

void SetU32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (char)(v >> (8 * i));
}

}  // namespace

TEST_CASE("plugin keys tie a plugin's files and records together") {
    CHECK(PlugKeyName(L"x64") == L"x64");
    CHECK(PlugKeyName(L"Foo.wlx64") == L"foo.wlx");
    CHECK(PlugKeyName(L".wlx64") == L".wlx64");
    CHECK(PlugKeyName(L"FOO.WDX") == L"foo.wdx");
    CHECK(PlugKey(L"C:\\Plugins\\Foo.wlx64") == L"foo");
    CHECK(PlugKey(L"c:\\other\\foo.wlx") == L"foo");
    CHECK(MakeKindKey(2, L"C:\\P\\Zip.wcx") == L"P|C:\\P\\Zip.wcx");
    CHECK(MakeKindKey(7, L"x") == L"L|x");
    CHECK(std::wstring(ProbeStatusWord(3)) == L"32bit");
    CHECK(std::wstring(ProbeStatusWord(9)) == L"?");
}

TEST_CASE("PE headers and export names read from bytes") {
    PeImageSpec spec;
    spec.exports = {"ListLoadW", "ContentGetValue", "DllMain"};

    SUBCASE("machines are reported as written, never guessed") {
        for (uint16_t machine : {PeMachineX64, PeMachineX86, PeMachineArm64}) {
            spec.machine = machine;
            spec.pe32Plus = machine != PeMachineX86;
            std::string image = BuildPeImage(spec);
            PeInfo info = Read(image);
            CHECK(info.valid == 1);
            CHECK(info.machine == machine);
            CHECK(info.timestamp == 0x5F000000u);
            CHECK(PeMachineOfBytes(GuardedBytes(image).Span()) == machine);
            CHECK(PluginKindMaskOf(info.exports) == 3);
            CHECK(info.exports == std::vector<std::string>{"ContentGetValue", "DllMain", "ListLoadW"});
        }
    }
    SUBCASE("text and junk are no PE file") {
        CHECK(Read("1=C:\\p\\x.wlx\r\n").valid == 0);
        CHECK(Read("MZ").valid == 0);
        CHECK(PeMachineOfBytes(GuardedBytes(std::string(100, 'M')).Span()) == 0);
    }
    SUBCASE("every truncation stays inside the data") {
        std::string image = BuildPeImage(spec);
        for (size_t len = 0; len <= image.size(); ++len) {
            PeInfo info = Read(image.substr(0, len));
            CHECK(info.exports.size() <= 3);
            if (len < 0x80 + 24) CHECK(info.valid == 0);
        }
    }
    SUBCASE("hostile header offsets give no PE file") {
        std::string image = BuildPeImage(spec);
        for (uint32_t lfanew : {0xFFFFFFFFu, 0xFFFFFFF0u, (uint32_t)image.size() - 2}) {
            SetU32(image, 60, lfanew);
            CHECK(Read(image).valid == 0);
            CHECK(PeMachineOfBytes(GuardedBytes(image).Span()) == 0);
        }
    }
    SUBCASE("export tables pointing outside the file give fewer names, no fault") {
        spec.nameCountOverride = 0xFFFFFFFF;
        CHECK(Read(BuildPeImage(spec)).exports.size() == 3);
        spec.nameCountOverride = 0;
        spec.nameTableRvaOverride = 0x80000000u;
        PeInfo info = Read(BuildPeImage(spec));
        CHECK(info.valid == 1);
        CHECK(info.exports.empty());
        std::string image = BuildPeImage(PeImageSpec{.exports = {"FsInit"}});
        SetU32(image, 0x80 + 24 + 240 + 20, 0xFFFFFF00);  // section's raw data far beyond the end
        CHECK(Read(image).exports.empty());
    }
    SUBCASE("an over-long name is cut to 200 bytes") {
        spec.exports = {std::string(300, 'L')};
        PeInfo info = Read(BuildPeImage(spec));
        REQUIRE(info.exports.size() == 1);
        CHECK(info.exports[0] == std::string(200, 'L'));
    }
    SUBCASE("PeMachine and ReadPeExports read files") {
        std::wstring dir = FreshTempDir(L"pe");
        spec.machine = PeMachineArm64;
        WriteFileBytes(dir + L"\\a.wlx", BuildPeImage(spec));
        WriteFileBytes(dir + L"\\t.wlx", "not a dll");
        WriteFileBytes(dir + L"\\e.wlx", "");
        CHECK(PeMachine(dir + L"\\a.wlx") == PeMachineArm64);
        CHECK(PeMachine(dir + L"\\t.wlx") == 0);
        CHECK(PeMachine(dir + L"\\missing.wlx") == 0);
        CHECK(PeMachine(dir) == 0);
        PeInfo info;
        ReadPeExports(info, dir + L"\\a.wlx");
        CHECK(info.exports.size() == 3);
        ReadPeExports(info, dir + L"\\e.wlx");
        CHECK(info.valid == 0);
        RemoveTree(dir);
    }
}

TEST_CASE("kind mask and plugin-interface exports") {
    CHECK(PluginKindMaskOf({"OpenArchiveW", "FsInit"}) == 12);
    CHECK(PluginKindMaskOf({"listload", "FsInitX"}) == 0);
    CHECK(IsPluginApiExport("ListGetDetectString"));
    CHECK(IsPluginApiExport("Fs"));
    CHECK(IsPluginApiExport("PkSetCryptCallback"));
    CHECK_FALSE(IsPluginApiExport("DllEntryPoint"));
    CHECK_FALSE(IsPluginApiExport("Lis"));
}
