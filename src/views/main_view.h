// The main window as the views see it: its controls, what it shows and the host it
// reports to. The shell's main window owns the one there is; every view function
// that works on the window takes it. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "analyses/preview_texts.h"
#include "views/ext_checklist.h"
#include "views/main_controls.h"
#include "views/view_host.h"

// Search hits painted over the cells of the searched list.
struct SearchPaintState {
    std::wstring text;        // the last search, trimmed and lower-cased; empty: nothing is painted
    LPARAM currentItem = -1;  // item data of the current hit's row
};

// A row the search found, held by its item data, so a sort or a refill cannot point
// it at another row.
struct SearchHit {
    int item = 0;       // the row's item data
    std::wstring note;  // empty for a cell hit
};
struct SearchHits {
    std::vector<SearchHit> hits;  // in row order as last seen
    int currentItem = -1;         // item data of the current hit; -1 none
};

// The one tracking tooltip of the lists' cells and the cell it shows.
struct CellTipState {
    HWND window = nullptr;  // made on first use
    HWND list = nullptr;    // null while no cell is tracked
    int row = -1, column = -1;
    std::wstring text;
};

// A splitter drag: the ratio it would set, and the inverted bar that shows it.
struct SplitDrag {
    bool active = false;
    double ratio = 0;
};
struct FeedbackBar {
    HWND window = nullptr;
    RECT rect{};
    bool drawn = false;
};

struct MainView {
    explicit MainView(IViewHost& host) : host(host) {}
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    IViewHost& host;
    MainControls controls;

    // Exactly the flag of the shown special tab is set; all clear on the plugin tabs.
    bool tabIsPreview = false, tabIsFindings = false, tabIsInventory = false;
    int previewMode = 0;      // the preview tab's mode: 0 content preview, 1 Lister check
    bool inSizeMove = false;  // the user is moving or sizing the main window
    double splitRatio = 0.45;         // the plugin list's share of the plugin tabs' inner width
    double previewSplitRatio = 0.25;  // the split between the preview tab's two lists, 0..1
    int32_t detailHeight = 76;        // the detail box's wished height in 96-dpi pixels, 40..1200
    int32_t marksShown = 0;  // mark bits drawn in the strip: 1 new, 2 removed, 4 folder, 8 greedy
    int pvAreaTop = 0;       // the y of the preview lists inside the page window, below the buttons

    int detailRowShown = -1;       // item data of the row whose details are shown; -1 for none
    std::unordered_map<int, int> pluginRowOf;  // the plugin-list row each item data was last found in
    bool extListFilling = false;   // the extension list is being filled: its check-box changes are not the user's
    std::wstring statusNote;       // shown in front of the status text; emptied when another row is shown
    bool cameFromFinding = false;  // the plugin-list selection came from a finding: Backspace goes back
    // Parallel to the extension list's rows; a row's item data indexes them.
    std::vector<ExtRow> extRows;
    std::vector<int> extRowModes;
    // The records behind the preview field list's items; an item's data indexes them.
    std::vector<PvRowRef> pvRows;
    bool pvPickListFilling = false;  // the pick list is being filled: its check-box changes are not the user's
    // Rebuilt with the inventory list, indexed by row: the record's Path and Name, and its mark.
    std::vector<std::wstring> invRowPaths, invRowNames;
    std::vector<int32_t> invRowMarks;

    SearchHits search;
    SearchPaintState searchPaint;
    CellTipState cellTip;
    SplitDrag pageDrag;       // the splitter between the page's two lists
    FeedbackBar splitterBar;  // the one drag bar drawn, on the page or the main window
    int keyBarPressed = -1;   // the key bar's cell held down by the mouse
    HWND legend = nullptr;    // the legend window; null while closed
};

// The pick button of the active preview mode is shown semi-bold.
void UiApplyFonts(MainView& view);
// The list searched and focused on the shown tab.
HWND UiCurrentList(const MainView& view);
// The item data of the first selected row of the plugin or findings list; -1 for none.
int32_t PluginListSelection(const MainView& view);
int32_t FindingsListSelection(const MainView& view);
