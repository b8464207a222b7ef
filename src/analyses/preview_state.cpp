#include "analyses/preview_state.h"

#include <windows.h>
#include <commctrl.h>

#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "views/panes.h"
#include "views/ui_globals.h"
#include "views/view_state.h"

std::wstring PreviewFile;
std::function<void()> PvRefreshContent;
std::function<void()> PvRefreshLister;

namespace {

constexpr int PreviewTab = 6;

void WritePreviewKey(const wchar_t* key, const std::wstring& value) {
    IniEnsureUtf16(SettingsIniPath());
    WritePrivateProfileStringW(L"Preview", key, value.c_str(), SettingsIniPath().c_str());
}

}  // namespace

void SetPreviewMode(int mode) {
    PreviewMode = mode == 1 ? 1 : 0;
    std::wstring word = PreviewMode ? L"lister" : L"content";
    WritePreviewKey(L"Mode", word);
    SettingsValues[L"Preview/Mode"] = word;
    UiApplyFonts();
    if (KeyBar) InvalidateRect(KeyBar, nullptr, FALSE);
    if (TabIsPreview && LayoutPanes) LayoutPanes();
}

void PvRefreshShown() {
    const std::function<void()>& refresh = PreviewMode == 1 ? PvRefreshLister : PvRefreshContent;
    if (refresh) refresh();
}

void PvSetFile(const std::wstring& path, bool lister) {
    if (path.empty()) return;
    SetPreviewMode(lister ? 1 : 0);
    PreviewFile = path;
    if (PvFileLabel) SetWindowTextW(PvFileLabel, path.c_str());
    WritePreviewKey(L"LastFile", path);
    if (TabCtl && TabCtrl_GetCurSel(TabCtl) != PreviewTab) {
        TabCtrl_SetCurSel(TabCtl, PreviewTab);
        if (FillCurrentTab) FillCurrentTab();
    } else {
        PvRefreshShown();
    }
}
