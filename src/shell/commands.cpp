#include "shell/commands.h"

#include <shellapi.h>

#include <string>

#include <commctrl.h>

#include "analyses/plugin_caches.h"
#include "analyses/preview_state.h"
#include "foundation/data_folder.h"
#include "foundation/files.h"
#include "foundation/texts.h"
#include "probe/background_probe.h"
#include "probe/plugin_info.h"
#include "probe_record/probe_result.h"
#include "foundation/list_view.h"
#include "hostcfg/kept.h"
#include "install/install_command.h"
#include "install/uninstall.h"
#include "shell/editing_hooks.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/preview_events.h"
#include "shell/saving_hooks.h"
#include "shell/settings_apply.h"
#include "views/main_controls.h"
#include "views/tab_fill.h"
#include "views/text_popup.h"
#include "views/view_state.h"

std::map<int, std::function<void(HWND window)>> FeatureCommands;

namespace {

bool OnPluginTab() { return !TabIsInventory && !TabIsFindings && !TabIsPreview; }

void Say(HWND window, const std::wstring& text, UINT icon) {
    MessageBoxW(window, text.c_str(), L"Kestrovane", MB_OK | icon);
}

// A command whose work another feature brings: that feature, or a plain word.
void RunFeature(HWND window, int id) {
    if (auto it = FeatureCommands.find(id); it != FeatureCommands.end() && it->second) {
        it->second(window);
        return;
    }
    Say(window, FillVar(Tr("cmd_later"), L"c", CommandCaption(window, id)), MB_ICONINFORMATION);
}

void Reload(HWND window) {
    ResetPluginCaches();
    FillTab(MainWindowOf(window));
}

void OpenChangeLog(HWND window) {
    std::wstring path = ChangeLogPath();
    if (FileExists(path)) ShellExecuteW(window, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void ShowPluginInfoOf(const PlugRef& ref) {
    if (!ref.hasPath) return;
    std::wstring text = PluginInfoText(ref.path, ref.expandedPath, ref.file, ShownFieldUsage);
    UiShowTextPopup(FillVar(Tr("info_title"), L"n", ref.name), text);
}

namespace {

void ShowPluginInfo() { ShowPluginInfoOf(SelectedPluginRef(-1)); }

// The child controls act only on the notification that is theirs.
bool ChildControl(HWND window, int id, int code) {
    bool button = id == IdSearchPrevBtn || id == IdSearchNextBtn || id == IdSearchClearBtn ||
                  id == IdPvPickContentBtn || id == IdPvPickListerBtn || id == IdPvEmptyCheck ||
                  id == IdPvUnitsCheck || id == IdPvToggleBtn;
    if (!button && id != IdSearchEdit) return false;
    if ((button && code != BN_CLICKED) || (id == IdSearchEdit && code != EN_CHANGE)) return true;
    if (id == IdSearchClearBtn && SearchEdit) {
        SetWindowTextW(SearchEdit, L"");
        SetFocus(SearchEdit);
        return true;
    }
    if (auto it = FeatureCommands.find(id); it != FeatureCommands.end() && it->second) it->second(window);
    return true;
}

}  // namespace

std::wstring CommandCaption(HWND window, int id) {
    wchar_t text[256] = {};
    HMENU menu = GetMenu(window);
    if (!menu || !GetMenuStringW(menu, (UINT)id, text, 256, MF_BYCOMMAND)) return std::to_wstring(id);
    std::wstring caption = text;
    caption = caption.substr(0, caption.find(L'\t'));
    std::erase(caption, L'&');
    if (caption.ends_with(L"…")) caption.pop_back();
    return caption;
}

LRESULT OnMainCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    if (OnPreviewCommand(window, wParam)) return 0;
    if (ChildControl(window, id, HIWORD(wParam))) return 0;
    if (EditingCommand(window, id)) return 0;
    switch (id) {
    case CmdReload: Reload(window); return 0;
    case CmdExit: PostMessageW(window, WM_CLOSE, 0, 0); return 0;
    case CmdAbout: ShowAbout(window); return 0;
    case CmdLegend: ShowHelp(window, L"e00_zeichen", true); return 0;
    case CmdOpenLog: OpenChangeLog(window); return 0;
    case CmdPluginInfo: ShowPluginInfo(); return 0;
    case CmdSave: SaveCommand(window); return 0;
    case CmdDiscard: DiscardCommand(window); return 0;
    case CmdHelp: ShowHelp(window, HelpPageForCurrentTab(), false); return 0;
    case CmdInstall: InstallWhenFree(MainWindowOf(window), window, L""); return 0;
    case CmdSettings: RunSettingsSheet(); return 0;
    // Edit and delete act on the findings tab and the plugin tabs only.
    case CmdEdit:
    case CmdDelete:
        if (!TabIsInventory && !TabIsPreview) RunFeature(window, id);
        return 0;
    case CmdUninstall:
        if (OnPluginTab() && PluginList) {
            int row = ListViewItemData(PluginList, ListView_GetNextItem(PluginList, -1, LVNI_SELECTED));
            if (row >= 0 && row < KeptIdBase) Uninstall(MainWindowOf(window), window, row);
        }
        return 0;
    }
    if (id >= CmdOpenIni && id <= CmdInstall) {
        RunFeature(window, id);
        return 0;
    }
    return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}
