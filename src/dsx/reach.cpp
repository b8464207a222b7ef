#include "dsx/reach.h"

#include <algorithm>

namespace {

int ReachOfNot(int r) {
    static const int mapped[] = {ReachAlmostAll, ReachAllExcept, ReachAlmostAll, ReachSpecific, ReachNone};
    return r >= 0 && r <= ReachAll ? mapped[r] : ReachNone;
}

int ReachAt(const DsxTree& tree, int index, bool countForce, int depth) {
    if (index < 0 || index >= (int)tree.nodes.size() || depth > kDsxMaxTreeDepth) return ReachNone;
    const DsxNode& n = tree.nodes[index];
    auto child = [&](int c) { return ReachAt(tree, c, countForce, depth + 1); };
    switch (n.kind) {
    case DsxOr: {
        int r = ReachNone;
        for (int c : n.children) r = std::max(r, child(c));
        return r;
    }
    case DsxAnd: {
        int r = ReachAll;
        for (int c : n.children) r = std::min(r, child(c));
        return r;
    }
    case DsxNot:
        return n.children.empty() ? ReachNone : ReachOfNot(child(n.children[0]));
    case DsxGroup:
        return n.children.empty() ? ReachNone : child(n.children[0]);
    case DsxExtEq:
        return n.text == L"*" ? ReachAll : ReachSpecific;
    case DsxExtNe:
        return ReachAllExcept;
    case DsxSize:
        return n.text == L"=" ? ReachSpecific : ReachAlmostAll;
    case DsxByte:
    case DsxFind:
        return ReachSpecific;
    case DsxForce:
        return countForce ? ReachAll : ReachNone;
    case DsxMultimedia:
        return ReachAll;
    default:
        return ReachNone;
    }
}

}  // namespace

int DsxReach(const DsxTree& tree, int node, bool countForce) { return ReachAt(tree, node, countForce, 0); }

DsxClass DsxClassify(const DsxTree& tree) {
    DsxClass c;
    if (tree.error.code != DsxErrNone || tree.root < 0) return c;
    c.reach = DsxReach(tree, tree.root, false);
    c.reachWithForce = DsxReach(tree, tree.root, true);
    for (const DsxNode& n : tree.nodes) {
        if (n.kind == DsxMultimedia) c.hasMultimedia = 1;
        if (n.kind == DsxFind || n.kind == DsxByte) c.readsContent = 1;
    }
    return c;
}
