#include "views/view_state.h"

uint8_t TabIsPreview = 0;
uint8_t TabIsFindings = 0;
uint8_t TabIsInventory = 0;
int PreviewMode = 0;
uint8_t InSizeMove = 0;
double PreviewSplitRatio = 0.25;
