#include "dsx/parse.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

#include "foundation/text.h"

namespace {

// The C library's classification is a call per character; detect strings are
// almost all ASCII and parsed again for every row and keystroke.
bool IsSpace(wchar_t c) { return c < 128 ? c == L' ' || (c >= 9 && c <= 13) : std::iswspace(c) != 0; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAlnum(wchar_t c) {
    if (c >= 128) return std::iswalnum(c) != 0;
    return IsDigit(c) || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool IsWordChar(wchar_t c) { return IsAlnum(c) || c == L'_' || c == L'*' || c == L'.' || c == L'?'; }

bool IsPunctuation(wchar_t c) { return std::wcschr(L"()[]&|!=<>", c) != nullptr && c != 0; }

DsxToken MakeToken(int kind, std::wstring text, size_t start, size_t end) {
    DsxToken t;
    t.kind = kind;
    t.text = std::move(text);
    t.start = (int)start;
    t.end = (int)end;
    return t;
}

struct Parser {
    const std::vector<DsxToken>& tokens;
    size_t textLength;
    DsxTree tree;
    size_t pos = 0;
    int depth = 0;

    const DsxToken* Cur() const { return pos < tokens.size() ? &tokens[pos] : nullptr; }
    bool IsTok(int kind) const { return pos < tokens.size() && tokens[pos].kind == kind; }

    int SetError(int code, std::wstring text, int detail) {
        if (tree.error.code != DsxErrNone) return -1;
        tree.error.code = code;
        tree.error.text = std::move(text);
        tree.error.detail = detail;
        tree.error.position = pos < tokens.size() ? tokens[pos].start + 1 : (int)textLength + 1;
        return -1;
    }

    int AddNode(int kind, int start, int end) {
        DsxNode n;
        n.kind = kind;
        n.start = start;
        n.end = end;
        tree.nodes.push_back(std::move(n));
        return (int)tree.nodes.size() - 1;
    }

    void Adopt(int parent, int child) {
        tree.nodes[parent].children.push_back(child);
        tree.nodes[child].parent = parent;
    }

    // '|' and '&' chains are flat: a | b | c is one node with three operands.
    int ParseChain(int sepKind, int nodeKind, int (Parser::*operand)()) {
        int first = (this->*operand)();
        if (first < 0 || !IsTok(sepKind)) return first;
        std::vector<int> items{first};
        while (IsTok(sepKind)) {
            ++pos;
            int next = (this->*operand)();
            if (next < 0) return -1;
            items.push_back(next);
        }
        int n = AddNode(nodeKind, tree.nodes[items.front()].start, tree.nodes[items.back()].end);
        for (int item : items) Adopt(n, item);
        return n;
    }

    int ParseOr() { return ParseChain(L'|', DsxOr, &Parser::ParseAnd); }
    int ParseAnd() { return ParseChain(L'&', DsxAnd, &Parser::ParsePrimary); }

    // At '(': parses the bracketed expression and appends its Group node.
    int ParseGroup() {
        if (depth >= kDsxMaxNesting) return SetError(DsxErrChar, L"(", 0);
        int start = tokens[pos].start;
        ++pos;
        ++depth;
        int inner = ParseOr();
        --depth;
        if (inner < 0) return -1;
        if (!IsTok(L')')) return SetError(DsxErrExpect, L")", DsxExpectLiteral);
        int g = AddNode(DsxGroup, start, tokens[pos].end);
        ++pos;
        Adopt(g, inner);
        return g;
    }

    bool AtOperator() const {
        return IsTok(L'=') || IsTok(DsxTokNotEqual) || IsTok(L'<') || IsTok(L'>');
    }

    int ParseNot() {
        int start = tokens[pos].start;
        ++pos;
        if (!IsTok(L'(')) return SetError(DsxErrExpect, L"(", DsxExpectLiteral);
        int g = ParseGroup();
        if (g < 0) return -1;
        int n = AddNode(DsxNot, start, tree.nodes[g].end);
        Adopt(n, g);
        return n;
    }

    int ParseByte() {
        int start = tokens[pos].start;
        ++pos;
        if (!IsTok(DsxTokNumber)) return SetError(DsxErrExpect, L"", DsxExpectNumber);
        long offset = std::wcstol(tokens[pos].text.c_str(), nullptr, 10);
        ++pos;
        if (!IsTok(L']')) return SetError(DsxErrExpect, L"]", DsxExpectLiteral);
        ++pos;
        if (!AtOperator()) return SetError(DsxErrExpect, L"= != < >", DsxExpectLiteral);
        std::wstring op = tokens[pos].text;
        ++pos;
        const DsxToken* v = Cur();
        if (!v || (v->kind != DsxTokNumber && v->kind != DsxTokString))
            return SetError(DsxErrExpect, L"", DsxExpectValue);
        int n = AddNode(DsxByte, start, v->end);
        DsxNode& node = tree.nodes[n];
        node.text = op;
        node.offset = (int)std::clamp<long>(offset, 0, INT_MAX);
        if (v->kind == DsxTokString) {
            node.valueIsString = 1;
            // TC compares a byte with one character only; any other text never matches.
            node.value = v->text.size() == 1 ? (int64_t)(uint16_t)v->text[0] : -1;
        } else {
            node.value = std::wcstoll(v->text.c_str(), nullptr, 10);
        }
        ++pos;
        return n;
    }

    int ParseExt(int start) {
        if (!IsTok(L'=') && !IsTok(DsxTokNotEqual))
            return SetError(DsxErrExpect, L"= !=", DsxExpectLiteral);
        bool notEqual = IsTok(DsxTokNotEqual);
        ++pos;
        const DsxToken* v = Cur();
        if (v && (v->kind == DsxTokWord || v->kind == DsxTokNumber))
            return SetError(DsxErrUnquoted, UpperCase(v->text), notEqual ? 1 : 0);
        if (!v || v->kind != DsxTokString)
            return SetError(DsxErrExpect, L"\"...\"", DsxExpectLiteral);
        int n = AddNode(notEqual ? DsxExtNe : DsxExtEq, start, v->end);
        tree.nodes[n].text = UpperCase(v->text);
        ++pos;
        return n;
    }

    int ParseSize(int start) {
        if (!AtOperator()) return SetError(DsxErrExpect, L"= != < >", DsxExpectLiteral);
        std::wstring op = tokens[pos].text;
        ++pos;
        if (!IsTok(DsxTokNumber)) return SetError(DsxErrExpect, L"", DsxExpectNumber);
        int n = AddNode(DsxSize, start, tokens[pos].end);
        tree.nodes[n].text = op;
        tree.nodes[n].value = std::wcstoll(tokens[pos].text.c_str(), nullptr, 10);
        ++pos;
        return n;
    }

    int ParseFind(int start, const std::wstring& word) {
        if (IsTok(L'=')) return SetError(DsxErrFindEq, word, 0);
        if (!IsTok(L'(')) return SetError(DsxErrExpect, L"(", DsxExpectLiteral);
        ++pos;
        if (!IsTok(DsxTokString)) return SetError(DsxErrExpect, L"\"...\"", DsxExpectLiteral);
        std::wstring text = tokens[pos].text;
        ++pos;
        if (!IsTok(L')')) return SetError(DsxErrExpect, L")", DsxExpectLiteral);
        int n = AddNode(DsxFind, start, tokens[pos].end);
        tree.nodes[n].text = std::move(text);
        tree.nodes[n].caseInsensitive = word == L"FINDI";
        ++pos;
        return n;
    }

    int ParseWord() {
        const DsxToken& w = tokens[pos];
        ++pos;
        if (w.text == L"FORCE") return AddNode(DsxForce, w.start, w.end);
        if (w.text == L"MULTIMEDIA") return AddNode(DsxMultimedia, w.start, w.end);
        if (w.text == L"EXT") return ParseExt(w.start);
        if (w.text == L"SIZE") return ParseSize(w.start);
        if (w.text == L"FIND" || w.text == L"FINDI") return ParseFind(w.start, w.text);
        --pos;  // the error points at the word itself
        return SetError(DsxErrUnknownWord, w.text, 0);
    }

    int ParsePrimary() {
        if (IsTok(L'!')) return ParseNot();
        if (IsTok(L'(')) return ParseGroup();
        if (IsTok(L'[')) return ParseByte();
        if (IsTok(DsxTokWord)) return ParseWord();
        return SetError(DsxErrExpect, L"", DsxExpectCondition);
    }
};

}  // namespace

std::vector<DsxToken> DsxTokenize(const std::wstring& text) {
    std::vector<DsxToken> out;
    const size_t n = text.size();
    out.reserve(n / 3 + 1);
    size_t i = 0;
    while (i < n) {
        wchar_t c = text[i];
        if (IsSpace(c)) {
            ++i;
        } else if (c == L'"') {
            size_t close = text.find(L'"', i + 1);
            bool open = close == std::wstring::npos;
            size_t stop = open ? n : close;
            out.push_back(MakeToken(DsxTokString, text.substr(i + 1, stop - i - 1), i, open ? n : close + 1));
            out.back().unterminated = open;
            i = open ? n : close + 1;
        } else if (IsDigit(c)) {
            size_t j = i;
            while (j < n && IsAlnum(text[j])) ++j;
            out.push_back(MakeToken(DsxTokNumber, text.substr(i, j - i), i, j));
            i = j;
        } else if (c == L'!' && i + 1 < n && text[i + 1] == L'=') {
            out.push_back(MakeToken(DsxTokNotEqual, L"!=", i, i + 2));
            i += 2;
        } else if (!IsWordChar(c)) {
            out.push_back(MakeToken(IsPunctuation(c) ? (int)c : DsxTokOther, std::wstring(1, c), i, i + 1));
            ++i;
        } else {
            size_t j = i;
            while (j < n && IsWordChar(text[j])) ++j;
            out.push_back(MakeToken(DsxTokWord, StrUpper(text.substr(i, j - i)), i, j));
            i = j;
        }
    }
    return out;
}

namespace dsx {

DsxTree Parse(const std::wstring& text) {
    std::vector<DsxToken> tokens = DsxTokenize(text);
    Parser p{tokens, text.size(), {}};
    if (tokens.empty()) return std::move(p.tree);
    for (const DsxToken& t : tokens) {
        if (t.unterminated || t.kind == DsxTokOther) {
            p.tree.error.code = t.unterminated ? DsxErrQuote : DsxErrChar;
            p.tree.error.text = t.unterminated ? L"" : t.text;
            p.tree.error.position = t.start + 1;
            return std::move(p.tree);
        }
    }
    p.tree.nodes.reserve(tokens.size());
    int root = p.ParseOr();
    if (root < 0) return std::move(p.tree);
    if (p.pos < tokens.size()) {
        if (p.IsTok(L')'))
            p.SetError(DsxErrClose, L"", 0);
        else
            p.SetError(DsxErrExpect, L"& |", DsxExpectLiteral);
        return std::move(p.tree);
    }
    p.tree.root = root;
    return std::move(p.tree);
}

}  // namespace dsx
