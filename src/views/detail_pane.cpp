#include "views/detail_pane.h"

#include "views/panes.h"

int32_t DetailRowShown = -1;

void ShowDetails(int32_t item) {
    DetailRowShown = item;
    if (item < 0) SetDetailText(L"", false);
}
