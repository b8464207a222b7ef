#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>

#include "foundation/encoding.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/tc_discovery.h"
#include "hostcfg_test_util.h"
#include "support/test_support.h"

namespace {

// Entries per section (Lister, Content, Packer, File system) of each corpus
// configuration, counted by hand: Lister and Content numbers with a path,
// Packer libraries, File-system names; -1 a section redirected to a missing file.
const int Counts[][5] = {
    {1, 0, 0, 0, 0},    {3, 0, 1, 0, 2},     {5, 0, 0, 0, 0},     {7, 0, 0, 0, 0},     {9, 0, 0, 0, 0},
    {11, 0, 0, 0, 0},   {13, 0, 0, 0, 0},    {15, 1, 0, 0, 0},    {17, 16, 3, 15, 13}, {19, 2, 0, 1, 0},
    {21, 0, 0, 0, 0},   {23, 0, 0, 0, 0},    {25, 2, 0, 3, 2},    {27, 0, 0, 0, 2},    {29, 0, 0, 0, 0},
    {31, 0, 0, 2, 2},   {33, 0, 0, 0, 0},    {35, 0, 0, 0, 1},    {37, 0, 0, 1, 0},    {39, 0, 0, 0, 0},
    {41, 0, 0, 0, 0},   {43, 0, 0, 0, 0},    {45, 0, 0, 0, 7},    {47, 1, 0, 1, 2},    {49, 0, 0, 0, 2},
    {51, 0, 0, 1, 2},   {53, 2, 8, 13, 1},   {55, 0, 0, 0, 2},    {57, 0, 0, 0, 0},    {59, 0, 0, 0, 0},
    {61, 0, 0, 0, 0},   {63, 0, 0, -1, -1},  {65, 0, 0, 0, 1},    {67, 2, 2, 1, 2},    {69, 0, 0, 0, 0},
    {71, 0, 0, 0, 0},   {73, 0, 0, 0, 0},    {75, 4, 0, 7, 5},    {77, 1, 1, 1, 2},    {79, 6, 4, 5, 7},
    {81, 0, 0, 0, 0},   {83, 17, 11, 4, 14}, {85, 17, 24, 12, 6}, {87, 0, 0, 0, 0},    {89, 0, 0, 0, 0},
    {91, 0, 0, 0, 0},   {93, 2, 2, 0, 6},
};

// Second files of a configuration, where its RedirectSection lines put them.
const std::pair<const wchar_t*, const wchar_t*> Companions[] = {
    {L"019-hhktony-dottotalcmd.Lister.ini", L"User\\Lister.ini"},
    {L"019-hhktony-dottotalcmd.Packer.ini", L"User\\Packer.ini"},
    {L"027-marjacob-tcmd.plugins.ini", L"plugins.ini"},
};

std::wstring CorpusDir() {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(L"KV_TEST_SOURCE", buf, 1024);
    std::wstring dir = L"Z:" + std::wstring(buf, n < 1024 ? n : 0) + L"/../shared/corpus/wincmd";
    for (auto& c : dir) c = c == L'/' ? L'\\' : c;
    return dir;
}

// The corpus holds UTF-8 text; TC's own files are ANSI or UTF-16 with a mark.
void CopyAs(const std::wstring& from, const std::wstring& to, bool utf16) {
    std::string bytes = ReadFileBytes(from);
    WriteFileBytes(to, utf16 ? "\xFF\xFE" + Utf16Bytes(Utf8ToWide(bytes)) : bytes);
}

}  // namespace

TEST_CASE("every real configuration of the corpus loads with the entries it holds") {
    std::wstring corpus = CorpusDir(), dir = FreshTempDir(L"corpus");
    std::vector<std::wstring> mains;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((corpus + L"\\*.ini").c_str(), &d);
    REQUIRE(h != INVALID_HANDLE_VALUE);
    do {
        std::wstring name = d.cFileName;
        if (std::count(name.begin(), name.end(), L'.') == 1) mains.push_back(name);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    REQUIRE(mains.size() == std::size(Counts));

    ScopedEnv commander(L"COMMANDER_PATH", dir.c_str());
    ScopedEnv local(L"LocalAppData", (dir + L"\\nowhere").c_str());
    CreateDirectoryW((dir + L"\\User").c_str(), nullptr);
    WincmdIniPath = dir + L"\\wincmd.ini";
    for (bool utf16 : {false, true}) {
        for (const auto& [from, to] : Companions) CopyAs(corpus + L"\\" + from, dir + L"\\" + to, utf16);
        for (const auto& name : mains) {
            CAPTURE(name);
            CAPTURE(utf16);
            const int* expected = nullptr;
            for (const auto& row : Counts)
                if (row[0] == _wtoi(name.c_str())) expected = row + 1;
            REQUIRE(expected);
            CopyAs(corpus + L"\\" + name, WincmdIniPath, utf16);
            for (int kind = 0; kind < 4; ++kind) {
                CAPTURE(kind);
                PluginSection s = LoadPluginSection(kind);
                CHECK((int)s.entries.size() == std::max(expected[kind], 0));
                CHECK(s.missing == (expected[kind] < 0));
            }
            CHECK(TcListerSettings.loaded == 1);
            BuildFieldUsage();
        }
    }
    WincmdIniPath.clear();
    RemoveTree(dir);
}
