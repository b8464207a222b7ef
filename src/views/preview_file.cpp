#include "views/preview_file.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/system_dlls.h"
#include "foundation/texts.h"
#include "views/lister_check_list.h"
#include "views/page_window.h"
#include "views/panes.h"
#include "views/tab_fill.h"

namespace {

constexpr int PreviewTab = 6;
constexpr DWORD PickBufferChars = 1040;

// The file shown in the file label and remembered for the next start.
void TakePreviewFile(const MainView& view, const std::wstring& path) {
    PreviewFile = path;
    if (view.controls.pvFileLabel) SetWindowTextW(view.controls.pvFileLabel, path.c_str());
    WriteSettingsIniValue(L"Preview", L"LastFile", path.c_str());
}

}  // namespace

void SetPreviewMode(MainView& view, int mode) {
    view.previewMode = mode == 1 ? 1 : 0;
    std::wstring word = view.previewMode ? L"lister" : L"content";
    WriteSettingsIniValue(L"Preview", L"Mode", word.c_str());
    SettingsValues[L"Preview/Mode"] = word;
    UiApplyFonts(view);
    if (view.controls.keyBar) InvalidateRect(view.controls.keyBar, nullptr, FALSE);
    if (view.tabIsPreview) LayoutPagePanes(view);
}

void PreviewTabRefresh(MainView& view) {
    if (view.previewMode == 1) LvFillCheck(view);
    else PvRefresh(view.host);
}

void PvSetFile(MainView& view, const std::wstring& path, bool lister) {
    if (path.empty()) return;
    SetPreviewMode(view, lister ? 1 : 0);
    TakePreviewFile(view, path);
    HWND tabs = view.controls.tabCtl;
    if (tabs && TabCtrl_GetCurSel(tabs) != PreviewTab) {
        TabCtrl_SetCurSel(tabs, PreviewTab);
        FillTab(view);
    } else {
        PreviewTabRefresh(view);
    }
}

void PvPickFile(MainView& view) {
    std::vector<wchar_t> name(PickBufferChars, L'\0');
    PreviewFile.copy(name.data(), name.size() - 1);
    std::wstring filter = Tr("pv_filter_all") + std::wstring(L"\0*.*\0\0", 7);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = view.controls.main;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = PickBufferChars;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const Comdlg32Dll* dialogs = Comdlg32();
    if (!dialogs || !dialogs->GetOpenFileNameW(&ofn)) return;
    TakePreviewFile(view, name.data());
    PreviewTabRefresh(view);
}

void PvPickWithMode(MainView& view, int mode) {
    int old = view.previewMode;
    SetPreviewMode(view, mode);
    if (view.previewMode != old) {
        LayoutPagePanes(view);
        PreviewTabRefresh(view);
        if (!PreviewFile.empty()) return;
    }
    PvPickFile(view);
}
