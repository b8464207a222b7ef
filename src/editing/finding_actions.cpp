#include "editing/finding_actions.h"

#include <string>

#include "analyses/findings.h"
#include "editing/editing_host.h"
#include "editing/entry_edit.h"
#include "foundation/ui_globals.h"
#include "editing/launch.h"
#include "editing/lister_actions.h"
#include "editing/pending_ops.h"
#include "foundation/files.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"

namespace {

// A stray line of wincmd.ini, or a whole section of a plugin's own INI file.
std::wstring LineMarkText(const Finding& f) { return f.otherIni ? L"[" + f.iniFile + L"]" + f.display : f.display; }

void ToggleLineMark(IEditingHost& host, HWND owner, const Finding& f) {
    std::wstring key = MakePlugKey(f.tab, true, LineMarkText(f));
    if (PlugStates.erase(key)) {
        host.PendingChanged();
        return;
    }
    std::wstring q;
    if (f.otherIni)
        q = FillVars(Tr("ask_delsection"), {{L"s", f.display}, {L"f", FileStem(f.iniFile) + L".ini"}});
    else
        q = FillVars(Tr("ask_delete"), {{L"n", L"wincmd.ini: " + f.display}, {L"s", PlugSectionName(f.tab)}});
    if (host.Message(owner, q, MB_YESNO | MB_ICONQUESTION) != IDYES || FindFinding(f) < 0) return;
    PlugState s;
    s.kind = (uint32_t)f.tab;
    s.strayLine = 1;
    s.origKey = s.curKey = s.name = f.display;
    s.origValue = s.curValue = f.iniValue;
    s.deleted = 1;
    s.wholeSection = f.otherIni;
    s.sectionIniPath = f.iniFile;
    PlugStates[key] = s;
    host.PendingChanged();
}

void Append(HMENU menu, UINT id, const std::wstring& text, UINT flags = 0) {
    AppendMenuW(menu, MF_STRING | flags, id, text.c_str());
}

void Separator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

std::wstring FolderKey(const Finding& f) { return NotInstalledFolderKey(PathDir(f.diskFile)); }

HMENU BuildMenu(const Finding& f, const PlugRef& ref) {
    HMENU menu = CreatePopupMenu();
    bool disk = !f.diskFile.empty();
    if (disk) {
        Append(menu, FcOpen, Tr("cm_open"));
        Append(menu, FcOpenExplorer, Tr("cm_open_ex"));
        Append(menu, FcInfo, Tr("cm_info"), FileExists(ref.file) ? 0 : MF_GRAYED);
        Separator(menu);
        Append(menu, FcAckFolder, Tr(IsFindingAcked(FolderKey(f)) ? "cm_unackdir" : "cm_ackdir"));
        SetMenuDefaultItem(menu, FcOpen, FALSE);
    } else if (f.fix == FixModeGap) {
        Append(menu, FcModeGap, Tr("cm_modegap"));
        SetMenuDefaultItem(menu, FcModeGap, FALSE);
    } else if (!f.iniLine) {
        Append(menu, FcOpen, Tr("cm_jump"));
        SetMenuDefaultItem(menu, FcOpen, FALSE);
        Separator(menu);
        if (f.fix == FixCaps) Append(menu, FcTakeCaps, Tr("cm_take_caps"));
        if (f.fix == FixDetect) Append(menu, FcTakeDetect, Tr("cm_take_plugin"));
        Append(menu, FcEdit, EditMenuText(f.tab));
    }
    if (!disk && f.fix != FixModeGap)
        Append(menu, FcDelete, Tr(f.iniLine && FindingPending(f) ? "cm_undelete" : "cm_delete"));
    Separator(menu);
    Append(menu, FcAck, Tr(f.acked ? "cm_unack" : "cm_ack"));
    Append(menu, FcShowAck, Tr("cm_showack"), ShowAcked ? MF_CHECKED : 0);
    Separator(menu);
    Append(menu, FcCopy, Tr("cm_copy_finding"));
    return menu;
}

}  // namespace

void FindingEntryAction(IEditingHost& host, HWND owner, int index, unsigned cmd) {
    if (index < 0 || (size_t)index >= Findings.size()) return;
    const Finding f = Findings[(size_t)index];  // the question or the editor may outlast a rebuild
    if (f.iniLine) {
        if (cmd == FcDelete) ToggleLineMark(host, owner, f);
        return;
    }
    if (!f.diskFile.empty()) return;
    int row = host.JumpToFinding(index);
    if (row < 0 || (size_t)row >= TabEntries.size()) return;
    std::wstring ext = f.tab == KindPacker ? f.display : L"";
    if (cmd == FcEdit) EditEntry(host, owner, row, ext);
    else if (cmd == FcDelete) AskMarkDelete(host, owner, row, ext);
    else if (cmd == FcTakeCaps) {
        TakePackerCaps((size_t)row);
        host.PendingChanged();
    } else if (cmd == FcTakeDetect && TakePluginDetect(TabEntries[(size_t)row])) host.PendingChanged();
}

void FindingsMenu(IEditingHost& host, HWND owner, POINT screen, int index) {
    if (index < 0 || (size_t)index >= Findings.size()) return;
    const Finding f = Findings[(size_t)index];
    PlugRef ref = MakePluginRef(f.name, f.diskFile);
    HMENU menu = BuildMenu(f, ref);
    unsigned cmd = host.PopupMenu(owner, screen, menu);
    DestroyMenu(menu);
    // A probe job that ended meanwhile rebuilt and sorted the findings: the
    // commands that act on the finding's entry find it again, or do nothing.
    if (cmd == FcOpen || cmd == FcTakeDetect || cmd == FcEdit || cmd == FcTakeCaps || cmd == FcDelete) {
        index = FindFinding(f);
        if (index < 0) return;
    }
    switch (cmd) {
    case 0: return;
    case FcOpen: host.JumpToFinding(index); return;
    case FcOpenExplorer: ShowInExplorer(ref); return;
    case FcInfo: host.ShowPluginInfo(ref); return;
    case FcCopy: UiCopyToClipboard(owner, TabName(f.tab) + L"\t" + f.name + L"\t" + f.text); return;
    case FcAck: SetAcknowledged(f.ackKey, !f.acked); break;
    case FcShowAck: ShowAcked = !ShowAcked; break;
    case FcAckFolder: SetAcknowledged(FolderKey(f), !IsFindingAcked(FolderKey(f))); break;
    case FcModeGap: ModeGapFix(host, owner); return;
    default: FindingEntryAction(host, owner, index, cmd); return;
    }
    host.PendingChanged();
}
