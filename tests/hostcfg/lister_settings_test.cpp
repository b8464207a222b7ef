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

}  // namespace

TEST_CASE("view-mode rules up to the first gap, and the rules TC never sees") {
    CHECK(Walk({{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1exts", L"b"}, {L"1fields", L"2"}}) == L"0 1 |-1|");
    CHECK(Walk({{L"1exts", L"a"}, {L"1fields", L"1"}, {L"x", L"1"}, {L"10EXTS", L"b"}, {L"10fields", L"2"}}) ==
          L"|0|1 10 ");
    CHECK(Walk({{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1exts", L"c"}, {L"2exts", L"d"}, {L"2fields", L"1"}}) ==
          L"0 |1|2 ");
    CHECK(Walk({{L"0exts", L"a"}, {L"0fields", L"1"}, {L"1fields", L"1"}}) == L"0 |-1|");
    // TC reads a key once: an empty first occurrence leaves the rule incomplete.
    CHECK(Walk({{L"0exts", L""}, {L"0EXTS", L"*.txt"}, {L"0fields", L"1"}, {L"1exts", L"b"}, {L"1fields", L"1"}}) ==
          L"|0|1 ");
    ListerSettings s;
    ParseListerModes(s, {{L"0exts", L" *.txt "}, {L"0EXTS", L"*.log"}, {L"0fields", L"4 x.wlx,y.wlx"}});
    CHECK(s.listerModes.at(0).exts == L"*.txt");
    CHECK(s.listerModes.at(0).fieldWords == std::vector<std::wstring>{L"4", L"x.wlx", L"y.wlx"});
}

TEST_CASE("wildcard matching") {
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
    CHECK(RuleMatches({L"*.TXT"}, L"txt"));
    CHECK(RuleMatches({L"", L"*.log", L"x.t?t"}, L"TXT"));
    CHECK_FALSE(RuleMatches({L"*.txt"}, L"t*"));
    CHECK_FALSE(RuleMatches({L"*"}, L""));
    CHECK(ExtRuleMatch(L"*.WEB?", L"*.WEBP"));
    CHECK(ExtRuleMatch(L"*.WEBP", L"*.WEB?"));
    CHECK_FALSE(ExtRuleMatch(L"WEBP", L"webp"));
}

TEST_CASE("Lister settings read from wincmd.ini") {
    std::wstring dir = FreshTempDir(L"lister");
    WincmdIniPath = dir + L"\\wincmd.ini";
    WriteIniText(WincmdIniPath,
                 L"[Lister]\r\nMultimedia= 0 \r\nIView=2\r\nNoPluginFileTypes=*.exe, *.dll;*.sys\r\n"
                 L"MediaAdditionalTypes=MKV WEBM|AVI\r\nIViewAdditionalTypes=*.webp\r\n"
                 L"[ListerModes]\r\nRedirectSection=modes.ini\r\n0exts=*.md\r\n0fields=1\r\n",
                 false);
    WriteIniText(dir + L"\\modes.ini", L"[ListerModes]\r\n0exts=*.txt\r\n0fields=4 a.wlx\r\n", true);
    LoadTcListerSettings();
    const ListerSettings& s = TcListerSettings;
    CHECK((s.loaded == 1 && s.multimedia == 0 && s.iview == 0 && s.modeByFileType == 1));
    CHECK(s.noPluginTypes == std::vector<std::wstring>{L"*.exe", L"*.dll", L"*.sys"});
    CHECK(s.mediaAddTypes == std::vector<std::wstring>{L"MKV", L"WEBM"});
    CHECK((s.mediaAddExcluded == std::vector<std::wstring>{L"AVI"} && s.iviewAddExcluded.empty()));
    REQUIRE(RuleFind(L"TXT") != nullptr);
    CHECK((RuleFind(L"TXT")->fields == L"4 a.wlx" && RuleFind(L"md") == nullptr));

    WriteIniText(WincmdIniPath, L"[Lister]\r\nModeByfileType=0\r\n[ListerModes]\r\n0exts=*\r\n0fields=3\r\n", true);
    LoadTcListerSettings();
    CHECK((TcListerSettings.listerModes.size() == 1 && RuleFind(L"txt") == nullptr));
    WincmdIniPath.clear();
    LoadTcListerSettings();
    CHECK((TcListerSettings.loaded == 0 && TcListerSettings.multimedia == 1));
    RemoveTree(dir);
}
