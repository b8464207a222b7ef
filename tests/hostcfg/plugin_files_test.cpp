#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>

#include "foundation/files.h"
#include "foundation/text.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg_test_util.h"
#include "probe/pe.h"
#include "support/test_support.h"

namespace {

std::string Dll(uint16_t machine) {
    PeImageSpec spec;
    spec.machine = machine;
    spec.pe32Plus = machine != PeMachineX86;
    return BuildPeImage(spec);
}

}  // namespace

TEST_CASE("plugin kinds from file and folder names") {
    CHECK(PluginKindOfFileName(L"C:\\p\\x.WDX64") == 1);
    CHECK(PluginKindOfFileName(L"foo.wcx") == 2);
    CHECK(PluginKindOfFileName(L"x.txt") == -1);
    CHECK(PluginKindOfFileName(L"x") == -1);
    CHECK(PluginKindOfExt(L"WCX") == 4);
    CHECK(PluginKindOfExt(L"wfx64") == 8);
    CHECK(PluginKindOfExt(L"wcx32") == 0);
    CHECK(PluginKindOfExtPart(L"a.b.WLX") == 1);
    CHECK(PluginKindOfExtPart(L"wlx") == 0);
    std::wstring word;
    CHECK(PluginKindOfPathParts(L"C:\\TC\\wlx\\Foo\\foo.wdx", word) == 1);
    CHECK(word == L"wlx");
    CHECK(PluginKindOfPathParts(L"C:\\TC\\plugins\\wdx64\\x\\x.wdx", word) == 2);
    CHECK(word == L"wdx64");
    CHECK(PluginKindOfPathParts(L"foo.wdx", word) == 0);
    CHECK(PluginKindOfPathParts(L"\\foo.wdx", word) == 0);
    CHECK(PluginKindOfPathParts(L"wlx/foo.wdx", word) == 1);
    CHECK(SplitCommaList(L",a,,b ,") == std::vector<std::wstring>{L"a", L"b "});
    CHECK(SplitCommaList(L"").empty());
}

TEST_CASE("plugin files on disk") {
    std::wstring dir = FreshTempDir(L"plugfiles");
    auto put = [&](const std::wstring& rel, const std::string& bytes) {
        std::wstring path = dir + L"\\" + rel;
        MakeDirs(PathDir(path));
        WriteFileBytes(path, bytes);
        return path;
    };

    SUBCASE("32-bit and 64-bit files found by their machine") {
        std::wstring x = put(L"x.wlx", Dll(PeMachineX86));
        put(L"x.wlx64", Dll(PeMachineX64));
        put(L"y64.wlx", Dll(PeMachineX64));
        put(L"y.wlx", Dll(PeMachineX86));
        std::wstring arm = put(L"arm.wlx", Dll(PeMachineArm64));
        std::wstring text = put(L"text.wlx", "1_detect=EXT=\"TXT\"");
        bool any = false;
        CHECK(Find64BitPluginFile(x, any) == x + L"64");
        CHECK(Find64BitPluginFile(dir + L"\\y.wlx", any) == dir + L"\\y64.wlx");
        CHECK(Find32BitPluginFile(x + L"64") == x);
        CHECK(Find32BitPluginFile(x) == x);
        // Neither x64 nor i386: no candidate qualifies as either.
        for (const auto& other : {arm, text}) {
            CHECK(Find64BitPluginFile(other, any).empty());
            CHECK(any);
            CHECK(Find32BitPluginFile(other).empty());
        }
        DeleteFileW((x + L"64").c_str());
        CHECK(Find64BitPluginFile(x, any).empty());
        CHECK(any);
        CHECK(Find64BitPluginFile(dir + L"\\none.wlx", any).empty());
        CHECK_FALSE(any);
    }
    SUBCASE("a plugin in a folder named for another kind") {
        std::wstring foo = put(L"wlx\\Foo\\foo.wdx", "x");
        CHECK(PluginKindOfPath(foo, 0) == 1);
        CHECK(PluginKindOfPath(foo, 2) == 1);
        CHECK(PluginKindOfPath(foo, 1) == 0);
        put(L"wlx\\Foo\\foo.wlx64", "x");
        CHECK(PluginKindOfPath(foo, 0) == 0);
        CHECK(PluginKindOfPath(put(L"wdx\\foo\\foo.wdx", "x"), 0) == 0);
        CHECK(PluginKindOfPath(dir + L"\\wcx\\noext", 2) == 4);
    }
    SUBCASE("scans stay within depth and budget") {
        put(L"a\\a.wlx64", "x");
        put(L"a\\a.wlx", "x");
        put(L"a\\b\\c.wcx", "x");
        put(L"a\\b\\d\\deep.wfx", "x");
        put(L"a\\plugin.ini", "x");
        put(L"a\\readme.txt", "xyz");
        DiskPlugins.clear();
        int64_t budget = 1000;
        ScanDiskPlugins(dir, 2, budget);
        CHECK(DiskPlugins.size() == 2);
        CHECK(DiskPlugins[L"" + StrLower(dir) + L"\\a\\a.wlx"] == dir + L"\\a\\a.wlx");
        budget = 3;
        DiskPlugins.clear();
        ScanDiskPlugins(dir + L"\\a", 5, budget);
        CHECK(budget < 1);

        uint64_t count = 0, total = 0;
        std::vector<std::wstring> plugins, inis;
        ScanPluginFilesSized(dir + L"\\a", 1, count, total, plugins, inis);
        CHECK(count == 5);
        CHECK(total == 7);
        CHECK(plugins.size() == 3);
        CHECK(inis == std::vector<std::wstring>{L"plugin.ini"});

        std::vector<std::wstring> names;
        budget = 100;
        ScanFilesByPattern(dir + L"\\a", L"", 3, StrLower(dir + L"\\a\\b\\d"), names, budget);
        CHECK(names.size() == 5);
        CHECK(std::find(names.begin(), names.end(), L"b\\c.wcx") != names.end());
        budget = 2;
        names.clear();
        ScanFilesByPattern(dir + L"\\a", L"", 3, L"", names, budget);
        CHECK(budget < 0);
        CHECK(names.size() <= 2);
    }
    RemoveTree(dir);
}
