// The child windows of the main window and their control ids. The shell creates
// them once; everything else tests a handle before use, since a failed creation
// leaves it null.
#pragma once
#include <windows.h>

#include <cstdint>

enum MainControlId : int {
    IdTabCtl = 100, IdPluginList = 101, IdExtList = 102, IdDetailLabel = 103, IdDetailBox = 104,
    IdStatusBar = 105, IdInventoryList = 106, IdFindingsList = 107, IdMarksStrip = 108,
    IdSearchEdit = 109, IdSearchLabel = 110, IdSearchStatus = 111, IdSearchPrevBtn = 112,
    IdSearchNextBtn = 113, IdSearchClearBtn = 114, IdKeyBar = 115, IdPvFieldList = 140,
    IdPvFileLabel = 141, IdPvPickContentBtn = 142, IdPvEmptyCheck = 143, IdPvUnitsCheck = 144,
    IdPvToggleBtn = 145, IdPvIntro = 146, IdPvPluginList = 147, IdLvCheckList = 150,
    IdPvPickListerBtn = 151,
};

extern HWND TabCtl, SearchLabel, SearchEdit, SearchPrevBtn, SearchNextBtn, SearchClearBtn, SearchStatus;
extern HWND PageWnd, PluginList, MarksStrip, ExtList, FindingsList, InventoryList;
extern HWND PvPickContentBtn, PvPickListerBtn, LvCheckList, PvFileLabel, PvEmptyCheck, PvUnitsCheck;
extern HWND PvToggleBtn, PvIntro, PvFieldList, PvPluginList;
extern HWND DetailLabel, DetailBox, StatusBar, KeyBar;

extern uint8_t DetailIsRich;  // DetailBox is a rich edit, not a plain edit
extern uint8_t SearchReady;   // the search controls exist

// The pick button of the active preview mode is shown semi-bold.
void UiApplyFonts();
// The list searched and focused on the shown tab.
HWND UiCurrentList();
// The item data of the first selected row of the plugin or findings list; -1 for none.
int32_t PluginListSelection();
int32_t FindingsListSelection();
