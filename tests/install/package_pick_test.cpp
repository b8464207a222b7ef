// The package an unpacked tree offers.
#include <doctest/doctest.h>

#include "foundation/settings.h"
#include "foundation/texts.h"
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

TEST_CASE("an unpack that failed is told by its cause: the child's refusal, a broken child, a child never started") {
    SettingsValues[L"General/Language"] = L"eng";
    InitLanguage(std::nullopt);
    const std::wstring archive = L"C:\\in\\p.zip", hint = L"\r\n\r\nUnpack it with TC and install from the folder.";
    ChildRun run{1, 0, 0, "OK 5\n", L"", 0};
    CHECK(UnpackFailureText(run, archive).empty());
    run = ChildRun{1, 0, 6, "ERR link\tlink\n", L"", 0};
    CHECK(UnpackFailureText(run, archive) == L"Links in the archive are not unpacked: link" + hint);
    run = ChildRun{1, 0, 3, "CRASH\n", L"", 0};
    CHECK(UnpackFailureText(run, archive) == L"Archive damaged or unreadable: C:\\in\\p.zip" + hint);
    run = ChildRun{1, 1, 1, "OK 5\n", L"", 0};  // an answer cut off by the time limit is none
    CHECK(UnpackFailureText(run, archive) == L"Archive damaged or unreadable: C:\\in\\p.zip" + hint);
    run = ChildRun{0, 0, 0, "", L"CreateProcessW", 1359};
    CHECK(UnpackFailureText(run, archive) == L"The archive was not unpacked: the program could not start its child "
                                             L"process: CreateProcessW failed (Windows error 1359)." + hint);
}
