// How many files a detect string reaches: a plugin that wants every file makes TC
// ask it for everything.
#pragma once
#include <cstdint>

#include "dsx/parse.h"

enum DetectReach : int {
    ReachNone = 0,
    ReachSpecific = 1,    // an extension, FIND, a byte test, SIZE = ...
    ReachAlmostAll = 2,   // a condition without extension such as SIZE<...
    ReachAllExcept = 3,   // every file except the excluded extensions
    ReachAll = 4,
};

struct DsxClass {
    int reach = ReachNone;           // FORCE counted as false
    int reachWithForce = ReachNone;  // FORCE counted as reaching every file
    uint8_t hasMultimedia = 0;
    uint8_t readsContent = 0;  // FIND or a byte test looks into the file
};

int DsxReach(const DsxTree& tree, int node, bool countForce);
// All zero for a tree with an error or without root.
DsxClass DsxClassify(const DsxTree& tree);
