// State of the views, set by the window as the user switches tabs and moves splits.
#pragma once
#include <cstdint>

// Exactly the flag of the shown special tab is set; all clear on the plugin tabs.
extern uint8_t TabIsPreview;
extern uint8_t TabIsFindings;
extern uint8_t TabIsInventory;
// The preview tab's mode: 0 content preview, 1 Lister check.
extern int PreviewMode;
// The user is moving or sizing the main window.
extern uint8_t InSizeMove;
// The split between the preview tab's two lists, 0..1.
extern double PreviewSplitRatio;
// Stores the preview tab's split ratio in per mille while the preview tab is shown;
// false when it could not be written.
bool SavePreviewSplit();
