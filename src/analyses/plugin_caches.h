// The one reload step of the analyses' cached inputs.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "hostcfg/field_usage.h"
#include "probe/plugin_info.h"

struct DetailsMsg;
struct ProbeMsg;

// Lower-cased plugin path -> what the details worker read for the extra columns of
// the plugin list. UI thread only.
extern std::map<std::wstring, PluginDetails> XcolCache;

// Where TC's configuration uses content fields, read once after each reset. UI thread only.
const FieldUsage& CurrentFieldUsage();

// Drops the probe results, the field-usage index, the disk scan, the extra-column
// texts and the background-probe state, and reloads the inventory.
void ResetPluginCaches();
// The resets of this run so far: what is read once per set of plugins elsewhere (the
// search's field names) reads again once the count moved on.
uint32_t PluginCacheResets();
// A probe result of a job started before the last reset would put a stale answer
// into the emptied cache; only results of later jobs may enter it.
bool ProbeResultMayEnterCache(const ProbeMsg& msg);
// The same for the answers of the details worker and XcolCache.
bool DetailsMayEnterCache(const DetailsMsg& msg);
// Empties XcolCache alone, as the reset does.
void DropExtraColumnTexts();
