// Renders detect-string trees and errors compactly so tests can state them in a table.
#pragma once
#include <string>

#include "dsx/parse.h"

inline std::wstring RenderNode(const DsxTree& t, int i) {
    const DsxNode& n = t.nodes[i];
    auto list = [&](const wchar_t* name) {
        std::wstring s = name;
        s += L"(";
        for (size_t k = 0; k < n.children.size(); ++k) s += (k ? L"," : L"") + RenderNode(t, n.children[k]);
        return s + L")";
    };
    switch (n.kind) {
    case DsxOr: return list(L"Or");
    case DsxAnd: return list(L"And");
    case DsxNot: return list(L"Not");
    case DsxGroup: return list(L"G");
    case DsxExtEq: case DsxExtNe: return (n.kind == DsxExtEq ? L"Ext=" : L"Ext!=") + n.text;
    case DsxSize: return L"Size" + n.text + std::to_wstring(n.value);
    case DsxByte:
        return L"[" + std::to_wstring(n.offset) + L"]" + n.text + std::to_wstring(n.value) + (n.valueIsString ? L"s" : L"");
    case DsxFind: return (n.caseInsensitive ? L"Findi(" : L"Find(") + n.text + L")";
    case DsxForce: return L"Force";
    default: return L"MM";
    }
}

// "" for an empty string, the tree for a parse, "E<code>@<pos>:<text>/<detail>" for an error.
inline std::wstring Render(const DsxTree& t) {
    if (t.error.code)
        return L"E" + std::to_wstring(t.error.code) + L"@" + std::to_wstring(t.error.position) + L":" +
               t.error.text + L"/" + std::to_wstring(t.error.detail);
    return t.root < 0 ? L"" : RenderNode(t, t.root);
}

inline std::wstring ParseRendered(const std::wstring& s) { return Render(dsx::Parse(s)); }

#include <doctest/doctest.h>

#include "foundation/encoding.h"

namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s) { return StrToUtf8(s).c_str(); }
};
}  // namespace doctest
