// The package an unpacked tree offers.
#include <doctest/doctest.h>

#include "install/package_pick.h"
#include "install_fixture.h"

TEST_CASE("an unpacked tree offers its pluginst.inf before the plugin files beside it, three levels down at most") {
    InstallScene scene(L"pick");
    std::wstring deep = scene.package + L"\\d1\\d2\\d3\\d4";
    REQUIRE(MakeDirs(deep));
    WritePeStub(deep + L"\\too_deep.wlx", 0x8664);
    CHECK(InstFindInDir(nullptr, scene.package) == L"");

    std::wstring three = PathDir(deep);
    WritePeStub(three + L"\\x.wlx", 0x14c);
    WritePeStub(three + L"\\x.wlx64", 0x8664);
    WriteFileBytes(three + L"\\readme.txt", "");
    std::wstring found = InstFindInDir(nullptr, scene.package);
    CHECK((found == three + L"\\x.wlx" || found == three + L"\\x.wlx64"));
    WriteFileBytes(three + L"\\PlugInst.inf", "[plugininstall]\r\n");
    CHECK(InstFindInDir(nullptr, scene.package) == three + L"\\PlugInst.inf");
}
