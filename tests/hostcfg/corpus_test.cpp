// Every real wincmd.ini of the shared corpus loads, as TC's ANSI and as UTF-16.
#include <array>
#include <cstdlib>
#include <map>

#include "hostcfg_test_util.h"

namespace {

// Entries per section (Lister, Content, Packer, File system), counted by hand:
// Lister and Content numbers with a path, Packer libraries, File-system names;
// -1 a section redirected to a missing file. Files not listed hold none.
const std::map<int, std::array<int, 4>> Counts = {
    {3, {0, 1, 0, 2}},   {15, {1, 0, 0, 0}},    {17, {16, 3, 15, 13}}, {19, {2, 0, 1, 0}},   {25, {2, 0, 3, 2}},
    {27, {0, 0, 0, 2}},  {31, {0, 0, 2, 2}},    {35, {0, 0, 0, 1}},    {37, {0, 0, 1, 0}},   {45, {0, 0, 0, 7}},
    {47, {1, 0, 1, 2}},  {49, {0, 0, 0, 2}},    {51, {0, 0, 1, 2}},    {53, {2, 8, 13, 1}},  {55, {0, 0, 0, 2}},
    {63, {0, 0, -1, -1}}, {65, {0, 0, 0, 1}},   {67, {2, 2, 1, 2}},    {75, {4, 0, 7, 5}},   {77, {1, 1, 1, 2}},
    {79, {6, 4, 5, 7}},  {83, {17, 11, 4, 14}}, {85, {17, 24, 12, 6}}, {93, {2, 2, 0, 6}},
};
constexpr size_t CorpusFiles = 47;  // 001 to 093, odd numbers

// Second files of a configuration, where its RedirectSection lines put them.
const std::pair<const wchar_t*, const wchar_t*> Companions[] = {
    {L"019-hhktony-dottotalcmd.Lister.ini", L"User\\Lister.ini"},
    {L"019-hhktony-dottotalcmd.Packer.ini", L"User\\Packer.ini"},
    {L"027-marjacob-tcmd.plugins.ini", L"plugins.ini"},
};

// The corpus holds UTF-8 text; TC's own files are ANSI or UTF-16 with a mark.
void CopyAs(const std::wstring& from, const std::wstring& to, bool utf16) {
    std::string bytes = ReadFileBytes(from);
    WriteFileBytes(to, utf16 ? "\xFF\xFE" + Utf16Bytes(Utf8ToWide(bytes)) : bytes);
}

}  // namespace

TEST_CASE("every real configuration of the corpus loads with the entries it holds") {
    std::wstring corpus = Utf8ToWide(getenv("KV_TEST_SOURCE")) + L"/../shared/corpus/wincmd";
    std::replace(corpus.begin(), corpus.end(), L'/', L'\\');
    corpus = L"Z:" + corpus;
    std::vector<std::wstring> mains;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((corpus + L"\\*.ini").c_str(), &d);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    do {
        std::wstring name = d.cFileName;
        if (std::count(name.begin(), name.end(), L'.') == 1) mains.push_back(name);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    REQUIRE(mains.size() == CorpusFiles);

    TcIniDir tc(L"corpus");
    ScopedEnv commander(L"COMMANDER_PATH", tc.dir.c_str());
    ScopedEnv local(L"LocalAppData", (tc / L"nowhere").c_str());
    CreateDirectoryW((tc / L"User").c_str(), nullptr);
    for (bool utf16 : {false, true}) {
        for (const auto& [from, to] : Companions) CopyAs(corpus + L"\\" + from, tc / to, utf16);
        for (const auto& name : mains) {
            CAPTURE(name);
            CAPTURE(utf16);
            auto row = Counts.find(_wtoi(name.c_str()));
            std::array<int, 4> expected = row == Counts.end() ? std::array<int, 4>{} : row->second;
            CopyAs(corpus + L"\\" + name, tc.ini, utf16);
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
