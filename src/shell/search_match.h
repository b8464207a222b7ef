// What a search hit is made of, apart from the window: extension terms, the
// field-name cache file's values and where the next match lies. No Windows call.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "dsx/detect_spec.h"

struct FieldCacheEntry {
    std::wstring stamp;
    std::vector<std::wstring> names;
};
using FieldCache = std::map<std::wstring, FieldCacheEntry>;

// The search text as an extension: without a leading "*." or, failing that, ".".
std::wstring SearchExtTerm(const std::wstring& query);
// The extension item of spec equal to term in any case of any letter (UpperCase),
// as the detect string holds it; empty when none.
std::wstring MatchingExtItem(const DetectSpec& spec, const std::wstring& term);
// The first name whose lower-cased form contains the lower-cased query; empty when none.
std::wstring MatchingFieldName(const std::vector<std::wstring>& names, const std::wstring& query);

// The cache key of a plugin path: folded (FoldCase), '=', '[' and ']' made '_'.
std::wstring FieldCacheKey(const std::wstring& path);
// "stamp TAB name|name"; the stamp itself may hold '|'.
std::wstring FieldCacheValue(const FieldCacheEntry& entry);
// False for a value without TAB; empty names are dropped.
bool ParseFieldCacheValue(const std::wstring& value, FieldCacheEntry& entry);

// Index of the first hit whose position is at or after from, else 0.
size_t FirstHitFrom(const std::vector<int>& hitPositions, int from);
// The neighbour of current in a ring of count hits; 0 when none is current.
int StepHit(int current, int step, int count);
