// Generated detect strings, paths and PE images through the parsers under the
// sanitizers: any read out of bounds, overflow or runaway recursion fails here.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include <random>

#include "dsx/detect_spec.h"
#include "dsx/edit.h"
#include "dsx/eval.h"
#include "dsx/reach.h"
#include "foundation/text.h"
#include "install/package_text.h"
#include "install/report.h"
#include "probe/pe.h"

namespace {

const wchar_t* const kPieces[] = {L"EXT", L"=", L"!=", L"\"", L"TXT", L"jpg", L"(", L")", L"&", L"|", L"!",
                                  L"[0]", L"[8191]", L"[99999999999]", L"FIND(", L"FINDI(", L"SIZE", L"<", L">",
                                  L"FORCE", L"MULTIMEDIA", L" ", L"12", L"-3", L"\"\"", L"\\", L"/", L"..", L"CON",
                                  L"\x00e4", L"\t"};

std::wstring RandomText(std::mt19937& rng) {
    std::wstring s;
    for (size_t n = rng() % 24; n > 0; --n) s += kPieces[rng() % std::size(kPieces)];
    return s;
}

}  // namespace

TEST_CASE("generated detect strings through parse, evaluation, analysis and editing") {
    std::mt19937 rng(20261206);
    FileFacts facts{L"TXT", 100, std::string("MZ\x90\0FOO", 6), 0};
    for (int i = 0; i < 40000; ++i) {
        std::wstring text = RandomText(rng);
        DsxTree tree = dsx::Parse(text);
        if (tree.root >= 0) {
            DsxEval(tree, tree.root, facts);
            DsxReach(tree, tree.root, i % 2);
            DsxClassify(tree);
        }
        DetectMatches(text, facts);
        DetectTermValues(text);
        CompileDetect(text, true);
        bool failed = false;
        std::wstring edited = DsxEditExts(text, {L"TXT"}, {L"LOG"}, &failed);
        if (tree.root >= 0) CHECK(dsx::Parse(edited).root >= 0);
        NormKeyText(text);
        DsWrap(text, 10, L"  ");
        SafeRelPath(text);
    }
    CHECK(dsx::Parse(std::wstring(100000, L'(')).root == -1);
}

TEST_CASE("damaged PE images are read within their bytes") {
    std::mt19937 rng(7);
    std::vector<uint8_t> image(1024, 0);
    image[0] = 'M', image[1] = 'Z', image[60] = 0x80;
    image[0x80] = 'P', image[0x81] = 'E';
    for (int i = 0; i < 20000; ++i) {
        std::vector<uint8_t> bytes = image;
        for (int k = 0; k < 12; ++k) bytes[0x80 + rng() % 256] = (uint8_t)rng();
        bytes.resize(64 + rng() % bytes.size());
        PeInfo info;
        ReadPeExportsFromBytes(info, bytes);
        PeMachineOfBytes(bytes);
    }
}

TEST_CASE("generated pluginst.inf lines, typed extensions, folders and reports") {
    std::mt19937 rng(118);
    for (int i = 0; i < 20000; ++i) {
        std::wstring a = RandomText(rng), b = RandomText(rng);
        InfData inf = ParseInfLines({{L"defaultextension", a}, {L"file", b}, {L"type", a}});
        for (const auto& ext : inf.extensions) CHECK(!ext.empty());
        if (InfFileNameIsSafe(inf.file)) CHECK(inf.file.find_first_of(L"\\/:") == std::wstring::npos);
        FirstBadExtToken(a);
        VersionIsNewer(a, b);
        std::wstring folder = CheckedTargetFolder(L"C:\\" + a);
        if (!folder.empty()) CHECK(IsCompletePath(folder));
        std::string rtf = ReportToRtf({{(int)(rng() % 4), a, b}}, ReportLook{});
        for (char c : rtf) CHECK((unsigned char)c < 128);
        FormatChecklist({{0, a, b}});
    }
}
