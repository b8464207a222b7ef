#include "dsx/eval.h"

#include <algorithm>
#include <cwctype>

#include "foundation/text.h"

namespace {

bool Compare(const std::wstring& op, int64_t a, int64_t b) {
    if (op == L"=") return a == b;
    if (op == L"!=") return a != b;
    if (op == L"<") return a < b;
    if (op == L">") return a > b;
    return false;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

bool FindInHead(const std::wstring& text, bool caseInsensitive, const std::string& head) {
    std::string pattern;
    pattern.reserve(text.size());
    for (wchar_t c : text) pattern += c <= 255 ? (char)(unsigned char)c : '?';
    if (pattern.empty()) return true;
    if (!caseInsensitive) return head.find(pattern) != std::string::npos;
    auto same = [](char a, char b) { return AsciiLower(a) == AsciiLower(b); };
    return std::search(head.begin(), head.end(), pattern.begin(), pattern.end(), same) != head.end();
}

// TC's extension wildcard test: '?' one character, '*' any run, letters in any case.
bool DsxExtMatch(const std::wstring& p, const std::wstring& e) { return WildcardMatch(p, e, true); }

bool EvalNode(const DsxTree& tree, int index, const FileFacts& facts, int depth) {
    if (index < 0 || index >= (int)tree.nodes.size() || depth > kDsxMaxTreeDepth) return false;
    const DsxNode& n = tree.nodes[index];
    switch (n.kind) {
    case DsxOr:
        for (int c : n.children)
            if (EvalNode(tree, c, facts, depth + 1)) return true;
        return false;
    case DsxAnd:
        for (int c : n.children)
            if (!EvalNode(tree, c, facts, depth + 1)) return false;
        return true;
    case DsxNot:
        return !n.children.empty() && !EvalNode(tree, n.children[0], facts, depth + 1);
    case DsxGroup:
        return !n.children.empty() && EvalNode(tree, n.children[0], facts, depth + 1);
    case DsxExtEq:
        return DsxExtMatch(n.text, facts.extension);
    case DsxExtNe:
        return !DsxExtMatch(n.text, facts.extension);
    case DsxSize:
        return Compare(n.text, facts.size, n.value);
    case DsxByte:
        if (n.offset < 0 || (size_t)n.offset >= facts.head.size() || n.value < 0) return false;
        return Compare(n.text, (unsigned char)facts.head[n.offset], n.value);
    case DsxFind:
        return FindInHead(n.text, n.caseInsensitive, facts.head);
    case DsxForce:
        return facts.force != 0;
    case DsxMultimedia:
        return true;
    default:
        return false;
    }
}

bool IsBlankText(const std::wstring& s) {
    return std::all_of(s.begin(), s.end(), [](wchar_t c) { return std::iswspace(c) != 0; });
}

}  // namespace

bool DsxEval(const DsxTree& tree, int node, const FileFacts& facts) {
    return EvalNode(tree, node, facts, 0);
}

bool DetectMatches(const std::wstring& detect, const FileFacts& facts) {
    if (IsBlankText(detect)) return true;
    DsxTree tree = dsx::Parse(detect);
    if (tree.error.code != DsxErrNone || tree.root < 0) return true;
    return DsxEval(tree, tree.root, facts);
}

std::vector<DetectTerm> DetectTermValues(const std::wstring& detect, const FileFacts& facts) {
    return DetectTermValues(dsx::Parse(detect), detect, facts);
}

std::vector<DetectTerm> DetectTermValues(const DsxTree& tree, const std::wstring& detect, const FileFacts& facts) {
    std::vector<DetectTerm> terms;
    if (tree.error.code != DsxErrNone || tree.root < 0) return terms;
    for (int i = 0; i < (int)tree.nodes.size(); ++i) {
        const DsxNode& n = tree.nodes[i];
        if (n.kind < DsxExtEq) continue;
        DetectTerm t;
        t.text = StrTrimView(std::wstring_view(detect).substr(n.start, n.end - n.start));
        t.value = DsxEval(tree, i, facts);
        t.kind = n.kind;
        terms.push_back(std::move(t));
    }
    return terms;
}
