// The model of wincmd.ini: plugin sections, TC's Lister settings and view-mode
// rules, and where the configuration uses each plugin's fields.
#include <random>

#include "foundation/texts.h"
#include "hostcfg_test_util.h"

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
    L"secure ftp=%COMMANDER_PATH%\\p\\other.wfx\r\n"
    L"[Lister]\r\nMultimedia= 0 \r\nIView=2\r\n"
    L"[ListerModes]\r\nRedirectSection=modes.ini\r\n0exts=*.md\r\n0fields=1\r\n";

// The plain recursive definition the iterative matcher must agree with.
bool ReferenceMatch(const wchar_t* p, const wchar_t* t) {
    if (!*p) return !*t;
    if (*p == L'*') return ReferenceMatch(p + 1, t) || (*t && ReferenceMatch(p, t + 1));
    return *t && (*p == L'?' || *p == *t) && ReferenceMatch(p + 1, t + 1);
}

// "used|gap|after", e.g. "0 1 |2|3 ".
std::wstring Walk(std::vector<std::pair<std::wstring, std::wstring>> lines) {
    ListerSettings s;
    ParseListerModes(s, lines);
    std::wstring out;
    for (const auto& m : s.listerModes) out += std::to_wstring(m.number) + L" ";
    out += L"|" + std::to_wstring(s.modeGap) + L"|";
    for (const auto& m : s.modesAfterGap) out += std::to_wstring(m.number) + L" ";
    return out;
}

std::wstring Uses(const FieldUsage& usage, const std::wstring& plugin) {
    std::wstring out;
    auto found = usage.uses.find(plugin);
    if (found == usage.uses.end()) return out;
    for (const auto& u : found->second) {
        out += std::to_wstring(u.place) + L"[" + u.where + L"]";
        for (const auto& f : u.fields) out += L" " + f;
        out += L"; ";
    }
    return out;
}

}  // namespace

TEST_CASE("plugin sections read in TC's order") {
    TcIniDir tc(L"plugsec");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    CreateDirectoryW((tc / L"p").c_str(), nullptr);
    for (const wchar_t* f : {L"one.wlx", L"two.wlx64", L"zip.wcx", L"c.wdx", L"sftp.wfx"}) WriteFileBytes(tc / L"p\\" + f, "x");
    ProbeCache.clear();
    ProbeCache[KindKey(0, tc / L"p\\two.wlx")] = ProbeResult{ProbeOk, L"EXT=\"MD\"", L"1.2", 1, L"", 0};
    ProbeCache[KindKey(1, tc / L"p\\two.wlx")] = ProbeResult{ProbeError, L"", L"", -1, L"", 0};

    for (bool utf16 : {false, true}) {
        CAPTURE(utf16);
        WriteIniText(tc.ini, FixtureIni, utf16);
        WriteIniText(tc / L"alt.ini", L"[ContentPlugins]\r\n0=%COMMANDER_PATH%\\p\\c.wdx\r\n0_detect=\r\n1=d.wdx\r\n", !utf16);
        WriteIniText(tc / L"modes.ini", L"[ListerModes]\r\n0exts=*.txt\r\n0fields=4 a.wlx\r\n", !utf16);

        PluginSection lister = LoadPluginSection(0);
        CHECK((lister.iniUsed == tc.ini && lister.missing == 0));
        REQUIRE(Names(lister.entries) == L"1:one 2:two 10:ten ");
        const PlugEntry &one = lister.entries[0], &two = lister.entries[1], &ten = lister.entries[2];
        CHECK(one.detectText == L"MULTIMEDIA & (EXT=\"JPG\" | EXT=\"PNG\")");
        CHECK((Items(one.iniDetect) == L"#1 JPG PNG " && one.fileExists == 1 && one.probeStatus == ProbePending));
        CHECK((Items(two.iniDetect) == L"TXT LOG " && two.fileExists == 1));  // only two.wlx64 is there
        CHECK((two.probeStatus == ProbeOk && two.probeVersion == L"1.2" && Items(two.pluginDetect) == L"MD "));
        CHECK((ten.hasDetect == 0 && Items(ten.iniDetect) == L"#3 " && ten.probeStatus == ProbeMissing));
        CHECK(lister.duplicateKeys == std::vector<std::wstring>{L"1_DETECT", L"1"});
        // Reading the Lister section reads TC's Lister settings with it.
        const ListerSettings& s = lister.lister;
        CHECK(s.pluginKeys == std::set<std::wstring>{L"one", L"two", L"ten"});
        CHECK((s.loaded == 1 && s.multimedia == 0 && s.iview == 0 && s.modeByFileType == 1));
        REQUIRE(RuleFind(s, L"TXT") != nullptr);
        CHECK((RuleFind(s, L"TXT")->fields == L"4 a.wlx" && RuleFind(s, L"md") == nullptr));

        PluginSection content = LoadPluginSection(1);
        CHECK(content.iniUsed == tc / L"alt.ini");
        REQUIRE(Names(content.entries) == L"0:c 1:d ");
        CHECK((content.leftOverKeys == std::vector<std::wstring>{L"7"} && Items(content.entries[0].iniDetect) == L"#4 "));
        CHECK((content.lister.loaded == 0 && content.lister.pluginKeys.empty()));

        PluginSection packer = LoadPluginSection(2);
        REQUIRE(Names(packer.entries) == L"1:zip 2:rar ");
        const PlugEntry& zip = packer.entries[0];
        CHECK((zip.detectText == L"zip=279 | jar=279" && zip.packerFlags == std::vector<int>{279, 279}));
        CHECK(zip.packerPaths == std::vector<std::wstring>{L"%COMMANDER_PATH%\\p\\zip.wcx", L"%commander_path%\\P\\ZIP.WCX"});
        CHECK((zip.path == L"%COMMANDER_PATH%\\p\\zip.wcx" && zip.fileExists == 1));
        CHECK((packer.entries[1].packerFlags == std::vector<int>{0} && packer.duplicateKeys == std::vector<std::wstring>{L"ZIP"}));

        PluginSection fs = LoadPluginSection(3);
        CHECK((Names(fs.entries) == L"1:Secure FTP 2:Cloud " && fs.entries.at(1).fileExists == 0));
    }
    SUBCASE("a relative path of wincmd.ini names the file in the current folder") {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        SetCurrentDirectoryW(tc.dir.c_str());
        WincmdIniPath = L"wincmd.ini";
        PluginSection lister = LoadPluginSection(0);
        CHECK((lister.entries.size() == 3 && lister.leftOverKeys.empty()));
        SetCurrentDirectoryW(cwd);
    }
    SUBCASE("a section redirected to a missing file") {
        WriteIniText(tc.ini, L"[PackerPlugins]\r\nRedirectSection=gone\\p.ini\r\nzip=1,x.wcx\r\n;old=1,y.wcx\r\n", 1);
        PluginSection packer = LoadPluginSection(2);
        CHECK((packer.missing == 1 && packer.entries.empty() && packer.iniUsed == tc / L"gone\\p.ini"));
        CHECK(packer.leftOverKeys == std::vector<std::wstring>{L"zip"});
    }
    SUBCASE("view-mode rules by file type switched off") {
        WriteIniText(tc.ini, L"[Lister]\r\nModeByfileType=0\r\n[ListerModes]\r\n0exts=*\r\n0fields=3\r\n", true);
        ListerSettings s = LoadListerSettings();
        CHECK((s.listerModes.size() == 1 && RuleFind(s, L"txt") == nullptr));
    }
    SUBCASE("a new probe result replaces the plugin's own detect string") {
        PlugEntry e;
        e.kind = KindContent;
        ApplyProbeResult(e, ProbeResult{ProbeOk, L"", L"", 2, L"", 1});
        CHECK((Items(e.pluginDetect) == L"#4 " && e.is32Bit == 1));
        ApplyProbeResult(e, ProbeResult{ProbeError, L"EXT=\"A\"", L"", -1, L"", 0});
        CHECK(e.pluginDetect.items.empty());
    }
    ProbeCache.clear();
    WincmdIniPath.clear();
    PluginSection none = LoadPluginSection(0);
    CHECK((none.entries.empty() && none.lister.loaded == 0 && LoadListerSettings().multimedia == 1));
}

TEST_CASE("view-mode rules up to the first gap, and the rules TC never sees") {
    CHECK(Walk({{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1exts", L"b"}, {L"1fields", L"2"}}) == L"0 1 |-1|");
    CHECK(Walk({{L"1exts", L"a"}, {L"1fields", L"1"}, {L"x", L"1"}, {L"10EXTS", L"b"}, {L"10fields", L"2"}}) == L"|0|1 10 ");
    CHECK(Walk({{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1exts", L"c"}, {L"2exts", L"d"}, {L"2fields", L"1"}}) == L"0 |1|2 ");
    CHECK(Walk({{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1fields", L"1"}}) == L"0 |-1|");
    // TC reads a key once: an empty first occurrence leaves the rule incomplete.
    CHECK(Walk({{L"0exts", L""}, {L"0EXTS", L"*.txt"}, {L"0fields", L"1"}, {L"1exts", L"b"}, {L"1fields", L"1"}}) == L"|0|1 ");
    ListerSettings s;
    ParseListerModes(s, {{L"0exts", L" *.txt "}, {L"0EXTS", L"*.log"}, {L"0fields", L"4 x.wlx,y.wlx"}});
    CHECK(s.listerModes.at(0).exts == L"*.txt");
    CHECK(s.listerModes.at(0).fieldWords == std::vector<std::wstring>{L"4", L"x.wlx", L"y.wlx"});
}

TEST_CASE("wildcard matching agrees with its definition and stays linear") {
    std::mt19937 rng(12345);
    for (int i = 0; i < 20000; ++i) {
        std::wstring p, t;
        for (int n = rng() % 7; n > 0; --n) p += L"ab*?"[rng() % 4];
        for (int n = rng() % 7; n > 0; --n) t += L"abAB"[rng() % 4];
        CAPTURE(p);
        CAPTURE(t);
        CHECK(WildMatch(p, t) == ReferenceMatch(p.c_str(), t.c_str()));
    }
    std::wstring hostile;
    for (int i = 0; i < 200; ++i) hostile += L"*a";
    CHECK_FALSE(WildMatch(hostile + L"b", std::wstring(5000, L'a')));
    CHECK_FALSE(RuleMatches({hostile + L"b"}, std::wstring(5000, L'a')));
    CHECK((RuleMatches({L"*.TXT"}, L"txt") && RuleMatches({L"", L"*.log", L"x.t?t"}, L"TXT")));
    CHECK_FALSE((RuleMatches({L"*.txt"}, L"t*") || RuleMatches({L"*"}, L"")));
    CHECK((ExtRuleMatch(L"*.WEB?", L"*.WEBP") && ExtRuleMatch(L"*.WEBP", L"*.WEB?") && !ExtRuleMatch(L"WEBP", L"webp")));
}

TEST_CASE("where TC's configuration uses each plugin's fields") {
    FieldUsage refs;
    UsageParseRefs(refs, L"[=tc.size] [=<fs>.x] [=Plug.Field.KB] [=Plug.Date:12] [=plug.Date:ab] [=nodot] [=.x]", 5, L"w");
    UsageParseRefs(refs, L"[=\"a]b\" plug.Quoted] [=\"open plug.X] [=Plug.Field]", 5, L"w");
    CHECK(Uses(refs, L"plug") == L"5[w] Date Date:ab Field Quoted; ");
    CHECK((refs.names[L"plug"] == L"Plug" && refs.uses.size() == 1));

    TcIniDir tc(L"usage");
    WriteIniText(tc.ini,
                 L"[CustomFields]\r\nTitles=Size| Version \r\nContents2=[=fileinfo.version]\r\n"
                 L"Contents1=[=fileinfo.version] [=FileInfo.size]\r\n[CustomFieldsMy view]\r\nRedirectSection=c.ini\r\n"
                 // Views named as TC names them: the name follows "CustomFields_".
                 L"[CustomFields_ADB]\r\nTitles=Name|Size\r\nContents2=[=adb.size]\r\n"
                 L"[CustomFields_CloudMailRu]\r\nContents1=[=fileinfo.size]\r\n"
                 L"[HintsCustomField]\r\n1exts=*.mp3\r\n1fields=[=audio.Title]\r\n2fields=[=audio.Artist]\r\n"
                 L"[RenameTemplates]\r\n1=[N] [=exif.Date:12]\r\n"
                 L"[searches]\r\nMySearch_plugin=fileinfo.size > 1 & !(\"fileinfo.date\" = 2) | x\r\n"
                 L"[ContentPlugins]\r\n0=[=fileinfo.never]\r\n[ContentPlugins64]\r\n0=[=fileinfo.never]\r\n"
                 L"[Other]\r\nKey=text [=audio.Title]\r\n[other]\r\nKey=[=audio.Second]\r\n",  // TC reads only the first
                 true);
    WriteIniText(tc / L"c.ini", L"[CustomFieldsMy view]\r\nContents1=[=audio.Album]\r\n", false);
    FieldUsage usage = BuildFieldUsage();
    InitLanguage(std::nullopt);
    REQUIRE(LangCode() == L"eng");
    int counts[UsePlaceCount];
    CHECK(FieldUsageCount(usage, L"FILEINFO", counts, L"") == 4);
    CHECK(Uses(usage, L"fileinfo") ==
          L"0[Version] version; 0[Size] size version; 0[CloudMailRu: Contents1] size; 4[MySearch] date size; ");
    CHECK(Uses(usage, L"adb") == L"0[ADB: Size] size; ");
    CHECK(Uses(usage, L"audio") == L"0[My view: Contents1] Album; 1[*.mp3] Title; 1[2fields] Artist; 5[[Other] Key] Title; ");
    CHECK(FieldUsageCount(usage, L"audio", counts, L"title") == 2);
    CHECK((counts[UseTip] == 1 && counts[UseOther] == 1 && counts[UseColumn] == 0));
    CHECK(FieldUsageTextFor(usage, L"fileinfo", L"VERSION") == L"column view “Version”, column view “Size”");
    CHECK(FieldUsageText(usage, L"exif", L"  ") == L"  rename template [N] [=exif.Date:12]: Date\r\n");
    CHECK(FieldUsageText(usage, L"nobody", L"").empty());
    WincmdIniPath.clear();
    CHECK(FieldUsageCount(BuildFieldUsage(), L"fileinfo", counts, L"") == 0);
}

TEST_CASE("field usage follows a redirected section whose value is quoted, as the profile functions unquote it") {
    TcIniDir tc(L"usage_quoted");
    WriteIniText(tc.ini,
                 L"[Configuration]\r\nAlternateUserIni='alt.ini'\r\n"
                 L"[CustomFields]\r\nRedirectSection=1\r\n"
                 L"[HintsCustomField]\r\nRedirectSection='c.ini'\r\n"
                 L"[RenameTemplates]\r\nRedirectSection=\"c.ini\"\r\n",
                 true);
    WriteIniText(tc / L"alt.ini", L"[CustomFields]\r\nTitles=Album\r\nContents1=[=audio.Album]\r\n", false);
    WriteIniText(tc / L"c.ini",
                 L"[HintsCustomField]\r\n1exts=*.mp3\r\n1fields=[=audio.Title]\r\n[RenameTemplates]\r\n1=[=audio.Year]\r\n",
                 false);
    CHECK(Uses(BuildFieldUsage(), L"audio") == L"0[Album] Album; 1[*.mp3] Title; 3[[=audio.Year]] Year; ");
}
