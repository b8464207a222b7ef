// The one reload step of the analyses' cached inputs.
#pragma once
#include <functional>

#include "hostcfg/field_usage.h"

struct ProbeMsg;

// Empties the extra-column texts of the plugin list; set by the views that keep them.
extern std::function<void()> DropExtraColumnTexts;

// Where TC's configuration uses content fields, read once after each reset. UI thread only.
const FieldUsage& CurrentFieldUsage();

// Drops the probe results, the field-usage index, the disk scan, the extra-column
// texts and the background-probe state, and reloads the inventory.
void ResetPluginCaches();
// A probe result of a job started before the last reset would put a stale answer
// into the emptied cache; only results of later jobs may enter it.
bool ProbeResultMayEnterCache(const ProbeMsg& msg);
