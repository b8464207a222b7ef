#include "views/window_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "views/list_sort.h"
#include "foundation/list_view.h"
#include "views/main_view.h"
#include "views/page_window.h"
#include "foundation/ui_globals.h"

const ExtraColumnDef ExtraColumnTable[13] = {
    {L"desc", "xc_desc", 170, 0},     {L"company", "xc_company", 120, 0}, {L"copyright", "xc_copyright", 150, 0},
    {L"lang", "xc_lang", 90, 0},      {L"bits", "xc_bits", 55, 2},        {L"built", "xc_built", 80, 0},
    {L"kind", "xc_kind", 110, 0},     {L"unicode", "xc_unicode", 60, 2},  {L"caps", "xc_caps", 220, 0},
    {L"size", "xc_size", 70, 1},      {L"fdate", "xc_fdate", 110, 0},     {L"reach", "xc_reach", 110, 0},
    {L"used", "xc_used", 150, 0},
};
std::vector<int32_t> ExtraColIds;
std::map<std::wstring, int32_t> ExtraColWidthMap;

namespace {

const wchar_t* const TabWords[7] = {L"lister", L"content", L"packer", L"filesystem", L"inventory", L"findings",
                                    L"preview"};

struct ListKeys {
    const wchar_t* sortKey;
    const wchar_t* colsKey;
    HWND list;
};
std::vector<ListKeys> StoredLists(const MainControls& c) {
    return {{L"SortPlugins", L"ColsPlugins", c.pluginList},
            {L"SortExts", L"ColsExts", c.extList},
            {L"SortInventory", L"ColsInventory", c.inventoryList},
            {L"SortFindings", L"ColsFindings", c.findingsList}};
}

std::wstring ReadWindowKey(const wchar_t* key, const wchar_t* fallback, DWORD chars) {
    std::wstring buffer(chars, L'\0');
    DWORD n = GetPrivateProfileStringW(L"Window", key, fallback, buffer.data(), chars, SettingsIniPath().c_str());
    buffer.resize(n);
    return buffer;
}

int ReadWindowInt(const wchar_t* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntW(L"Window", key, fallback, SettingsIniPath().c_str()));
}

void WriteWindowKey(const wchar_t* key, const std::wstring& value) { WriteSettingsIniValue(L"Window", key, value.c_str()); }

int ScaledTo96(int pixels) { return MulDiv(pixels, 96, UiDpi); }

// The trimmed, non-empty items of a comma-separated value.
std::vector<std::wstring> CommaItems(const std::wstring& text) {
    std::vector<std::wstring> items;
    for (const std::wstring& item : SplitAt(text, L','))
        if (std::wstring trimmed = StrTrim(item); !trimmed.empty()) items.push_back(trimmed);
    return items;
}

int TabWordIndex(const std::wstring& word) {
    for (int i = 0; i < 7; ++i)
        if (word == TabWords[i]) return i;
    return -1;
}

std::wstring PluginColumnWidths(HWND list) {
    std::wstring text;
    for (int column = 0; column < 4; ++column)
        text += (column ? L"," : L"") + std::to_wstring(ScaledTo96(ListView_GetColumnWidth(list, column)));
    if (ListMinWidths.count(list))
        text += L"," + std::to_wstring(ScaledTo96(ListView_GetColumnWidth(list, PathColumn)));
    return text;
}

void InsertExtraColumn(HWND list, int position, const ExtraColumnDef& def) {
    auto remembered = ExtraColWidthMap.find(def.id);
    int width = remembered != ExtraColWidthMap.end() && remembered->second >= 16 ? remembered->second : def.width;
    static const int formats[3] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    ListViewAddColumn(list, 4 + position, Tr(def.titleKey), UiScale(width), formats[def.align]);
}

}  // namespace

void LoadFrameLayout(MainView& view) {
    int split = ReadWindowInt(L"Split", 45);
    split = split > 84 ? 85 : (split <= 15 ? 15 : split);
    view.splitRatio = split / 100.0;
    view.detailHeight = std::clamp(ReadWindowInt(L"DetailHeight", 76), 40, 1200);
}

std::optional<SavedPlacement> ParsePlacement(const std::wstring& text) {
    int x = 0, y = 0, w = 0, h = 0, maximized = 0;
    int read = swscanf(text.c_str(), L"%d,%d,%d,%d,%d", &x, &y, &w, &h, &maximized);
    if (read < 4 || w < 200 || h < 150) return std::nullopt;
    return SavedPlacement{{x, y, x + w, y + h}, read >= 5 && maximized != 0};
}

int StartTabIndex() {
    int tab = TabWordIndex(GetSetting(L"General", L"StartTab"));
    if (tab >= 0) return tab;
    std::wstring last = ReadWindowKey(L"LastTab", L"0", 32);
    tab = TabWordIndex(last);
    if (tab >= 0) return tab;
    int number = _wtoi(last.c_str());
    if (number == 3) return 4;  // older files stored numbers; their 3 is the inventory
    return number >= 0 && number <= 6 ? number : 0;
}

void RestoreListLayout(MainView& view, HWND list) {
    for (const ListKeys& keys : StoredLists(view.controls)) {
        if (!keys.list || keys.list != list) continue;
        int column = -1, direction = 0;
        swscanf(ReadWindowKey(keys.sortKey, L"-1,0", 32).c_str(), L"%d,%d", &column, &direction);
        SortStates[keys.list] = {column, direction != 0 ? 1 : 0};
        std::wstring widths = ReadWindowKey(keys.colsKey, L"", 256);
        if (widths.empty()) continue;
        ListViewSetColumnWidths(keys.list, widths);
        int columns = ListViewColumnCount(keys.list);
        if (columns >= 1 && std::count(widths.begin(), widths.end(), L',') >= columns - 1)
            ListMinWidths[keys.list] = ListView_GetColumnWidth(keys.list, columns - 1);
    }
    if (!list || list != view.controls.pluginList) return;
    for (const std::wstring& item : CommaItems(ReadWindowKey(L"ExtraColWidths", L"", 512))) {
        size_t colon = item.find(L':');
        if (colon == std::wstring::npos) continue;
        ExtraColWidthMap.emplace(item.substr(0, colon), _wtoi(item.c_str() + colon + 1));
    }
    // Columns chosen before the list was made are the model's; else the stored ones.
    std::vector<int32_t> columns = ExtraColIds;
    if (columns.empty())
        for (const std::wstring& item : CommaItems(ReadWindowKey(L"ExtraCols", L"", 512)))
            for (int32_t i = 0; i < 13; ++i)
                if (StrIEquals(StrTrim(item), ExtraColumnTable[i].id)) columns.push_back(i);
    if (columns.empty()) return;
    SortState kept = SortStates[list];
    // The new list has none of them yet.
    ExtraColIds.clear();
    PathColumn = 4;
    SetExtraCols(view, columns);
    SortStates[list] = kept;
}

void CaptureExtraColWidths(const MainView& view) {
    if (!view.controls.pluginList) return;
    for (size_t k = 0; k < ExtraColIds.size(); ++k)
        ExtraColWidthMap[ExtraColumnTable[ExtraColIds[k]].id] =
            ScaledTo96(ListView_GetColumnWidth(view.controls.pluginList, 4 + static_cast<int>(k)));
}

void SaveExtraCols(const MainView& view) {
    CaptureExtraColWidths(view);
    std::wstring ids, widths;
    for (int32_t id : ExtraColIds) ids += (ids.empty() ? L"" : L",") + std::wstring(ExtraColumnTable[id].id);
    for (const auto& [id, width] : ExtraColWidthMap)
        widths += (widths.empty() ? L"" : L",") + id + L":" + std::to_wstring(width);
    WriteWindowKey(L"ExtraCols", ids);
    WriteSettingsIniValue(L"Window", L"ExtraColWidths", widths.empty() ? nullptr : widths.c_str());
}

void SetExtraCols(MainView& view, std::vector<int32_t> columns) {
    HWND list = view.controls.pluginList;
    if (!list) {  // taken by the list when it is made
        std::sort(columns.begin(), columns.end());
        ExtraColIds = columns;
        PathColumn = 4 + static_cast<int32_t>(ExtraColIds.size());
        return;
    }
    CaptureExtraColWidths(view);
    SortState& sort = SortStates[list];
    const int oldPath = PathColumn;
    const wchar_t* sortedExtra = nullptr;
    bool sortedPath = false;
    if (sort.column > 3) {
        if (sort.column < oldPath) sortedExtra = ExtraColumnTable[ExtraColIds[sort.column - 4]].id;
        else sortedPath = sort.column == oldPath;
        sort.column = -1;
    }
    for (int column = 3 + static_cast<int>(ExtraColIds.size()); column >= 4; --column)
        ListViewDeleteColumn(list, column);
    std::sort(columns.begin(), columns.end());
    ExtraColIds = columns;
    for (size_t k = 0; k < ExtraColIds.size(); ++k)
        InsertExtraColumn(list, static_cast<int>(k), ExtraColumnTable[ExtraColIds[k]]);
    PathColumn = 4 + static_cast<int32_t>(ExtraColIds.size());
    if (sortedPath) sort.column = PathColumn;
    for (size_t k = 0; sortedExtra && k < ExtraColIds.size(); ++k)
        if (ExtraColumnTable[ExtraColIds[k]].id == sortedExtra) sort.column = 4 + static_cast<int>(k);
    ListViewFitLastColumn(list);
    ListViewShowSortArrow(list);
}

void SaveWindowLayout(const MainView& view) {
    const MainControls& c = view.controls;
    WriteWindowKey(L"Split", std::to_wstring(static_cast<int>(view.splitRatio * 100 + 0.5)));
    WriteWindowKey(L"DetailHeight", std::to_wstring(view.detailHeight));
    // A list never made this run leaves its keys as the last run wrote them.
    for (const ListKeys& keys : StoredLists(c)) {
        if (!keys.list) continue;
        const SortState& sort = SortStates[keys.list];
        WriteWindowKey(keys.sortKey, std::to_wstring(sort.column) + L"," + (sort.direction ? L"1" : L"0"));
    }
    int tab = c.tabCtl ? TabCtrl_GetCurSel(c.tabCtl) : 0;
    WriteWindowKey(L"LastTab", TabWords[std::clamp(tab, 0, 6)]);
    for (const ListKeys& keys : StoredLists(c)) {
        if (!keys.list) continue;
        if (keys.list == c.pluginList) {
            // A pending custom order shows the columns in a layout that is not the user's.
            bool customOrder = tab >= 0 && tab <= 3 && OrderIsCustom(tab);
            if (!customOrder) WriteWindowKey(keys.colsKey, PluginColumnWidths(keys.list));
            continue;
        }
        WriteWindowKey(keys.colsKey, ListViewColumnWidths(keys.list, ListMinWidths.count(keys.list) != 0));
    }
    if (!ExtraColIds.empty() || !ExtraColWidthMap.empty()) SaveExtraCols(view);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(c.main, &placement)) {
        const RECT& r = placement.rcNormalPosition;
        WriteWindowKey(L"Pos", std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                                   std::to_wstring(r.right - r.left) + L"," + std::to_wstring(r.bottom - r.top) +
                                   L"," + (placement.showCmd == SW_SHOWMAXIMIZED ? L"1" : L"0"));
    }
    SaveSettings(SettingsIniPath());
}
