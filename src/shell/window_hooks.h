// What the main window hands to the features that lie beyond it: the kept
// entries, extra columns and search. Each feature sets its
// entry when it starts; an unset entry means the feature is not there, and the
// window then frees any worker record it would have handed over.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "probe/workers.h"

struct MainWindowHooks {
    std::function<void()> updateKeptRowTexts;
    // Each takes ownership of the record.
    std::function<void(DetailsMsg*)> applyExtraColValues;
    std::function<void(FieldListMsg*)> onFieldsResult;
};
extern MainWindowHooks WindowHooks;
