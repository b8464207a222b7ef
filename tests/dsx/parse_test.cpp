#include <windows.h>

#include "dsx/completion.h"
#include "dsx/detect_spec.h"
#include "dsx/edit.h"
#include "dsx/eval.h"
#include "dsx/parse.h"
#include "dsx/reach.h"
#include "dsx/syntax_message.h"
#include "dsx_test_util.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "support/test_support.h"

namespace {

// A tree as text; every operand must point back at the node that holds it.
std::wstring RenderNode(const DsxTree& t, int i) {
    const DsxNode& n = t.nodes[i];
    switch (n.kind) {
    case DsxExtEq: case DsxExtNe: return (n.kind == DsxExtEq ? L"Ext=" : L"Ext!=") + n.text;
    case DsxSize: return L"Size" + n.text + std::to_wstring(n.value);
    case DsxByte:
        return L"[" + std::to_wstring(n.offset) + L"]" + n.text + std::to_wstring(n.value) + (n.valueIsString ? L"s" : L"");
    case DsxFind: return (n.caseInsensitive ? L"Findi(" : L"Find(") + n.text + L")";
    case DsxForce: return L"Force";
    case DsxMultimedia: return L"MM";
    }
    std::wstring s = n.kind == DsxOr ? L"Or(" : n.kind == DsxAnd ? L"And(" : n.kind == DsxNot ? L"Not(" : L"G(";
    for (size_t k = 0; k < n.children.size(); ++k) {
        CHECK(t.nodes[n.children[k]].parent == i);
        s += (k ? L"," : L"") + RenderNode(t, n.children[k]);
    }
    return s + L")";
}

// The tree of a string that parses, else its syntax message as the user reads it.
std::wstring ParseRendered(const std::wstring& s) {
    DsxTree t = dsx::Parse(s);
    if (t.error.code) return DetectSyntaxMessage(t.error);
    return t.root < 0 ? L"" : RenderNode(t, t.root);
}

}  // namespace

TEST_CASE("detect strings parse into TC's tree or name their first error and its position in the user's words") {
    InitLanguage(std::nullopt);
    REQUIRE(LangCode() == L"eng");
    const struct {
        const wchar_t *in, *out;
    } cases[] = {
        {L"EXT=\"A\" | EXT=\"B\" & SIZE>0 | EXT=\"C\"", L"Or(Ext=A,And(Ext=B,Size>0),Ext=C)"},
        {L"(EXT=\"A\" | EXT=\"B\") & !(SIZE>0)", L"And(G(Or(Ext=A,Ext=B)),Not(G(Size>0)))"},
        {L"EXT!=\"a*\" & force & multimedia", L"And(Ext!=A*,Force,MM)"},
        {L"SIZE>100K | SIZE!=0x1F", L"Or(Size>100,Size!=0)"},
        {L"[0]=255 & [1] =\"M\" & [2]=\"\" & [6]=\" \"", L"And([0]=255,[1]=77s,[2]=-1s,[6]=32s)"},
        {L"[0]=\"MZ\"", L"[0]=-1s"},
        {L"FIND(\"Ab c\") | findi(\"pk\") | EXT=\"\"", L"Or(Find(Ab c),Findi(pk),Ext=)"},
        {L"!EXT=\"A\"", L"Character 2: expected ("},
        {L"EXT!=txt", L"Character 6: value without quotes – correct is EXT!=\"TXT\""},
        {L"EXT=\"TXT", L"Character 5: quote is not closed"},
        {L"EXT=\"A\" # 1", L"Character 9: # is not allowed here"},
        {L"FIND=\"x\"", L"Character 5: FIND takes no = – correct is FIND(\"text\")"},
        {L"FIND(x)", L"Character 6: expected \"...\""},
        {L"EXT=\"A\")", L"Character 8: ) without matching ("},
        {L"EXT=\"A\" EXT=\"B\"", L"Character 9: expected & |"},
        {L"EXT=\"A\" |", L"Character 10: expected a condition (EXT, SIZE, FIND, FORCE, MULTIMEDIA, ( ... )"},
        {L"Foo", L"Character 1: unknown word FOO"},
        {L"SIZE<=5", L"Character 6: expected a number"},
        {L"EXT<\"A\"", L"Character 4: expected = !="},
        {L"[0]1", L"Character 4: expected = != < >"},
        {L"[0]=x", L"Character 5: expected a number or \"...\""},
        {L"(EXT=\"A\"", L"Character 9: expected )"},
    };
    for (const auto& c : cases) CHECK_MESSAGE(ParseRendered(c.in) == c.out, std::wstring(c.in));
}

TEST_CASE("bracket nesting is capped instead of exhausting the stack; trees up to the cap are walked whole") {
    auto nested = [](int depth, const wchar_t* open) {
        std::wstring s;
        for (int i = 0; i < depth; ++i) s += open;
        return s + L"EXT=\"A\"" + std::wstring(depth, L')');
    };
    DsxTree deepest = dsx::Parse(nested(kDsxMaxNesting, L"!("));
    CHECK((DsxEval(deepest, deepest.root, FileFacts{L"A", 0, "", 0}) && DsxClassify(deepest).reach == ReachSpecific));
    DsxError e = dsx::Parse(nested(kDsxMaxNesting + 1, L"(")).error, deep = dsx::Parse(nested(50000, L"!(")).error;
    CHECK((e.code == DsxErrChar && e.position == 257 && deep.code == DsxErrChar && deep.position == 514));
}

TEST_CASE("detect strings decide on extension, size, head and FORCE") {
    const FileFacts txt{L"TXT", 10, "MZ\x90PKx", 0}, none{L"", 0, "", 0};
    const struct {
        const wchar_t* detect;
        const FileFacts& facts;
        bool f3, key4;  // FORCE false, FORCE true
    } cases[] = {
        {L"EXT=\"*\"", none, true, true},
        {L"EXT=\"\"", none, true, true},
        {L"EXT=\"\"", txt, false, false},
        {L"EXT=\"T?T\"", txt, true, true},
        {L"EXT=\"T?T\"", FileFacts{L"TEXT", 0, "", 0}, false, false},
        {L"EXT=\"D*C*X\"", FileFacts{L"DOCCX", 0, "", 0}, true, true},
        {L"EXT!=\"TXT\"", none, true, true},
        {L"!(EXT=\"TXT\")", txt, false, false},
        {L"[0]=\"M\" & [2]>143 & [2]<145", txt, true, true},
        {L"[8192]=0", FileFacts{L"", 9000, std::string(8192, '\0'), 0}, false, false},
        {L"[0]=\"\"", txt, false, false},
        // A byte against a text of other than one character is false whatever the operator.
        {L"[0]=\"MZ\"", FileFacts{L"", 2, "MZ", 0}, false, false},
        {L"[0]!=\"MZ\" | [0]!=\"\" | [0]>\"AB\" | [0]<\"AB\"", FileFacts{L"", 2, "MZ", 0}, false, false},
        {L"FIND(\"\")", none, true, true},
        {L"FINDI(\"pk\")", txt, true, true},
        {L"FIND(\"pk\")", txt, false, false},
        {L"FIND(\"\x20AC\")", FileFacts{L"", 1, "?", 0}, true, true},
        {L"SIZE=10 & SIZE!=11 & SIZE>9 & SIZE<11", txt, true, true},
        {L"EXT=\"A\" & (", txt, true, true},
        {L"EXT=\"LOG\" | FORCE & MULTIMEDIA", txt, false, true},
    };
    for (const auto& c : cases) {
        CAPTURE(std::wstring(c.detect));
        FileFacts f = c.facts;
        CHECK(DetectMatches(c.detect, f) == c.f3);
        f.force = 1;
        CHECK(DetectMatches(c.detect, f) == c.key4);
    }
}

TEST_CASE("file facts come from the file even when it cannot be opened") {
    std::wstring dir = FreshTempDir(L"facts"), path = dir + L"\\kv_facts.Dat";
    WriteFileBytes(path, "M" + std::string(9999, 'x'));
    FileFacts facts = DetFileFacts(path);
    CHECK((facts.extension == L"DAT" && facts.size == 10000 && facts.head == "M" + std::string(kFileHeadBytes - 1, 'x')));
    // Held by another program without sharing: the size is still the real one.
    HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    facts = DetFileFacts(path);
    CloseHandle(locked);
    CHECK((facts.size == 10000 && facts.head.empty()));
    CreateDirectoryW((dir + L"\\kv.d").c_str(), nullptr);
    CHECK((DetFileFacts(dir + L"\\kv.d").extension.empty() && DetFileFacts(dir + L"\\kv.d\\missing").extension.empty()));
    CHECK(DetFileFacts(dir + L"\\missing.tar.gz").extension == L"GZ");
    RemoveTree(dir);
}

// x.ärz and x.ÄRZ name one file, so EXT="ärz" and EXT="ÄRZ" name one type wherever
// an extension is read, matched, compared, edited or completed.
TEST_CASE("an extension is one type in any letter case of any alphabet, as it names one file") {
    std::wstring dir = FreshTempDir(L"facts_case");
    WriteFileBytes(dir + L"\\x.ärz", "x");
    WriteFileBytes(dir + L"\\y.жук", "y");
    FileFacts arz = DetFileFacts(dir + L"\\x.ärz"), zhuk = DetFileFacts(dir + L"\\y.жук");
    CHECK((arz.extension == L"ÄRZ" && zhuk.extension == L"ЖУК"));
    for (const wchar_t* detect : {L"EXT=\"ÄRZ\"", L"EXT=\"ärz\"", L"EXT=\"ä*\"", L"EXT=\"?rZ\"", L"SIZE>0 & EXT=\"Ärz\""}) {
        CAPTURE(std::wstring(detect));
        CHECK(DetectMatches(detect, arz));
        CHECK_FALSE(DetectMatches(detect, zhuk));
    }
    CHECK((DetectMatches(L"EXT=\"жук\"", zhuk) && !DetectMatches(L"EXT!=\"Жук\"", zhuk)));
    CHECK(ParseRendered(L"EXT=\"ärz\" | EXT=\"ÄRZ\"") == L"Or(Ext=ÄRZ,Ext=ÄRZ)");
    CHECK(ParseRendered(L"EXT=ärz").ends_with(L"correct is EXT=\"ÄRZ\""));
    DetectSpec spec = CompileDetect(L"EXT=\"ärz\" | EXT=\"ÄRZ\" | !(EXT=\"жук\" | EXT=\"ЖУК\")", true);
    CHECK((spec.items.size() == 1 && spec.items[0].text == L"ÄRZ" && spec.excluded == std::vector<std::wstring>{L"ЖУК"}));
    // The comparison form folds the extension, not FIND or FINDI text: TC looks for
    // those bytes, FINDI with A-Z folded only.
    CHECK(NormKeyText(L"EXT=\"ärz\"") == NormKeyText(L"ext = \"ÄRZ\""));
    CHECK((NormKeyText(L"FINDI(\"ä\")") != NormKeyText(L"FINDI(\"Ä\")") &&
           NormKeyText(L"FIND(\"ä\")") != NormKeyText(L"FIND(\"Ä\")")));
    // An edit removes the extension however it was written, and completion does not
    // offer it again.
    bool failed = true;
    CHECK(DsxEditExts(L"SIZE>0 & (EXT=\"ärz\" | EXT=\"TXT\")", {L"ÄRZ"}, {}, &failed) == L"SIZE>0 & (EXT=\"TXT\")");
    CHECK_FALSE(failed);
    std::wstring typing = L"EXT=\"ärz\" | EXT=\"";
    CHECK(DetectCompletions(typing, (int)typing.size(), {L"ÄRZ", L"TXT"}, 0).candidates == std::vector<std::wstring>{L"TXT\""});
    CHECK(DetectCompletions(L"EXT=\"ä", 6, {L"ÄRZ", L"ARZ"}, 0).candidates == std::vector<std::wstring>{L"ÄRZ\""});
    RemoveTree(dir);
}
