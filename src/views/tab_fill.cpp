#include "views/tab_fill.h"

#include <windows.h>
#include <commctrl.h>

#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/preview_file.h"
#include "views/panes.h"
#include "views/view_state.h"

int ShownSectionKind = -1;
std::wstring ShownSectionText;
int ProbeDone = 0;
int ProbeTotal = 0;

// Shows the selected tab's panes; the lists themselves are filled by the tab fillers.
void FillTab() {
    int tab = TabCtl ? TabCtrl_GetCurSel(TabCtl) : 0;
    TabIsInventory = tab == 4;
    TabIsFindings = tab == 5;
    TabIsPreview = tab == 6;
    if (LayoutPanes) LayoutPanes();
    if (TabIsPreview) PreviewTabRefresh();
    if (TabIsFindings && FindingsList) FillFindingsList(FindingsList);
    if (TabIsInventory && InventoryList) FillInventoryList(InventoryList);
    if (UpdateStatusBar) UpdateStatusBar();
}
