#include "views/view_state.h"

#include <string>

#include "foundation/data_folder.h"

uint8_t TabIsPreview = 0;
uint8_t TabIsFindings = 0;
uint8_t TabIsInventory = 0;
int PreviewMode = 0;
uint8_t InSizeMove = 0;
double PreviewSplitRatio = 0.25;

bool SavePreviewSplit() {
    if (!TabIsPreview) return true;
    return WriteSettingsIniValue(L"Window", L"PreviewSplit", std::to_wstring((int)(PreviewSplitRatio * 1000.0)).c_str());
}
