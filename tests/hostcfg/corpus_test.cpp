// Every real wincmd.ini of the corpus loads, as TC's ANSI and as UTF-16, and is
// read in one pass as the profile functions read it.
#include <array>
#include <cstdlib>
#include <map>

#include "corpus_counts.h"
#include "hostcfg_test_util.h"
#include "support/ini_compare.h"

namespace {

// The corpus holds UTF-8 text; TC's own files are ANSI or UTF-16 with a mark.
void CopyAs(const std::wstring& from, const std::wstring& to, bool utf16) {
    std::string bytes = ReadFileBytes(from);
    WriteFileBytes(to, utf16 ? "\xFF\xFE" + Utf16Bytes(Utf8ToWide(bytes)) : bytes);
}

}  // namespace

TEST_CASE("every real configuration of the corpus loads with the entries it holds") {
    const std::wstring corpus = CorpusDir();
    std::vector<std::wstring> mains = CorpusIniNames(false);
    REQUIRE(mains.size() == CorpusFiles);

    TcIniDir tc(L"corpus");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    ScopedEnv local(L"LocalAppData", (tc / L"nowhere").c_str());
    CreateDirectoryW((tc / L"User").c_str(), nullptr);
    for (bool utf16 : {false, true}) {
        for (const auto& [from, to] : CorpusCompanions) CopyAs(corpus + L"\\" + from, tc / to, utf16);
        for (const auto& name : mains) {
            CAPTURE(name);
            CAPTURE(utf16);
            std::array<int, 4> expected = CorpusCountsOf(_wtoi(name.c_str()));
            CopyAs(corpus + L"\\" + name, tc.ini, utf16);
            CheckOnePassAsProfile(tc.ini);
            for (int kind = 0; kind < 4; ++kind) {
                CAPTURE(kind);
                PluginSection s = LoadPluginSection(kind);
                CHECK((int)s.entries.size() == std::max(expected[kind], 0));
                CHECK(s.missing == (expected[kind] < 0));
                CHECK(s.lister.loaded == (kind == KindLister));
            }
            BuildFieldUsage();
        }
    }
}
