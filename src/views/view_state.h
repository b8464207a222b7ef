// State of the views, set by the window as the user switches tabs and moves splits.
#pragma once
#include <cstdint>

// Exactly the flag of the shown special tab is set; all clear on the plugin tabs.
extern uint8_t TabIsPreview;
extern uint8_t TabIsFindings;
extern uint8_t TabIsInventory;
// The split between the preview tab's two lists, 0..1.
extern double PreviewSplitRatio;
// Stores the preview tab's split ratio in per mille while the preview tab is shown.
void SavePreviewSplit();

#include "hostcfg/field_usage.h"
#include "hostcfg/lister_settings.h"

// Where the fields of Content plugins are used in TC; rebuilt whenever a fill reads wincmd.ini.
extern FieldUsage ShownFieldUsage;
// TC's Lister settings as the last fill of the Lister tab read them.
extern ListerSettings ShownListerSettings;
