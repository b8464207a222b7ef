#include "views/preview_file.h"

#include <windows.h>
#include <commctrl.h>

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "views/lister_check_list.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/tab_fill.h"
#include "views/view_state.h"

namespace {

constexpr int PreviewTab = 6;

}  // namespace

void SetPreviewMode(int mode) {
    PreviewMode = mode == 1 ? 1 : 0;
    std::wstring word = PreviewMode ? L"lister" : L"content";
    WriteSettingsIniValue(L"Preview", L"Mode", word.c_str());
    SettingsValues[L"Preview/Mode"] = word;
    UiApplyFonts();
    if (KeyBar) InvalidateRect(KeyBar, nullptr, FALSE);
    if (TabIsPreview && LayoutPanes) LayoutPanes();
}

void PreviewTabRefresh() {
    if (PreviewMode == 1) LvFillCheck();
    else PvRefresh();
}

void PvSetFile(const std::wstring& path, bool lister) {
    if (path.empty()) return;
    SetPreviewMode(lister ? 1 : 0);
    PreviewFile = path;
    if (PvFileLabel) SetWindowTextW(PvFileLabel, path.c_str());
    WriteSettingsIniValue(L"Preview", L"LastFile", path.c_str());
    if (TabCtl && TabCtrl_GetCurSel(TabCtl) != PreviewTab) {
        TabCtrl_SetCurSel(TabCtl, PreviewTab);
        FillTab();
    } else {
        PreviewTabRefresh();
    }
}
