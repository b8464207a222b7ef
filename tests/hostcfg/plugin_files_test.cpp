#include <doctest/doctest.h>

#include <algorithm>

#include "foundation/files.h"
#include "foundation/text.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg_test_util.h"
#include "probe/pe.h"
#include "support/test_support.h"

TEST_CASE("plugin kinds from file and folder names") {
    CHECK((PluginKindOfFileName(L"C:\\p\\x.WDX64") == 1 && PluginKindOfFileName(L"x.txt") == -1));
    std::wstring word;
    CHECK(PluginKindOfPathParts(L"C:\\TC\\plugins\\wdx64\\x\\x.wdx", word) == 2);
    CHECK(word == L"wdx64");
    CHECK(PluginKindOfPathParts(L"\\foo.wdx", word) == 0);
    CHECK(PluginKindOfPathParts(L"wlx/foo.wdx", word) == 1);
    CHECK(SplitCommaList(L",a,,b ,") == std::vector<std::wstring>{L"a", L"b "});
}

TEST_CASE("plugin files on disk") {
    std::wstring dir = FreshTempDir(L"plugfiles");
    auto put = [&](const std::wstring& rel, const std::string& bytes) {
        std::wstring path = dir + L"\\" + rel;
        MakeDirs(PathDir(path));
        WriteFileBytes(path, bytes);
        return path;
    };
    auto dll = [](uint16_t machine) { return BuildPeImage({machine, machine != PeMachineX86, {}, 0, 0}); };

    SUBCASE("32-bit and 64-bit files found by their machine") {
        std::wstring x = put(L"x.wlx", dll(PeMachineX86));
        put(L"x.wlx64", dll(PeMachineX64));
        put(L"y64.wlx", dll(PeMachineX64));
        bool any = false;
        CHECK(Find64BitPluginFile(x, any) == x + L"64");
        CHECK(Find64BitPluginFile(dir + L"\\y.wlx", any) == dir + L"\\y64.wlx");
        CHECK((Find32BitPluginFile(x + L"64") == x && Find32BitPluginFile(x) == x));
        // Neither x64 nor i386: no candidate qualifies as either.
        for (const auto& other : {put(L"arm.wlx", dll(PeMachineArm64)), put(L"text.wlx", "1=x.wlx")}) {
            CHECK((Find64BitPluginFile(other, any).empty() && any));
            CHECK(Find32BitPluginFile(other).empty());
        }
        CHECK((Find64BitPluginFile(dir + L"\\none.wlx", any).empty() && !any));
    }
    SUBCASE("a plugin in a folder named for another kind") {
        std::wstring foo = put(L"wlx\\Foo\\foo.wdx", "x");
        CHECK((PluginKindOfPath(foo, 0) == 1 && PluginKindOfPath(foo, 1) == 0));
        put(L"wlx\\Foo\\foo.wlx64", "x");
        CHECK(PluginKindOfPath(foo, 0) == 0);
        CHECK(PluginKindOfPath(dir + L"\\wcx\\noext", 2) == 4);
    }
    SUBCASE("scans stay within depth and budget and skip nothing they should count") {
        for (const wchar_t* f : {L"a\\a.wlx64", L"a\\a.wlx", L"a\\b\\c.wcx", L"a\\b\\d\\deep.wfx", L"a\\p.ini"})
            put(f, "x");
        put(L"a\\readme.txt", "xyz");
        DiskPlugins.clear();
        int64_t budget = 1000;
        ScanDiskPlugins(dir, 2, budget);
        CHECK(DiskPlugins.size() == 2);
        CHECK(DiskPlugins[StrLower(dir) + L"\\a\\a.wlx"] == dir + L"\\a\\a.wlx");
        uint64_t count = 0, total = 0;
        std::vector<std::wstring> plugins, inis, names;
        ScanPluginFilesSized(dir + L"\\a", 1, count, total, plugins, inis);
        CHECK((count == 5 && total == 7 && plugins.size() == 3 && inis == std::vector<std::wstring>{L"p.ini"}));
        ScanFilesByPattern(dir + L"\\a", L"", 3, StrLower(dir + L"\\a\\b\\d"), names, budget = 100);
        CHECK((names.size() == 5 && std::count(names.begin(), names.end(), L"b\\c.wcx") == 1));
        names.clear();
        ScanFilesByPattern(dir + L"\\a", L"", 3, L"", names, budget = 2);
        CHECK((budget < 0 && names.size() <= 2));
    }
    RemoveTree(dir);
}
