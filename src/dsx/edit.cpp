#include "dsx/edit.h"

#include <algorithm>

#include "dsx/detect_spec.h"
#include "foundation/text.h"

namespace {

// A pathological string may name one extension very often; the passes are capped.
constexpr int kMaxRemovalsPerExt = 64;

bool Parsed(const DsxTree& tree) { return tree.error.code == DsxErrNone && tree.root >= 0; }

size_t FindBar(const std::wstring& text, int from, int to) {
    size_t p = text.find(L'|', from);
    return p != std::wstring::npos && p < (size_t)to ? p : std::wstring::npos;
}

size_t BlanksAfter(const std::wstring& text, size_t p) {
    size_t q = p;
    while (q < text.size() && text[q] == L' ') ++q;
    return q - p;
}

enum class RemoveStep { Removed, Done, Failed };

RemoveStep RemoveOne(std::wstring& text, const std::wstring& ext, int removalsSoFar) {
    DsxTree tree = dsx::Parse(text);
    if (!Parsed(tree)) return RemoveStep::Failed;
    bool named = false;
    for (const ExtCondition& c : DsxExtConditions(tree)) {
        if (c.extension != ext) continue;
        named = true;
        if (!c.plain) continue;
        // Still there after the cap: the caller must not believe it is gone.
        if (removalsSoFar >= kMaxRemovalsPerExt) return RemoveStep::Failed;
        return DsxRemoveExtTerm(text, tree, c.node) ? RemoveStep::Removed : RemoveStep::Failed;
    }
    return named ? RemoveStep::Failed : RemoveStep::Done;
}

bool IsExtListGroup(const DsxTree& tree, const DsxNode& group) {
    if (group.children.empty()) return false;
    const DsxNode& inner = tree.nodes[group.children[0]];
    if (inner.kind == DsxExtEq) return true;
    return inner.kind == DsxOr && std::all_of(inner.children.begin(), inner.children.end(),
                                              [&](int c) { return tree.nodes[c].kind == DsxExtEq; });
}

// The first free list, preferring one that no further condition restricts.
int ChooseListGroup(const DsxTree& tree) {
    std::vector<int> groups;
    for (int i = 0; i < (int)tree.nodes.size(); ++i)
        if (tree.nodes[i].kind == DsxGroup) groups.push_back(i);
    std::sort(groups.begin(), groups.end(), [&](int a, int b) { return tree.nodes[a].start < tree.nodes[b].start; });
    int chosen = -1;
    for (int g : groups) {
        if (!IsExtListGroup(tree, tree.nodes[g])) continue;
        DsxContext ctx = DsxContextOf(tree, g);
        if (ctx.negated || ctx.withForce) continue;
        if (chosen < 0 || !ctx.withOther) chosen = g;
        if (!ctx.withOther) break;
    }
    return chosen;
}

}  // namespace

bool DsxRemoveExtTerm(std::wstring& text, const DsxTree& tree, int node) {
    if (node < 0 || node >= (int)tree.nodes.size()) return false;
    int parent = tree.nodes[node].parent;
    if (parent < 0 || tree.nodes[parent].kind != DsxOr) return false;
    const DsxNode& list = tree.nodes[parent];
    size_t k = std::find(list.children.begin(), list.children.end(), node) - list.children.begin();
    int left = 0, right = (int)text.size();
    if (list.parent >= 0) {
        left = tree.nodes[list.parent].start + 1;
        right = tree.nodes[list.parent].end - 1;
    }
    const DsxNode& n = tree.nodes[node];
    bool last = k + 1 == list.children.size();
    int nextStart = last ? right : tree.nodes[list.children[k + 1]].start;
    if (k == 0) {
        size_t bar = FindBar(text, n.end, nextStart);
        if (bar == std::wstring::npos) return false;
        text.erase(left, bar + 1 + BlanksAfter(text, bar + 1) - left);
        return true;
    }
    size_t p = FindBar(text, tree.nodes[list.children[k - 1]].end, n.start);
    if (p == std::wstring::npos) return false;
    size_t cut = last ? right : FindBar(text, n.end, nextStart);
    if (cut == std::wstring::npos) return false;
    text.erase(p, cut - p);
    if (p > 0 && (p >= text.size() || text[p] != L'|')) {
        size_t b = p;
        while (b > 0 && text[b - 1] == L' ') --b;
        text.erase(b, p - b);
    }
    return true;
}

bool DsxInsertExt(std::wstring& text, const std::wstring& ext) {
    DsxTree tree = dsx::Parse(text);
    if (!Parsed(tree)) return false;
    int g = ChooseListGroup(tree);
    if (g < 0) return false;
    const DsxNode& group = tree.nodes[g];
    size_t open = group.start, close = group.end - 1;
    size_t at = close;
    while (at > open + 1 && text[at - 1] == L' ') --at;
    std::wstring inside = text.substr(open + 1, close - open - 1);
    bool spaced = inside.find(L" |") != std::wstring::npos || inside.find(L"| ") != std::wstring::npos;
    text.insert(at, (spaced ? L" | " : L"|") + MakeExtTerm(ext));
    return true;
}

std::wstring DsxEditExts(const std::wstring& text, const std::set<std::wstring>& remove,
                         const std::vector<std::wstring>& add, bool* failed) {
    std::wstring result = text;
    bool anyFailed = false;
    for (const std::wstring& x : remove) {
        // Conditions hold their extensions in upper case; a lower-case request must
        // not pass for done while the extension stays.
        std::wstring upper = UpperCase(x);
        RemoveStep step = RemoveStep::Removed;
        for (int n = 0; step == RemoveStep::Removed; ++n) step = RemoveOne(result, upper, n);
        anyFailed = anyFailed || step == RemoveStep::Failed;
    }
    std::wstring tail;
    for (const std::wstring& y : add)
        if (!DsxInsertExt(result, y)) tail += L" | " + MakeExtTerm(y);
    if (!tail.empty()) {
        // An empty string has nothing to bracket: "()" would be a syntax error.
        if (StrTrim(result).empty())
            result = tail.substr(3);
        else
            result = L"(" + result + L")" + tail;
    }
    if (failed) *failed = anyFailed;
    return result;
}
