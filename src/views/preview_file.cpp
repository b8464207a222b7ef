#include "views/preview_file.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "foundation/data_folder.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "views/lister_check_list.h"
#include "views/main_controls.h"
#include "views/panes.h"
#include "views/tab_fill.h"
#include "views/view_state.h"

namespace {

constexpr int PreviewTab = 6;
constexpr DWORD PickBufferChars = 1040;

// The file shown in the file label and remembered for the next start.
void TakePreviewFile(const std::wstring& path) {
    PreviewFile = path;
    if (PvFileLabel) SetWindowTextW(PvFileLabel, path.c_str());
    WriteSettingsIniValue(L"Preview", L"LastFile", path.c_str());
}

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

void PreviewTabRefresh(IPreviewView& view) {
    if (PreviewMode == 1) LvFillCheck();
    else PvRefresh(view);
}

void PvSetFile(IPreviewView& view, const std::wstring& path, bool lister) {
    if (path.empty()) return;
    SetPreviewMode(lister ? 1 : 0);
    TakePreviewFile(path);
    if (TabCtl && TabCtrl_GetCurSel(TabCtl) != PreviewTab) {
        TabCtrl_SetCurSel(TabCtl, PreviewTab);
        FillTab(view);
    } else {
        PreviewTabRefresh(view);
    }
}

void PvPickFile(IPreviewView& view, HWND owner) {
    std::vector<wchar_t> name(PickBufferChars, L'\0');
    PreviewFile.copy(name.data(), name.size() - 1);
    std::wstring filter = Tr("pv_filter_all") + std::wstring(L"\0*.*\0\0", 7);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = PickBufferChars;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return;
    TakePreviewFile(name.data());
    PreviewTabRefresh(view);
}

void PvPickWithMode(IPreviewView& view, HWND owner, int mode) {
    int old = PreviewMode;
    SetPreviewMode(mode);
    if (PreviewMode != old) {
        if (LayoutPanes) LayoutPanes();
        PreviewTabRefresh(view);
        if (!PreviewFile.empty()) return;
    }
    PvPickFile(view, owner);
}
