// The real configurations of the corpus (tests/data/wincmd) and what each holds.
#pragma once
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Entries per section (Lister, Content, Packer, File system), counted by hand:
// Lister and Content numbers with a path, Packer libraries, File-system names;
// -1 a section redirected to a missing file. Files not listed hold none.
inline const std::map<int, std::array<int, 4>> CorpusCounts = {
    {3, {0, 1, 0, 2}},   {15, {1, 0, 0, 0}},    {17, {16, 3, 15, 13}}, {19, {2, 0, 1, 0}},   {25, {2, 0, 3, 2}},
    {27, {0, 0, 0, 2}},  {31, {0, 0, 2, 2}},    {35, {0, 0, 0, 1}},    {37, {0, 0, 1, 0}},   {45, {0, 0, 0, 7}},
    {47, {1, 0, 1, 2}},  {49, {0, 0, 0, 2}},    {51, {0, 0, 1, 2}},    {53, {2, 8, 13, 1}},  {55, {0, 0, 0, 2}},
    {63, {0, 0, -1, -1}}, {65, {0, 0, 0, 1}},   {67, {2, 2, 1, 2}},    {75, {4, 0, 7, 5}},   {77, {1, 1, 1, 2}},
    {79, {6, 4, 5, 7}},  {83, {17, 11, 4, 14}}, {85, {17, 24, 12, 6}}, {93, {2, 2, 0, 6}},
};
inline constexpr size_t CorpusFiles = 47;  // 001 to 093, odd numbers

// Second files of a configuration, where its RedirectSection lines put them.
inline const std::pair<const wchar_t*, const wchar_t*> CorpusCompanions[] = {
    {L"019-hhktony-dottotalcmd.Lister.ini", L"User\\Lister.ini"},
    {L"019-hhktony-dottotalcmd.Packer.ini", L"User\\Packer.ini"},
    {L"027-marjacob-tcmd.plugins.ini", L"plugins.ini"},
};

// The expected counts of a corpus file by its number; all zero for one not listed.
inline std::array<int, 4> CorpusCountsOf(int number) {
    auto row = CorpusCounts.find(number);
    return row == CorpusCounts.end() ? std::array<int, 4>{} : row->second;
}
