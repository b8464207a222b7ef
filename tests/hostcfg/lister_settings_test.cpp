#include <doctest/doctest.h>

#include <random>

#include "hostcfg/lister_settings.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg_test_util.h"
#include "support/test_support.h"

namespace {

// The plain recursive definition the iterative matcher must agree with.
bool ReferenceMatch(const wchar_t* p, const wchar_t* t) {
    if (!*p) return !*t;
    if (*p == L'*') return ReferenceMatch(p + 1, t) || (*t && ReferenceMatch(p, t + 1));
    return *t && (*p == L'?' || *p == *t) && ReferenceMatch(p + 1, t + 1);
}

std::wstring Numbers(const std::vector<ListerMode>& modes) {
    std::wstring out;
    for (const auto& m : modes) out += std::to_wstring(m.number) + L" ";
    return out;
}

ListerSettings Parse(std::vector<std::pair<std::wstring, std::wstring>> lines) {
    ListerSettings s;
    ParseListerModes(s, lines);
    return s;
}

}  // namespace

TEST_CASE("view-mode rules up to the first gap, and the rules TC never sees") {
    const struct {
        std::vector<std::pair<std::wstring, std::wstring>> lines;
        const wchar_t* used;
        int gap;
        const wchar_t* after;
    } cases[] = {
        {{{L"0exts", L"*.a"}, {L"0fields", L"1"}, {L"1exts", L"*.b"}, {L"1fields", L"2"}}, L"0 1 ", -1, L""},
        {{{L"1exts", L"*.a"}, {L"1fields", L"1"}, {L"2exts", L"*.b"}, {L"2fields", L"2"}}, L"", 0, L"1 2 "},
        {{{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1exts", L"b"}, {L"1fields", L"1"}, {L"2exts", L"c"},
          {L"3exts", L"d"}, {L"3fields", L"1"}},
         L"0 1 ", 2, L"3 "},
        {{{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1fields", L"1"}}, L"0 ", -1, L""},
        {{{L"x", L"1"}, {L"10exts", L"a"}, {L"10fields", L"1"}}, L"", 0, L"10 "},
        // TC reads a key once: an empty first occurrence leaves the rule incomplete.
        {{{L"0exts", L""}, {L"0EXTS", L"*.txt"}, {L"0fields", L"1"}, {L"1exts", L"b"}, {L"1fields", L"1"}},
         L"",
         0,
         L"1 "},
    };
    for (const auto& c : cases) {
        ListerSettings s = Parse(c.lines);
        CHECK(Numbers(s.listerModes) == c.used);
        CHECK(s.modeGap == c.gap);
        CHECK(Numbers(s.modesAfterGap) == c.after);
    }
    ListerSettings s = Parse({{L"0exts", L" *.txt "}, {L"0EXTS", L"*.log"}, {L"0fields", L"4 x.wlx,y.wlx"}});
    REQUIRE(s.listerModes.size() == 1);
    CHECK(s.listerModes[0].exts == L"*.txt");
    CHECK(s.listerModes[0].fieldWords == std::vector<std::wstring>{L"4", L"x.wlx", L"y.wlx"});
}

TEST_CASE("wildcard matching") {
    SUBCASE("WildMatch agrees with the recursive definition") {
        std::mt19937 rng(12345);
        const wchar_t pat[] = L"ab*?", txt[] = L"abAB";
        for (int i = 0; i < 20000; ++i) {
            std::wstring p, t;
            for (int n = rng() % 7; n > 0; --n) p += pat[rng() % 4];
            for (int n = rng() % 7; n > 0; --n) t += txt[rng() % 4];
            CAPTURE(p);
            CAPTURE(t);
            CHECK(WildMatch(p, t) == ReferenceMatch(p.c_str(), t.c_str()));
        }
    }
    SUBCASE("a hostile pattern finishes") {
        std::wstring pattern;
        for (int i = 0; i < 200; ++i) pattern += L"*a";
        CHECK_FALSE(WildMatch(pattern + L"b", std::wstring(5000, L'a')));
        CHECK_FALSE(RuleMatches({pattern + L"b"}, std::wstring(5000, L'a')));
    }
    SUBCASE("rule patterns match a file name with the extension, ignoring case") {
        CHECK(RuleMatches({L"*.TXT"}, L"txt"));
        CHECK(RuleMatches({L"x.t?t"}, L"txt"));
        CHECK(RuleMatches({L"", L"*.log", L"*.t*"}, L"TXT"));
        CHECK_FALSE(RuleMatches({L"*.txt"}, L"t*"));
        CHECK_FALSE(RuleMatches({L"*"}, L""));
        CHECK_FALSE(RuleMatches({L"*.tx"}, L"txt"));
    }
    SUBCASE("type-list words") {
        CHECK(ExtRuleMatch(L"*.webp", L"*.webp"));
        CHECK(ExtRuleMatch(L"*.WEB?", L"*.WEBP"));
        CHECK(ExtRuleMatch(L"*.WEBP", L"*.WEB?"));
        CHECK_FALSE(ExtRuleMatch(L"*.webp", L"*.WEBP"));
        CHECK_FALSE(ExtRuleMatch(L"WEBP", L"webp"));
    }
}

TEST_CASE("Lister settings read from wincmd.ini") {
    std::wstring dir = FreshTempDir(L"lister");
    WincmdIniPath = dir + L"\\wincmd.ini";
    SUBCASE("values, defaults and a redirected view-mode section") {
        WriteIniText(WincmdIniPath,
                     L"[Lister]\r\nMultimedia= 0 \r\nIView=2\r\nNoPluginFileTypes=*.exe, *.dll;*.sys\r\n"
                     L"MediaAdditionalTypes=MKV WEBM|AVI\r\nIViewAdditionalTypes=*.webp\r\n"
                     L"[ListerModes]\r\nRedirectSection=modes.ini\r\n0exts=*.md\r\n0fields=1\r\n",
                     false);
        WriteIniText(dir + L"\\modes.ini", L"[ListerModes]\r\n0exts=*.txt\r\n0fields=4 a.wlx\r\n", true);
        LoadTcListerSettings();
        const ListerSettings& s = TcListerSettings;
        CHECK(s.loaded == 1);
        CHECK(s.multimedia == 0);
        CHECK(s.iview == 0);
        CHECK(s.modeByFileType == 1);
        CHECK(s.noPluginTypes == std::vector<std::wstring>{L"*.exe", L"*.dll", L"*.sys"});
        CHECK(s.mediaAddTypes == std::vector<std::wstring>{L"MKV", L"WEBM"});
        CHECK(s.mediaAddExcluded == std::vector<std::wstring>{L"AVI"});
        CHECK(s.iviewAddExcluded.empty());
        REQUIRE(RuleFind(L"TXT") != nullptr);
        CHECK(RuleFind(L"TXT")->fields == L"4 a.wlx");
        CHECK(RuleFind(L"md") == nullptr);
    }
    SUBCASE("ModeByfileType=0 switches the rules off") {
        WriteIniText(WincmdIniPath, L"[Lister]\r\nModeByfileType=0\r\n[ListerModes]\r\n0exts=*\r\n0fields=3\r\n", true);
        LoadTcListerSettings();
        CHECK(TcListerSettings.listerModes.size() == 1);
        CHECK(RuleFind(L"txt") == nullptr);
    }
    WincmdIniPath.clear();
    LoadTcListerSettings();
    CHECK(TcListerSettings.loaded == 0);
    CHECK(TcListerSettings.multimedia == 1);
    RemoveTree(dir);
}
