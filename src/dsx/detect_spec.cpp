#include "dsx/detect_spec.h"

#include <algorithm>
#include <map>

#include "foundation/text.h"

namespace {

struct Analysis {
    std::vector<std::wstring> extensions;
    bool hasMultimedia = false;
    bool hasForce = false;
    std::wstring rest;  // the string with its EXT terms taken out, without blanks
    DetectSpec spec;    // excluded, the form flags and the sets
};

void AddOnce(std::vector<std::wstring>& list, const std::wstring& s) {
    if (std::find(list.begin(), list.end(), s) == list.end()) list.push_back(s);
}

std::wstring TrimBlanksTabs(const std::wstring& s) {
    size_t b = s.find_first_not_of(L" \t");
    if (b == std::wstring::npos) return L"";
    return s.substr(b, s.find_last_not_of(L" \t") - b + 1);
}

void EraseAll(std::wstring& s, const std::wstring& word) {
    for (size_t p = s.find(word); p != std::wstring::npos; p = s.find(word, p)) s.erase(p, word.size());
}

bool IsExtTerm(const std::vector<DsxToken>& t, size_t i) {
    return i + 2 < t.size() && t[i].kind == DsxTokWord && t[i].text == L"EXT" &&
           (t[i + 1].kind == L'=' || t[i + 1].kind == DsxTokNotEqual) &&
           t[i + 2].kind == DsxTokString && !t[i + 2].unterminated;
}

// One pass over the tokens; works on strings that do not parse, too.
void ScanTokens(const std::vector<DsxToken>& tokens, Analysis& a) {
    std::vector<bool> openMarks;  // per open '(': preceded by '!'
    int negDepth = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const DsxToken& t = tokens[i];
        if (IsExtTerm(tokens, i)) {
            bool notEqual = tokens[i + 1].kind == DsxTokNotEqual;
            std::wstring value = UpperCase(tokens[i + 2].text);
            AddOnce(((negDepth % 2 == 1) != notEqual) ? a.spec.excluded : a.extensions, value);
            if (notEqual) a.rest += L"!=";
            i += 2;
            continue;
        }
        if (t.kind == DsxTokString)
            a.rest += L"\"" + t.text + (t.unterminated ? L"" : L"\"");
        else
            a.rest += t.text;
        if (t.kind == L'(') {
            bool marked = i > 0 && tokens[i - 1].kind == L'!';
            openMarks.push_back(marked);
            negDepth += marked;
        } else if (t.kind == L')' && !openMarks.empty()) {
            negDepth -= openMarks.back();
            openMarks.pop_back();
        } else if (t.kind == DsxTokWord && t.text == L"MULTIMEDIA") {
            a.hasMultimedia = true;
        } else if (t.kind == DsxTokWord && t.text == L"FORCE") {
            a.hasForce = true;
        }
    }
}

// rest[from, to) consists of '|' only.
bool OnlyBars(const std::wstring& rest, size_t from, size_t to) {
    return std::all_of(rest.begin() + from, rest.begin() + to, [](wchar_t c) { return c == L'|'; });
}

// Text before the first '(' token of the input.
std::wstring TextBeforeBracket(const std::wstring& text, const std::vector<DsxToken>& tokens) {
    for (const DsxToken& t : tokens)
        if (t.kind == L'(') return text.substr(0, t.start);
    return text;
}

void DetectListForms(const std::wstring& text, const std::vector<DsxToken>& tokens, Analysis& a) {
    const std::wstring& rest = a.rest;
    size_t p = 0, k = 0;
    for (;;) {
        if (rest.compare(p, 11, L"MULTIMEDIA&") == 0) p += 11;
        else if (rest.compare(p, 6, L"FORCE&") == 0) p += 6;
        else break;
        ++k;
    }
    if (k == 0) return;
    size_t n = a.extensions.size(), m = a.spec.excluded.size();
    if (m == 0 && n >= 1) {
        if (rest.size() == p + n + 1 && rest[p] == L'(' && rest.back() == L')' &&
            OnlyBars(rest, p + 1, rest.size() - 1)) {
            a.spec.listForm = 1;
            a.spec.complex = 0;
            a.spec.prefix = TrimBlanksTabs(TextBeforeBracket(text, tokens));
        }
        return;
    }
    if (n == 0 && m >= 1 && rest.size() == p + m + 2 && rest[p] == L'!' && rest[p + 1] == L'(' &&
        rest.back() == L')' && OnlyBars(rest, p + 2, rest.size() - 1)) {
        a.spec.negatedListForm = 1;
        a.spec.complex = 0;
        std::wstring before = TextBeforeBracket(text, tokens);
        a.spec.prefix = TrimBlanksTabs(before.substr(0, before.rfind(L'!')));
    }
}

void FillSetsOfComplex(const std::wstring& text, DetectSpec& spec) {
    std::map<std::wstring, std::pair<bool, bool>> marks;  // extension -> (always plain, always with FORCE)
    for (const ExtCondition& c : DsxExtConditions(dsx::Parse(text))) {
        if (c.negated) continue;
        auto& m = marks.try_emplace(c.extension, true, true).first->second;
        m.first = m.first && c.plain;
        m.second = m.second && c.withForce;
        if (c.withOther) spec.conditional.insert(c.extension);
    }
    for (const auto& [ext, m] : marks) {
        if (m.first) spec.plain.insert(ext);
        if (m.second) spec.forced.insert(ext);
    }
}

bool HoldsForceWord(const std::wstring& text) {
    for (const DsxToken& t : DsxTokenize(text))
        if (t.kind == DsxTokWord && t.text == L"FORCE") return true;
    return false;
}

bool Parses(const std::wstring& text) {
    DsxTree tree = dsx::Parse(text);
    return tree.error.code == DsxErrNone && tree.root >= 0;
}

Analysis DetectAnalyze(const std::wstring& text) {
    Analysis a;
    std::vector<DsxToken> tokens = DsxTokenize(text);
    ScanTokens(tokens, a);
    std::wstring bare = a.rest;
    EraseAll(bare, L"MULTIMEDIA");
    EraseAll(bare, L"FORCE");
    a.spec.complex = bare.find_first_of(L"|()") != std::wstring::npos;
    if (!a.spec.complex) {
        // One And chain: every extension it names needs FORCE when FORCE is in it.
        if (a.hasForce && Parses(text)) a.spec.forced.insert(a.extensions.begin(), a.extensions.end());
        return a;
    }
    DetectListForms(text, tokens, a);
    if (a.spec.complex) FillSetsOfComplex(text, a.spec);
    if (a.spec.listForm && HoldsForceWord(a.spec.prefix))
        a.spec.forced.insert(a.extensions.begin(), a.extensions.end());
    return a;
}

DetectItem MarkerItem(int kind) {
    DetectItem item;
    item.kind = kind;
    return item;
}

DetectSpec MarkerSpec(int kind) {
    DetectSpec spec;
    spec.items.push_back(MarkerItem(kind));
    return spec;
}

}  // namespace

DetectSpec CompileDetect(const std::wstring& text, bool has) {
    if (!has) return MarkerSpec(DetItemNoDetect);
    if (StrTrim(text).empty()) return MarkerSpec(DetItemEmpty);
    Analysis a = DetectAnalyze(text);
    DetectSpec spec = std::move(a.spec);
    if (a.hasMultimedia) spec.items.push_back(MarkerItem(DetItemMultimedia));
    for (const std::wstring& ext : a.extensions) spec.items.push_back(DetectItem{ext, DetItemExt});
    if (a.hasForce) spec.items.push_back(MarkerItem(DetItemForce));
    if (spec.items.empty()) spec.items.push_back(MarkerItem(DetItemNoExt));
    return spec;
}

DsxContext DsxContextOf(const DsxTree& tree, int node) {
    DsxContext ctx;
    int nots = 0;
    int child = node;
    for (int cur = tree.nodes[node].parent; cur >= 0; child = cur, cur = tree.nodes[cur].parent) {
        const DsxNode& n = tree.nodes[cur];
        if (n.kind == DsxNot) ++nots;
        if (n.kind != DsxAnd) continue;
        for (int op : n.children) {
            if (op == child || tree.nodes[op].kind == DsxMultimedia) continue;
            if (tree.nodes[op].kind == DsxForce)
                ctx.withForce = 1;
            else
                ctx.withOther = 1;
        }
    }
    ctx.negated = nots % 2;
    return ctx;
}

std::vector<ExtCondition> DsxExtConditions(const DsxTree& tree) {
    std::vector<ExtCondition> out;
    if (tree.error.code != DsxErrNone || tree.root < 0) return out;
    // Leaves are stored in source order, so index order is span order.
    for (int i = 0; i < (int)tree.nodes.size(); ++i) {
        const DsxNode& n = tree.nodes[i];
        if (n.kind != DsxExtEq) continue;
        DsxContext ctx = DsxContextOf(tree, i);
        ExtCondition c;
        c.plain = n.parent >= 0 && tree.nodes[n.parent].kind == DsxOr && !ctx.negated;
        c.withForce = ctx.withForce;
        c.withOther = ctx.withOther;
        c.negated = ctx.negated;
        c.node = i;
        c.extension = n.text;
        c.spanStart = n.start;
        c.spanEnd = n.end;
        out.push_back(std::move(c));
    }
    return out;
}

std::vector<std::wstring> ActiveEntryNames(const std::vector<DetectItem>& items) {
    std::vector<std::wstring> names;
    for (const auto& item : items)
        if (item.kind == DetItemExt && std::find(names.begin(), names.end(), item.text) == names.end())
            names.push_back(item.text);
    return names;
}
