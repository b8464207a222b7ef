#include "editing/open_ini.h"

#include "analyses/plugin_caches.h"
#include "editing/editing_host.h"
#include "editing/pending_ops.h"
#include "editing/tc_control.h"
#include "foundation/logs.h"
#include "foundation/system_dlls.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/tc_discovery.h"

void OpenIniDialog(IEditingHost& host, HWND owner) {
    wchar_t file[260] = {};
    lstrcpynW(file, WincmdIniPath.c_str(), 260);
    std::wstring filter = Tr("dlg_filter_ini") + L'\0' + L"*.ini" + L'\0' + Tr("dlg_filter_all") + L'\0' + L"*.*" +
                          L'\0' + L'\0';
    std::wstring title = Tr("dlg_open");
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = 260;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    const Comdlg32Dll* dialogs = Comdlg32();
    if (dialogs && dialogs->GetOpenFileNameW(&ofn)) OpenIniFile(host, owner, file);
}

bool OpenIniFile(IEditingHost& host, HWND owner, const std::wstring& path) {
    if (CountPendingChanges() > 0 && host.Message(owner, Tr("ask_discard"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    DiscardPending();
    // TC keeps running on its own file: a later save must restart it on that one.
    if (TcOwnIniPath.empty()) TcOwnIniPath = WincmdIniPath;
    WincmdIniPath = path;
    ApplyTcFolder();
    DebugLog(L"wincmd.ini opened: " + path);
    ResetPluginCaches();
    host.RefillShownTab();
    return true;
}
