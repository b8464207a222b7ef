// The window layout kept in section Window of the program's INI: placement, the
// splits, sort orders, column widths, the last tab and the plugin list's extra
// columns. The one place that fixes the format of those keys. UI thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "views/main_view.h"

struct ExtraColumnDef {
    const wchar_t* id;
    const char* titleKey;
    int width;  // default, 96 dpi
    int align;  // 0 left, 1 right, 2 centred
};
extern const ExtraColumnDef ExtraColumnTable[13];
// The extra columns shown in the plugin list, ascending table indexes; column 4 + k.
extern std::vector<int32_t> ExtraColIds;
// Id -> width at 96 dpi of every extra column shown or remembered this run.
extern std::map<std::wstring, int32_t> ExtraColWidthMap;

// The split and the detail height, clamped as stored values may not be.
void LoadFrameLayout(MainView& view);
struct SavedPlacement {
    RECT rect;  // screen pixels as stored
    bool maximized;
};
// The stored Pos when it has four numbers and a size of at least 200 x 150; the
// caller still tests that it lies on a monitor.
std::optional<SavedPlacement> ParsePlacement(const std::wstring& text);
// The tab to start on: the setting StartTab, else the stored LastTab.
int StartTabIndex();
// The sort state and column widths of one list as the last run left them, and for
// the plugin list its extra columns.
void RestoreListLayout(MainView& view, HWND list);

void SaveWindowLayout(const MainView& view);
void CaptureExtraColWidths(const MainView& view);
void SaveExtraCols(const MainView& view);
// Replaces the plugin list's extra columns; the sort follows a column that moves.
void SetExtraCols(MainView& view, std::vector<int32_t> columns);
