// The child windows of the main window and their control ids. The shell creates
// the frame's at start and a tab's own when the tab is first shown; everything else
// tests a handle before use, since it is null until then or when creation failed.
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

struct MainControls {
    HWND main = nullptr;  // the main window itself
    HWND tabCtl = nullptr, searchLabel = nullptr, searchEdit = nullptr, searchPrevBtn = nullptr,
         searchNextBtn = nullptr, searchClearBtn = nullptr, searchStatus = nullptr;
    HWND pageWnd = nullptr, pluginList = nullptr, marksStrip = nullptr, extList = nullptr, findingsList = nullptr,
         inventoryList = nullptr;
    HWND pvPickContentBtn = nullptr, pvPickListerBtn = nullptr, lvCheckList = nullptr, pvFileLabel = nullptr,
         pvEmptyCheck = nullptr, pvUnitsCheck = nullptr, pvToggleBtn = nullptr, pvIntro = nullptr,
         pvFieldList = nullptr, pvPluginList = nullptr;
    HWND detailLabel = nullptr, detailBox = nullptr, statusBar = nullptr, keyBar = nullptr;
    bool detailIsRich = false;  // detailBox is a rich edit, not a plain edit
    bool searchReady = false;   // the search controls exist
};
