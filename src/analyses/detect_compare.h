// Comparing the detect string in wincmd.ini with the one the plugin reports now.
#pragma once
#include <vector>

#include "dsx/detect_spec.h"

struct PlugEntry;

enum RowCheck : int {
    CheckNotApplicable = 0,  // Packer, File system, or no successful probe
    CheckSame = 1,
    CheckSameExtensions = 2,  // same extensions, worded differently
    CheckPluginMore = 3,
    CheckIniMore = 4,
    CheckBothDiffer = 5,
    CheckIniNone = 6,  // wincmd.ini has no or an empty detect string
};

// The plugin's extension is one the INI's detect string does not take yet.
bool IniLacks(const DetectSpec& ini, const DetectItem& item);
int RowCheckState(const PlugEntry& entry);
bool ExtEntryEqual(const DetectItem& a, const DetectItem& b);
bool ExtListContains(const std::vector<DetectItem>& list, const DetectItem& item);
