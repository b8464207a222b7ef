#include "editing/kept_rows.h"

#include <commctrl.h>

#include <algorithm>

#include "editing/editing_host.h"
#include "editing/pending_ops.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/list_view.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

enum : int { ColName = 1, ColState = 3 };
enum : UINT { CmdEnable = 1, CmdCopyPath = 2, CmdForget = 3 };

// The rows may have been refilled while a menu or a question was open: the kept
// entry is acted on only while the rows still hold it.
bool StillKept(const std::wstring& key) {
    return std::any_of(KeptEntries.begin(), KeptEntries.end(), [&](const KeptEntry& k) { return k.key == key; });
}

}  // namespace

bool ConfirmMissingFile(IEditingHost& host, HWND owner, const std::wstring& path) {
    std::wstring expanded = EnvExpand(path);
    if (FileExists(expanded) || FileExists(expanded + L"64")) return true;
    std::wstring q = FillVar(Tr("ask_nofile"), L"f", expanded);
    return host.Message(owner, q, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void UpdateKeptRowTexts(HWND list) {
    int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        int id = ListViewItemData(list, row);
        if (id < 0) continue;
        if (id >= KeptIdBase) {
            size_t i = (size_t)(id - KeptIdBase);
            if (i >= KeptEntries.size()) continue;
            bool on = PendingReactivations.count(KeptEntries[i].key) != 0;
            ListViewSetCell(list, row, ColName, KeptEntries[i].name + (on ? L" *" : L""));
            ListViewSetCell(list, row, ColState, Tr(on ? "chk_enable" : "chk_disabled"));
        } else if ((size_t)id < TabEntries.size()) {
            const PlugEntry& e = TabEntries[(size_t)id];
            ListViewSetCell(list, row, ColName, e.name + (RowHasPending(e) ? L" *" : L""));
        }
    }
}

bool DisabledRowMenu(IEditingHost& host, HWND owner, POINT screen, int itemData) {
    if (itemData < KeptIdBase || (size_t)(itemData - KeptIdBase) >= KeptEntries.size()) return false;
    KeptEntry kept = KeptEntries[(size_t)(itemData - KeptIdBase)];
    bool pending = PendingReactivations.count(kept.key) != 0;
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, CmdEnable, Tr(pending ? "cm_enable_undo" : "cm_enable").c_str());
    SetMenuDefaultItem(menu, CmdEnable, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, CmdCopyPath, Tr("cm_copy_path").c_str());
    AppendMenuW(menu, MF_STRING, CmdForget, Tr("cm_forget").c_str());
    UINT cmd = host.PopupMenu(owner, screen, menu);
    DestroyMenu(menu);
    if (cmd == CmdCopyPath) {
        UiCopyToClipboard(owner, EnvExpand(kept.path));
        return true;
    }
    if (!StillKept(kept.key)) return true;
    if (cmd == CmdEnable && pending) {
        PendingReactivations.erase(kept.key);
        host.PendingChanged();
    } else if (cmd == CmdEnable && ConfirmMissingFile(host, owner, kept.path) && StillKept(kept.key)) {
        PendingReactivations.insert(kept.key);
        host.PendingChanged();
    } else if (cmd == CmdForget) {
        std::wstring q = FillVar(Tr("ask_forget"), L"n", kept.name);
        if (host.Message(owner, q, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES && StillKept(kept.key)) {
            RemoveDisabledKey(kept.key);
            PendingReactivations.erase(kept.key);
            host.PendingChanged();
        }
    }
    return true;
}
