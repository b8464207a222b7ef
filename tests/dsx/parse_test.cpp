#include <doctest/doctest.h>

#include "dsx/parse.h"
#include "dsx_test_util.h"

TEST_CASE("detect strings parse into TC's tree or the first error with its position") {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"  \t ", L""},
        {L"ext=\"txt\"", L"Ext=TXT"},
        {L"EXT=\"A\" | EXT=\"B\" & SIZE>0 | EXT=\"C\"", L"Or(Ext=A,And(Ext=B,Size>0),Ext=C)"},
        {L"(EXT=\"A\" | EXT=\"B\") & !(SIZE>0)", L"And(G(Or(Ext=A,Ext=B)),Not(G(Size>0)))"},
        {L"EXT!=\"a*\" & force & multimedia", L"And(Ext!=A*,Force,MM)"},
        {L"SIZE>100K | SIZE!=0x1F", L"Or(Size>100,Size!=0)"},
        {L"[0]=255 & [1] =\"M\" & [2]=\"\" & [6]=\" \"", L"And([0]=255,[1]=77s,[2]=-1s,[6]=32s)"},
        {L"FIND(\"Ab c\") | findi(\"pk\") | EXT=\"\"", L"Or(Find(Ab c),Findi(pk),Ext=)"},
        {L"!EXT=\"A\"", L"E3@2:(/0"},
        {L"EXT=TXT", L"E4@5:TXT/0"},
        {L"EXT!=txt", L"E4@6:TXT/1"},
        {L"EXT=\"TXT", L"E1@5:/0"},
        {L"EXT=\"A\" # 1", L"E2@9:#/0"},
        {L"FIND=\"x\"", L"E5@5:FIND/0"},
        {L"FIND \"x\"", L"E3@6:(/0"},
        {L"FIND(x)", L"E3@6:\"...\"/0"},
        {L"EXT=\"A\")", L"E7@8:/0"},
        {L"EXT=\"A\" EXT=\"B\"", L"E3@9:& |/0"},
        {L"EXT=\"A\" |", L"E3@10:/1"},
        {L"Foo", L"E6@1:FOO/0"},
        {L"SIZE<=5", L"E3@6:/2"},
        {L"EXT<\"A\"", L"E3@4:= !=/0"},
        {L"[0]1", L"E3@4:= != < >/0"},
        {L"[0]=x", L"E3@5:/3"},
        {L"(EXT=\"A\"", L"E3@9:)/0"},
        {L"\"EXT=\"A\"\"", L"E3@1:/1"},
    };
    for (const auto& c : cases) CHECK_MESSAGE(ParseRendered(c.in) == c.out, std::wstring(c.in));
}

TEST_CASE("tree spans and parents point back into the source") {
    CHECK(dsx::Parse(L"EXT=\"TXT\"").nodes[0].end == 9);
    DsxTree t = dsx::Parse(L" !( FIND(\"a\") ) & [3]=1");
    REQUIRE(t.root >= 0);
    const DsxNode& notNode = t.nodes[t.nodes[t.root].children[0]];
    CHECK((notNode.start == 1 && notNode.end == 15));
    CHECK(t.nodes[notNode.children[0]].start == 2);
    CHECK(t.nodes[t.nodes[t.root].children[1]].end == 23);
    for (size_t i = 0; i < t.nodes.size(); ++i)
        for (int c : t.nodes[i].children) CHECK((c < (int)i && t.nodes[c].parent == (int)i));
}

TEST_CASE("bracket nesting is capped instead of exhausting the stack") {
    auto nested = [](int depth, const wchar_t* open) {
        std::wstring s;
        for (int i = 0; i < depth; ++i) s += open;
        return s + L"EXT=\"A\"" + std::wstring(depth, L')');
    };
    CHECK(dsx::Parse(nested(kDsxMaxNesting, L"!(")).root >= 0);
    CHECK(ParseRendered(nested(kDsxMaxNesting + 1, L"(")) == L"E2@257:(/0");
    CHECK(ParseRendered(nested(50000, L"!(")) == L"E2@514:(/0");
}
