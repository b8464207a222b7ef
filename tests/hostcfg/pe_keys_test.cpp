#include <doctest/doctest.h>

#include <windows.h>

#include <cstring>

#include "foundation/text.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg_test_util.h"
#include "probe/pe.h"
#include "support/test_support.h"

namespace {

// Reads the bytes placed at the very end of a readable page followed by one
// that cannot be read, so any read past the data faults the test.
PeInfo Read(const std::string& bytes, uint16_t* machine = nullptr) {
    size_t pages = bytes.size() / 4096 + 2;
    auto* base = (uint8_t*)VirtualAlloc(nullptr, pages * 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base + (pages - 1) * 4096, 4096, PAGE_NOACCESS, &old);
    uint8_t* data = base + (pages - 1) * 4096 - bytes.size();
    memcpy(data, bytes.data(), bytes.size());
    PeInfo info;
    ReadPeExportsFromBytes(info, {data, bytes.size()});
    if (machine) *machine = PeMachineOfBytes({data, bytes.size()});
    VirtualFree(base, 0, MEM_RELEASE);
    return info;
}

}  // namespace

TEST_CASE("plugin keys tie a plugin's files and records together") {
    CHECK(PlugKeyName(L"x64") == L"x64");
    CHECK(PlugKeyName(L"Foo.wlx64") == L"foo.wlx");
    CHECK(PlugKeyName(L".wlx64") == L".wlx64");
    CHECK(PlugKey(L"C:\\Plugins\\Foo.wlx64") == PlugKey(L"c:\\other\\foo.wlx"));
    CHECK(MakeKindKey(2, L"C:\\P\\Zip.wcx") == L"P|C:\\P\\Zip.wcx");
    CHECK(MakeKindKey(7, L"x") == L"L|x");
}

TEST_CASE("PE headers and export names read from bytes") {
    PeImageSpec spec;
    spec.exports = {"ListLoadW", "ContentGetValue", "DllMain"};
    uint16_t machine = 0;

    SUBCASE("machines are reported as written, never guessed") {
        for (uint16_t m : {PeMachineX64, PeMachineX86, PeMachineArm64}) {
            spec.machine = m;
            spec.pe32Plus = m != PeMachineX86;
            PeInfo info = Read(BuildPeImage(spec), &machine);
            CHECK((info.valid == 1 && info.machine == m && machine == m && info.timestamp == 0x5F000000u));
            CHECK(info.exports == std::vector<std::string>{"ContentGetValue", "DllMain", "ListLoadW"});
            CHECK(PluginKindMaskOf(info.exports) == 3);
        }
        CHECK(Read("1=C:\\p\\x.wlx\r\n", &machine).valid == 0);
        CHECK(machine == 0);
    }
    SUBCASE("truncated and hostile images stay inside the data") {
        std::string image = BuildPeImage(spec);
        for (size_t len = 0; len <= image.size(); ++len) {
            PeInfo info = Read(image.substr(0, len));
            CHECK((len >= 0x80 + 24 || info.valid == 0));
        }
        for (uint32_t lfanew : {0xFFFFFFFFu, 0xFFFFFFF0u, (uint32_t)image.size() - 2}) {
            PutU32(image, 60, lfanew);
            CHECK(Read(image, &machine).valid == 0);
            CHECK(machine == 0);
        }
        spec.nameCount = 0xFFFFFFFF;
        CHECK(Read(BuildPeImage(spec)).exports.size() == 3);
        spec.nameTableRva = 0x80000000u;
        CHECK(Read(BuildPeImage(spec)).exports.empty());
        image = BuildPeImage(PeImageSpec{.exports = {"FsInit"}});
        PutU32(image, 0x80 + 24 + 240 + 20, 0xFFFFFF00);  // section data far beyond the end
        CHECK(Read(image).exports.empty());
    }
    SUBCASE("an over-long name is cut to 200 bytes") {
        spec.exports = {std::string(300, 'L')};
        CHECK(Read(BuildPeImage(spec)).exports == std::vector<std::string>{std::string(200, 'L')});
    }
    SUBCASE("files") {
        std::wstring path = FreshTempDir(L"pe") + L"\\a.wlx";
        spec.machine = PeMachineArm64;
        WriteFileBytes(path, BuildPeImage(spec));
        PeInfo info;
        ReadPeExports(info, path);
        CHECK((PeMachine(path) == PeMachineArm64 && info.exports.size() == 3));
        WriteFileBytes(path, "");
        ReadPeExports(info, path);
        CHECK((PeMachine(path) == 0 && info.valid == 0 && PeMachine(PathDir(path)) == 0));
        RemoveTree(PathDir(path));
    }
    CHECK(PluginKindMaskOf({"OpenArchiveW", "FsInit", "listload"}) == 12);
    CHECK((IsPluginApiExport("PkSetCryptCallback") && !IsPluginApiExport("DllEntryPoint") && !IsPluginApiExport("Lis")));
}
