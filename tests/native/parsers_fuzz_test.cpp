// Generated detect strings, paths and PE images through the parsers under the
// sanitizers: any read out of bounds, overflow or runaway recursion fails here,
// and so does a parsed string that does not print back to one parsing the same.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include <algorithm>
#include <array>
#include <random>

#include "dsx/completion.h"
#include "dsx/detect_spec.h"
#include "dsx/edit.h"
#include "dsx/eval.h"
#include "dsx/reach.h"
#include "foundation/ini_escape.h"
#include "foundation/text.h"
#include "install/package_text.h"
#include "install/report.h"
#include "probe_record/pe.h"

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

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

const wchar_t* const kValues[] = {L"", L"M", L"MZ", L"txt", L"*.?", L" a b ", L"\x00e4", L"\\"};
const wchar_t* const kOperators[] = {L"=", L"!=", L"<", L">"};

// A detect string built by TC's grammar, so that most of them parse.
std::wstring GrammarText(std::mt19937& rng, int depth) {
    auto pick = [&](const auto& list) { return std::wstring(list[rng() % std::size(list)]); };
    std::wstring out;
    for (size_t n = 1 + rng() % 3; n > 0; --n) {
        if (!out.empty()) out += rng() % 2 ? L" & " : L" | ";
        switch (rng() % (depth > 0 ? 9 : 7)) {
        case 0: out += L"EXT" + pick(std::array{L"=", L"!="}) + Quoted(pick(kValues)); break;
        case 1: out += L"SIZE" + pick(kOperators) + std::to_wstring(rng() % 100000); break;
        case 2: out += L"[" + std::to_wstring(rng() % 9000) + L"]" + pick(kOperators) +
                       (rng() % 2 ? std::to_wstring(rng() % 300) : Quoted(pick(kValues))); break;
        case 3: out += (rng() % 2 ? L"FIND(" : L"FINDI(") + Quoted(pick(kValues)) + L")"; break;
        case 4: out += L"FORCE"; break;
        case 5: out += L"MULTIMEDIA"; break;
        case 6: out += L"EXT=" + Quoted(L"TXT"); break;
        case 7: out += L"!(" + GrammarText(rng, depth - 1) + L")"; break;
        default: out += L"(" + GrammarText(rng, depth - 1) + L")"; break;
        }
    }
    return out;
}

// The detect string a node stands for, in TC's syntax.
std::wstring Print(const DsxTree& tree, int index) {
    const DsxNode& n = tree.nodes[index];
    auto joined = [&](const wchar_t* sep) {
        std::wstring out;
        for (int c : n.children) out += (out.empty() ? L"" : sep) + Print(tree, c);
        return out;
    };
    switch (n.kind) {
    case DsxOr: return joined(L" | ");
    case DsxAnd: return joined(L" & ");
    case DsxNot: return L"!" + Print(tree, n.children.at(0));
    case DsxGroup: return L"(" + Print(tree, n.children.at(0)) + L")";
    case DsxExtEq: return L"EXT=" + Quoted(n.text);
    case DsxExtNe: return L"EXT!=" + Quoted(n.text);
    case DsxSize: return L"SIZE" + n.text + std::to_wstring(n.value);
    case DsxByte: {
        std::wstring value = !n.valueIsString ? std::to_wstring(n.value)
                             : n.value < 0    ? Quoted(L"")
                                              : Quoted(std::wstring(1, (wchar_t)n.value));
        return L"[" + std::to_wstring(n.offset) + L"]" + n.text + value;
    }
    case DsxFind: return (n.caseInsensitive ? L"FINDI(" : L"FIND(") + Quoted(n.text) + L")";
    case DsxForce: return L"FORCE";
    default: return L"MULTIMEDIA";
    }
}

// Everything of a tree but the source positions.
std::wstring Shape(const DsxTree& tree, int index) {
    const DsxNode& n = tree.nodes[index];
    std::wstring out = std::to_wstring(n.kind) + L"{" + n.text + L"," + std::to_wstring(n.value) + L"," +
                       std::to_wstring(n.offset) + L"," + std::to_wstring(n.valueIsString) +
                       std::to_wstring(n.caseInsensitive);
    for (int c : n.children) out += L" " + Shape(tree, c);
    return out + L"}";
}

}  // namespace

TEST_CASE("generated detect strings through parse, evaluation, analysis and editing") {
    std::mt19937 rng(20261206);
    FileFacts facts{L"TXT", 100, std::string("MZ\x90\0FOO", 6), 0};
    int parsed = 0;
    for (int i = 0; i < 40000; ++i) {
        std::wstring text = i % 2 ? RandomText(rng) : GrammarText(rng, 3);
        DsxTree tree = dsx::Parse(text);
        if (tree.root >= 0) {
            ++parsed;
            bool value = DsxEval(tree, tree.root, facts);
            DsxReach(tree, tree.root, i % 2);
            DsxClassify(tree);
            std::wstring printed = Print(tree, tree.root);
            DsxTree again = dsx::Parse(printed);
            CAPTURE(printed.size());
            REQUIRE(again.root >= 0);
            CHECK(Shape(again, again.root) == Shape(tree, tree.root));
            CHECK(DsxEval(again, again.root, facts) == value);
            CHECK(DetectTermValues(printed, facts).size() == DetectTermValues(text, facts).size());
        }
        DetectMatches(text, facts);
        DetectTermValues(text, facts);
        CompileDetect(text, true);
        bool failed = false;
        std::wstring edited = DsxEditExts(text, {L"TXT"}, {L"LOG"}, &failed);
        if (tree.root >= 0) CHECK(dsx::Parse(edited).root >= 0);
        NormKeyText(text);
        // Completion at every caret: its range lies inside the text and ends at the caret.
        for (int caret = 0; caret <= (int)text.size(); ++caret) {
            DetectCompletion c = DetectCompletions(text, caret, {L"TXT", L"", L"JPG"}, 2);
            REQUIRE(c.replaceStart >= 0);
            REQUIRE(c.replaceStart <= caret);
            REQUIRE(c.typed == text.substr((size_t)c.replaceStart, (size_t)(caret - c.replaceStart)));
            CommonBeginning(c.candidates);
        }
        DsWrap(text, 10, L"  ");
        SafeRelPath(text);
    }
    MESSAGE(parsed << " of 40000 generated strings parsed");
    CHECK(parsed > 10000);  // the properties above were checked on real trees
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

namespace {

// What the profile functions would cut, trim or read as syntax in a line of the file.
bool CutByProfile(const std::wstring& stored, bool key) {
    if (stored.empty()) return false;
    bool edge = stored.front() == L' ' || stored.front() == L'\t' || stored.back() == L' ' || stored.back() == L'\t';
    bool control = std::any_of(stored.begin(), stored.end(), [](wchar_t c) { return c < 0x20; });
    bool syntax = key && (stored.find(L'=') != std::wstring::npos || stored.front() == L'[' || stored.front() == L';');
    return edge || control || syntax;
}

}  // namespace

TEST_CASE("generated INI keys and values are stored whole and read back as they were") {
    const wchar_t* const pieces[] = {L"=", L"[", L"]", L";", L"%", L"%~", L"%4", L"%3D", L" ", L"\t", L"\r\n", L"a", L"\x00e4"};
    std::mt19937 rng(21);
    for (int i = 0; i < 20000; ++i) {
        std::wstring text;
        for (size_t n = rng() % 8; n > 0; --n) text += pieces[rng() % std::size(pieces)];
        CAPTURE(text);
        std::wstring key = IniEscapeKey(text), value = IniEscapeValue(text);
        CHECK((!CutByProfile(key, true) && !CutByProfile(value, false)));
        CHECK((IniUnescape(key) == text && IniUnescape(value) == text));
    }
}
