#include <doctest/doctest.h>

#include "dsx/parse.h"
#include "dsx_test_util.h"

TEST_CASE("detect strings parse into TC's tree or the first error with its position") {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L""},
        {L"  \t ", L""},
        {L"ext=\"txt\"", L"Ext=TXT"},
        {L"EXT=\"A\" | EXT=\"B\" & SIZE>0", L"Or(Ext=A,And(Ext=B,Size>0))"},
        {L"(EXT=\"A\" | EXT=\"B\") & SIZE>0", L"And(G(Or(Ext=A,Ext=B)),Size>0)"},
        {L"EXT=\"A\"|EXT=\"B\"|EXT=\"C\"", L"Or(Ext=A,Ext=B,Ext=C)"},
        {L"!(EXT=\"A\")", L"Not(G(Ext=A))"},
        {L"EXT!=\"a*\" & force & multimedia", L"And(Ext!=A*,Force,MM)"},
        {L"SIZE>100K", L"Size>100"},
        {L"SIZE!=0x1F", L"Size!=0"},
        {L"[0]=255 & [1] =\"M\" & [2]=\"\"", L"And([0]=255,[1]=77s,[2]=-1s)"},
        {L"[0]=127 & [6]=\" \"", L"And([0]=127,[6]=32s)"},
        {L"FIND(\"Ab c\") | findi(\"pk\")", L"Or(Find(Ab c),Findi(pk))"},
        {L"EXT=\"\"", L"Ext="},
        // errors
        {L"!EXT=\"A\"", L"E3@2:(/0"},
        {L"EXT=TXT", L"E4@5:TXT/0"},
        {L"EXT!=txt", L"E4@6:TXT/1"},
        {L"EXT=123", L"E4@5:123/0"},
        {L"EXT=\"TXT", L"E1@5:/0"},
        {L"EXT=\"A\" # 1", L"E2@9:#/0"},
        {L"FIND=\"x\"", L"E5@5:FIND/0"},
        {L"FIND \"x\"", L"E3@6:(/0"},
        {L"FIND", L"E3@5:(/0"},
        {L"FIND(x)", L"E3@6:\"...\"/0"},
        {L"FIND(\"x\"", L"E3@9:)/0"},
        {L"EXT=\"A\")", L"E7@8:/0"},
        {L"EXT=\"A\" EXT=\"B\"", L"E3@9:& |/0"},
        {L"EXT=\"A\" |", L"E3@10:/1"},
        {L"Foo", L"E6@1:FOO/0"},
        {L"SIZE<=5", L"E3@6:/2"},
        {L"SIZE 5", L"E3@6:= != < >/0"},
        {L"EXT<\"A\"", L"E3@4:= !=/0"},
        {L"EXT=", L"E3@5:\"...\"/0"},
        {L"[x]=1", L"E3@2:/2"},
        {L"[0=1", L"E3@3:]/0"},
        {L"[0]1", L"E3@4:= != < >/0"},
        {L"[0]=x", L"E3@5:/3"},
        {L"(EXT=\"A\"", L"E3@9:)/0"},
        {L"\"EXT=\"A\"\"", L"E3@1:/1"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.in);
        CHECK(ParseRendered(c.in) == c.out);
    }
}

TEST_CASE("tree spans and parents point back into the source") {
    DsxTree t = dsx::Parse(L"EXT=\"TXT\"");
    REQUIRE(t.nodes.size() == 1);
    CHECK(t.nodes[0].start == 0);
    CHECK(t.nodes[0].end == 9);

    t = dsx::Parse(L" !( FIND(\"a\") ) & [3]=1");
    REQUIRE(t.root >= 0);
    const DsxNode& andNode = t.nodes[t.root];
    const DsxNode& notNode = t.nodes[andNode.children[0]];
    CHECK(notNode.kind == DsxNot);
    CHECK(notNode.start == 1);
    CHECK(notNode.end == 15);
    CHECK(t.nodes[notNode.children[0]].start == 2);  // the Group starts at '('
    CHECK(t.nodes[andNode.children[1]].end == 23);
    for (size_t i = 0; i < t.nodes.size(); ++i)
        for (int c : t.nodes[i].children) {
            CHECK(c < (int)i);
            CHECK(t.nodes[c].parent == (int)i);
        }
}

TEST_CASE("bracket nesting is capped instead of exhausting the stack") {
    auto nested = [](int depth, const wchar_t* open) {
        std::wstring s;
        for (int i = 0; i < depth; ++i) s += open;
        s += L"EXT=\"A\"";
        return s + std::wstring(depth, L')');
    };
    CHECK(dsx::Parse(nested(kDsxMaxNesting, L"(")).root >= 0);
    CHECK(dsx::Parse(nested(kDsxMaxNesting, L"!(")).root >= 0);
    DsxTree deep = dsx::Parse(nested(kDsxMaxNesting + 1, L"("));
    CHECK(deep.error.code == DsxErrChar);
    CHECK(deep.error.text == L"(");
    CHECK(deep.error.position == kDsxMaxNesting + 1);
    CHECK(dsx::Parse(std::wstring(100000, L'(')).error.code == DsxErrChar);
    CHECK(dsx::Parse(nested(50000, L"!(")).error.position == 2 * kDsxMaxNesting + 2);
}
