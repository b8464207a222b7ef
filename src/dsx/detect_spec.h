// What a detect string claims: the extensions it names and excludes, its written
// form, and which extensions hold plainly, only with FORCE or only under conditions.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "dsx/parse.h"

enum DetectItemKind : int {
    DetItemExt = 0,
    DetItemMultimedia = 1,
    DetItemForce = 2,
    DetItemNoDetect = 3,  // the entry has no detect string
    DetItemEmpty = 4,     // the detect string is empty
    DetItemNoExt = 5,     // the detect string names no extension
};

struct DetectItem {
    std::wstring text;  // DetItemExt: the extension, upper case, wildcards kept
    int kind = DetItemExt;
};

struct DetectSpec {
    // MULTIMEDIA first, then extensions in order of first appearance, then FORCE;
    // or exactly one of the marker kinds 3 to 5.
    std::vector<DetectItem> items;
    std::vector<std::wstring> excluded;
    uint8_t complex = 0;
    uint8_t listForm = 0;         // prefix & (EXT="A" | EXT="B" ...)
    uint8_t negatedListForm = 0;  // prefix & !(EXT="A" | ...)
    std::wstring prefix;          // text before the list's bracket, for the list forms
    std::set<std::wstring> plain;
    std::set<std::wstring> forced;  // extensions that match only with key 4
    std::set<std::wstring> conditional;
};

// Where a node stands in its tree, seen from the node up to the root.
struct DsxContext {
    uint8_t withForce = 0;  // an And above has FORCE beside this branch
    uint8_t withOther = 0;  // an And above has a condition other than FORCE/MULTIMEDIA
    uint8_t negated = 0;    // an odd number of Not nodes above
};

struct ExtCondition {
    uint8_t plain = 0;  // a direct, not negated operand of an Or
    uint8_t withForce = 0;
    uint8_t withOther = 0;
    uint8_t negated = 0;
    int node = -1;
    std::wstring extension;
    int spanStart = 0;
    int spanEnd = 0;
};

// has = false when the entry has no detect string at all.
DetectSpec CompileDetect(const std::wstring& text, bool has);
DsxContext DsxContextOf(const DsxTree& tree, int node);
// Every EXT= occurrence in source order; empty for a tree with an error.
std::vector<ExtCondition> DsxExtConditions(const DsxTree& tree);

// The distinct texts of the extension items, in first-seen order: the plain
// extensions of a compiled detect string.
std::vector<std::wstring> ActiveEntryNames(const std::vector<DetectItem>& items);
