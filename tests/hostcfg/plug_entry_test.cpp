#include <doctest/doctest.h>

#include <windows.h>

#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg_test_util.h"
#include "support/test_support.h"

namespace {

std::wstring Names(const std::vector<PlugEntry>& entries) {
    std::wstring out;
    for (const auto& e : entries) out += std::to_wstring(e.number) + L":" + e.name + L" ";
    return out;
}

std::wstring Items(const DetectSpec& spec) {
    std::wstring out;
    for (const auto& i : spec.items) out += (i.kind == 0 ? i.text : L"#" + std::to_wstring(i.kind)) + L" ";
    return out;
}

// The odd lines real files hold: gaps, duplicates, blanks around '=', a lone
// detect line, a packer library under two spellings, commented-out lines.
const wchar_t FixtureIni[] =
    L"[Configuration]\r\nAlternateUserIni=alt.ini\r\n"
    L"[ListerPlugins]\r\n10=%COMMANDER_PATH%\\p\\ten.wlx\r\n2 = %commander_path%\\p\\two.wlx\r\n"
    L"2_detect=EXT=\"TXT\" | EXT=\"LOG\"\r\n1=%COMMANDER_PATH%\\p\\one.wlx\r\n"
    L"1_detect=\"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"PNG\")\"\r\n1_DETECT=\"EXT=\"NO\"\"\r\n"
    L"3_detect=\"EXT=\"LONE\"\"\r\n1_width=5\r\n1=%COMMANDER_PATH%\\p\\dup.wlx\r\n"
    L"[ContentPlugins]\r\nRedirectSection=1\r\n7=left\\over.wdx\r\n"
    L"[PackerPlugins]\r\nzip=279,%COMMANDER_PATH%\\p\\zip.wcx\r\narj=C:\\p\\arj.wcx\r\n"
    L"jar = 279 , %commander_path%\\P\\ZIP.WCX \r\nrar=abc,%COMMANDER_PATH%\\p\\rar.wcx\r\n"
    L";tar=1,%COMMANDER_PATH%\\p\\zip.wcx\r\nZIP=5,%COMMANDER_PATH%\\p\\other.wcx\r\nempty=5,\r\n"
    L"[FileSystemPlugins]\r\nSecure FTP =%COMMANDER_PATH%\\p\\sftp.wfx\r\nCloud=%COMMANDER_PATH%\\p\\cloud.wfx\r\n"
    L"secure ftp=%COMMANDER_PATH%\\p\\other.wfx\r\n";

}  // namespace

TEST_CASE("plugin sections read in TC's order") {
    std::wstring dir = FreshTempDir(L"plugsec");
    ScopedEnv commander(L"COMMANDER_PATH", dir.c_str());
    CreateDirectoryW((dir + L"\\p").c_str(), nullptr);
    for (const wchar_t* f : {L"one.wlx", L"two.wlx64", L"zip.wcx", L"c.wdx", L"sftp.wfx"})
        WriteFileBytes(dir + L"\\p\\" + f, "x");
    WincmdIniPath = dir + L"\\wincmd.ini";
    ProbeCache.clear();
    ProbeCache[MakeKindKey(0, dir + L"\\p\\two.wlx")] = ProbeResult{ProbeOk, L"EXT=\"MD\"", L"1.2", 1, L"", 0};
    ProbeCache[MakeKindKey(1, dir + L"\\p\\two.wlx")] = ProbeResult{ProbeError, L"", L"", -1, L"", 0};

    for (bool utf16 : {false, true}) {
        CAPTURE(utf16);
        WriteIniText(WincmdIniPath, FixtureIni, utf16);
        WriteIniText(dir + L"\\alt.ini", L"[ContentPlugins]\r\n0=%COMMANDER_PATH%\\p\\c.wdx\r\n0_detect=\r\n1=d.wdx\r\n",
                     !utf16);

        PluginSection lister = LoadPluginSection(0);
        CHECK((lister.iniUsed == WincmdIniPath && lister.missing == 0));
        REQUIRE(Names(lister.entries) == L"1:one 2:two 10:ten ");
        const PlugEntry &one = lister.entries[0], &two = lister.entries[1], &ten = lister.entries[2];
        CHECK(one.expandedPath == dir + L"\\p\\one.wlx");
        CHECK(one.detectText == L"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"PNG\")");
        CHECK(Items(one.iniDetect) == L"#1 JPG PNG ");
        CHECK((one.fileExists == 1 && one.probeStatus == ProbePending));
        CHECK(Items(two.iniDetect) == L"TXT LOG ");
        CHECK(two.fileExists == 1);  // only two.wlx64 is there
        CHECK((two.probeStatus == ProbeOk && two.probeVersion == L"1.2" && Items(two.pluginDetect) == L"MD "));
        CHECK((ten.hasDetect == 0 && Items(ten.iniDetect) == L"#3 " && ten.probeStatus == ProbeMissing));
        CHECK(DuplicateKeys[0] == std::vector<std::wstring>{L"1_DETECT", L"1"});
        CHECK(ListerKeys == std::set<std::wstring>{L"one", L"two", L"ten"});
        CHECK(TcListerSettings.loaded == 1);

        PluginSection content = LoadPluginSection(1);
        CHECK(content.iniUsed == dir + L"\\alt.ini");
        REQUIRE(Names(content.entries) == L"0:c 1:d ");
        CHECK(SectionKeys[1] == std::vector<std::wstring>{L"7"});
        CHECK(Items(content.entries[0].iniDetect) == L"#4 ");

        PluginSection packer = LoadPluginSection(2);
        REQUIRE(Names(packer.entries) == L"1:zip 2:rar ");
        const PlugEntry& zip = packer.entries[0];
        CHECK(zip.detectText == L"zip=279 | jar=279");
        CHECK(zip.packerFlags == std::vector<int>{279, 279});
        CHECK(zip.packerPaths ==
              std::vector<std::wstring>{L"%COMMANDER_PATH%\\p\\zip.wcx", L"%commander_path%\\P\\ZIP.WCX"});
        CHECK((zip.path == L"%COMMANDER_PATH%\\p\\zip.wcx" && zip.fileExists == 1));
        CHECK(packer.entries[1].packerFlags == std::vector<int>{0});
        CHECK(DuplicateKeys[2] == std::vector<std::wstring>{L"ZIP"});

        PluginSection fs = LoadPluginSection(3);
        CHECK(Names(fs.entries) == L"1:Secure FTP 2:Cloud ");
        CHECK(fs.entries.at(1).fileExists == 0);
    }
    SUBCASE("a relative path of wincmd.ini names the file in the current folder") {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        SetCurrentDirectoryW(dir.c_str());
        WincmdIniPath = L"wincmd.ini";
        CHECK(LoadPluginSection(0).entries.size() == 3);
        CHECK(SectionKeys[0].empty());
        SetCurrentDirectoryW(cwd);
    }
    SUBCASE("a section redirected to a missing file") {
        WriteIniText(WincmdIniPath, L"[PackerPlugins]\r\nRedirectSection=gone\\p.ini\r\nzip=1,x.wcx\r\n;old=1,y.wcx\r\n", 1);
        PluginSection packer = LoadPluginSection(2);
        CHECK((packer.missing == 1 && packer.entries.empty() && packer.iniUsed == dir + L"\\gone\\p.ini"));
        CHECK(SectionKeys[2] == std::vector<std::wstring>{L"zip"});
    }
    WincmdIniPath.clear();
    CHECK(LoadPluginSection(0).entries.empty());
    ProbeCache.clear();
    RemoveTree(dir);
}

TEST_CASE("probe results applied to an entry") {
    PlugEntry e;
    e.kind = 1;
    ApplyProbeResult(e, ProbeResult{ProbeOk, L"", L"", 2, L"", 1});
    CHECK((Items(e.pluginDetect) == L"#4 " && e.is32Bit == 1));
    ApplyProbeResult(e, ProbeResult{ProbeError, L"EXT=\"A\"", L"", -1, L"", 0});
    CHECK(e.pluginDetect.items.empty());
}
