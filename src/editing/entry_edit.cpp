#include "editing/entry_edit.h"

#include <algorithm>
#include <set>

#include "analyses/detect_notes.h"
#include "dsx/entry_editor.h"
#include "editing/editing_host.h"
#include "editing/kept_rows.h"
#include "foundation/ui_globals.h"
#include "editing/pending_ops.h"
#include "foundation/ini_value_check.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

enum : UINT { CmdCopyExt = 3007, CmdWhoExt = 3008, CmdEdit = 3010, CmdDelete = 3013 };
constexpr UINT ErrorBox = MB_OK | MB_ICONEXCLAMATION;

bool Refuse(IEditingHost& host, HWND owner, const char* key) {
    host.Message(owner, Tr(key), ErrorBox);
    return false;
}

void Changed(IEditingHost& host) {
    PrunePlugStates();
    host.PendingChanged();
}

bool PathAccepted(IEditingHost& host, HWND owner, const std::wstring& path, const PlugEntry& e) {
    if (path.empty()) return Refuse(host, owner, "err_empty");
    return StrIEquals(path, e.path) || ConfirmMissingFile(host, owner, path);
}

int PluginCaps(const PlugEntry& e) { return e.probeStatus == ProbeOk ? StrToInt(e.probeAnswer) : -1; }

// A whole number of at most five digits up to 65535; -1 otherwise.
int PackerNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return -1;
    int v = StrToInt(text);
    return v <= 65535 ? v : -1;
}

struct PackerLine {
    std::wstring ext, asRead, number, path;
    int ownNumber = 0;  // what the line keeps when the form leaves the number empty
};

std::vector<PackerLine> PackerLines(const PlugEntry& e, const std::wstring& ext) {
    std::vector<PackerLine> lines;
    for (size_t i : FindEntryByName(e, ext)) {
        const std::wstring& x = e.iniDetect.items[i].text;
        int flags = i < e.packerFlags.size() ? e.packerFlags[i] : 0;
        PackerLine line{x, NumberCommaText(flags, i < e.packerPaths.size() ? e.packerPaths[i] : e.path), L"", L"", flags};
        const PlugState* s = FindPlugState(KindPacker, x);
        std::wstring value = s && !s->deleted ? s->curValue : line.asRead;
        auto [number, path] = SplitAtComma(value);
        // A value without a comma holds no number: the line keeps the one it was read with.
        if (value.find(L',') == std::wstring::npos) std::swap(number, path);
        else line.ownNumber = StrToInt(number);
        line.number = number;
        line.path = path;
        lines.push_back(std::move(line));
    }
    return lines;
}

void EditPacker(IEditingHost& host, HWND owner, const PlugEntry& e, const std::wstring& ext) {
    std::vector<PackerLine> lines = PackerLines(e, ext);
    if (lines.empty()) return;
    std::wstring names;
    bool sameNumber = true;
    for (const PackerLine& l : lines) {
        names += (names.empty() ? L"" : L", ") + l.ext;
        sameNumber = sameNumber && l.number == lines[0].number;
    }
    EntryEditForm form;
    form.title = FillVar(Tr("edit_entry_title"), L"n", names + L" (" + e.name + L")");
    form.label1 = Tr(lines.size() == 1 ? "edit_number" : "edit_number_all");
    form.value1 = sameNumber ? lines[0].number : L"";
    form.label2 = Tr("edit_path");
    form.value2 = lines[0].path;
    form.packer = 1;
    form.pathField = 2;
    form.pluginCaps = PluginCaps(e);
    if (!host.RunEntryEditor(owner, form)) return;
    int number = form.value1.empty() ? -1 : PackerNumber(form.value1);
    if ((!form.value1.empty() && number < 0) || (form.value1.empty() && lines.size() == 1)) {
        Refuse(host, owner, "err_number");
        return;
    }
    if (!PathAccepted(host, owner, form.value2, e) || FindTabEntry(MarkOf(e)) < 0) return;
    for (const PackerLine& l : lines) {
        PlugState& s = GetPlugState(KindPacker, l.ext, l.asRead, e.name);
        s.deleted = 0;
        s.curValue = NumberCommaText(number >= 0 ? number : l.ownNumber, form.value2);
    }
    Changed(host);
}

void EditFileSystem(IEditingHost& host, HWND owner, const PlugEntry& e) {
    const PlugState* s = FindPlugState(KindFileSystem, e.name);
    bool live = s && !s->deleted;
    EntryEditForm form;
    form.title = FillVar(Tr("edit_entry_title"), L"n", e.name);
    form.label1 = Tr("edit_fsname");
    form.value1 = live ? s->curKey : e.name;
    form.label2 = Tr("edit_path");
    form.value2 = live ? s->curValue : e.path;
    form.pathField = 2;
    if (!host.RunEntryEditor(owner, form)) return;
    if (form.value1.empty() || form.value2.empty()) {
        Refuse(host, owner, "err_empty");
        return;
    }
    if (IniKeyProblem(form.value1)) {
        Refuse(host, owner, "err_fsname");
        return;
    }
    int row = FindTabEntry(MarkOf(e));
    if (row < 0) return;
    for (size_t i = 0; i < TabEntries.size(); ++i)
        if ((int)i != row && StrIEquals(TabEntries[i].name, form.value1)) {
            Refuse(host, owner, "err_fsdup");
            return;
        }
    if (!PathAccepted(host, owner, form.value2, e) || FindTabEntry(MarkOf(e)) < 0) return;
    PlugState& state = GetPlugState(KindFileSystem, e.name, e.path, e.name);
    state.deleted = 0;
    state.curKey = form.value1;
    state.curValue = form.value2;
    Changed(host);
}

std::wstring DetectShown(const PlugEntry& e) {
    const PendingEdit* edit = FindEntryEdit((int)e.kind, e.number);
    if (edit && EntryDiffers(*edit)) return edit->explicitDetect ? edit->explicitDetectText : ComposeDetectString(*edit);
    return e.hasDetect ? e.detectText : L"";
}

void EditNumbered(IEditingHost& host, HWND owner, const PlugEntry& e, size_t row) {
    const PendingEdit* edit = FindEntryEdit((int)e.kind, e.number);
    EntryEditForm form;
    form.title = FillVar(Tr("edit_entry_title"), L"n", EntryNumberText(e.number) + L" " + e.name);
    form.label1 = Tr("edit_path");
    form.value1 = edit && edit->pathChanged ? edit->newPath : e.path;
    form.label2 = Tr("edit_label");
    form.value2 = DetectShown(e);
    form.detectEditor = 1;
    form.pathField = 1;
    form.knownExts = KnownExtensions(row, form.ownExtCount);
    const std::wstring before = form.value2;
    if (!host.RunEntryEditor(owner, form)) return;
    if (!PathAccepted(host, owner, form.value1, e) || FindTabEntry(MarkOf(e)) < 0) return;
    PendingEdit& pending = PendingEditFor(e);
    pending.pathChanged = 1;
    pending.newPath = form.value1;
    if (NormKeyText(before) != NormKeyText(form.value2) || before.empty() != form.value2.empty()) {
        pending.explicitDetect = 1;
        pending.explicitDetectText = form.value2;
        pending.addedExts.clear();
        pending.removedExts.clear();
    }
    DropPendingIfUnchanged((int)e.kind, e.number);
    Changed(host);
}

void AddExt(std::vector<std::wstring>& list, std::set<std::wstring>& seen, const std::wstring& ext) {
    std::wstring up = UpperCase(ext);
    if (up.empty() || up == L"*" || !seen.insert(up).second) return;
    list.push_back(up);
}

std::wstring ClaimNote(const PlugEntry& e, const std::wstring& key) {
    std::wstring note;
    if (e.kind == KindLister && e.iniDetect.forced.count(UpperCase(key))) note = Tr("h_key4");
    size_t exts = (size_t)std::count_if(e.iniDetect.items.begin(), e.iniDetect.items.end(),
                                        [](const DetectItem& i) { return i.kind == DetItemExt; });
    if (exts >= 2) note += (note.empty() ? L"" : L" · ") + FillVar(Tr("who_exts"), L"n", std::to_wstring(exts));
    return note;
}

std::wstring DetectLine(const PlugEntry& e, const std::wstring& key, bool claimer) {
    const std::wstring indent(5, L' ');
    if (claimer && !e.iniDetect.complex && !key.empty() && e.detectText.size() > 400)
        return indent + MakeExtTerm(key) + L" | ...\r\n";
    return DsWrap(e.hasDetect ? e.detectText : Tr("det_none"), 90, indent);
}

}  // namespace

std::vector<std::wstring> KnownExtensions(size_t row, uint64_t& ownCount) {
    std::vector<std::wstring> list;
    std::set<std::wstring> seen;
    ownCount = 0;
    if (row >= TabEntries.size()) return list;
    for (const DetectItem& item : TabEntries[row].pluginDetect.items)
        if (item.kind == DetItemExt) AddExt(list, seen, item.text);
    ownCount = list.size();
    std::set<std::wstring> others;
    for (const PlugEntry& e : TabEntries)
        for (const DetectItem& item : e.iniDetect.items)
            if (item.kind == DetItemExt) others.insert(UpperCase(item.text));
    for (const std::wstring& x : others) AddExt(list, seen, x);
    return list;
}

// The editor works on a copy of the entry, and the entry is looked up again once
// the editor and its questions are answered: the rows may be refilled meanwhile.
void EditEntry(IEditingHost& host, HWND owner, int row, const std::wstring& ext) {
    if (row < 0 || (size_t)row >= TabEntries.size()) return;
    const PlugEntry e = TabEntries[(size_t)row];
    if (e.kind == KindPacker) EditPacker(host, owner, e, ext);
    else if (e.kind == KindFileSystem) EditFileSystem(host, owner, e);
    else EditNumbered(host, owner, e, (size_t)row);
}

std::wstring WhoClaimsReport(IEditingHost& host, const std::wstring& key, const std::vector<size_t>& claimers) {
    std::set<size_t> claim(claimers.begin(), claimers.end());
    std::vector<size_t> shown;
    for (size_t i = 0; i < TabEntries.size(); ++i)
        if (claim.count(i) || IsGreedyLister(TabEntries[i])) shown.push_back(i);
    size_t width = 8;
    for (size_t i : shown) width = std::max(width, TabEntries[i].name.size());
    std::wstring text = Tr("who_first") + L"\r\n";
    for (size_t i : shown) {
        const PlugEntry& e = TabEntries[i];
        bool claimer = claim.count(i) != 0;
        std::wstring glyph = host.RowStateGlyph(e);
        text += L"\r\n" + StrPadRight(std::to_wstring(e.number), 5) + StrPadRight(e.name, width + 2) +
                StrPadRight(glyph, 4) + (claimer ? ClaimNote(e, key) : Tr("lgm_greedy")) + L"\r\n" +
                DetectLine(e, key, claimer);
    }
    return text;
}

void ExtRowMenu(IEditingHost& host, HWND owner, POINT screen, int shown, uint32_t rowKind, std::wstring key,
                const std::vector<size_t>& claimers) {
    bool valid = shown >= 0 && (size_t)shown < TabEntries.size();
    bool packer = valid && TabEntries[(size_t)shown].kind == KindPacker;
    if (!packer && rowKind != 0) return;
    EntryMark shownMark = valid ? MarkOf(TabEntries[(size_t)shown]) : EntryMark{};
    std::vector<EntryMark> claimerMarks;
    for (size_t i : claimers)
        if (i < TabEntries.size()) claimerMarks.push_back(MarkOf(TabEntries[i]));
    std::wstring label = key.empty() ? Tr("ext_noext") : key;
    HMENU menu = CreatePopupMenu();
    if (packer) {
        const PlugState* s = FindPlugState(KindPacker, key);
        AppendMenuW(menu, MF_STRING, CmdEdit, Tr("cm_edit_pk").c_str());
        AppendMenuW(menu, MF_STRING, CmdDelete, Tr(s && s->deleted ? "cm_undelete" : "cm_delete").c_str());
    } else {
        AppendMenuW(menu, MF_STRING, CmdWhoExt, FillVar(Tr("cm_who_ext"), L"e", label).c_str());
    }
    AppendMenuW(menu, MF_STRING, CmdCopyExt, Tr("cm_copy_ext").c_str());
    UINT cmd = host.PopupMenu(owner, screen, menu);
    DestroyMenu(menu);
    // The rows may have been refilled while the menu was open: the entries are found again.
    if (cmd == CmdEdit || cmd == CmdDelete) {
        int now = valid ? FindTabEntry(shownMark) : -1;
        if (now >= 0 && cmd == CmdEdit) EditEntry(host, owner, now, key);
        if (now >= 0 && cmd == CmdDelete) AskMarkDelete(host, owner, now, key);
    } else if (cmd == CmdCopyExt) {
        UiCopyToClipboard(owner, key);
    } else if (cmd == CmdWhoExt) {
        std::vector<size_t> still;
        for (const EntryMark& mark : claimerMarks)
            if (int now = FindTabEntry(mark); now >= 0) still.push_back((size_t)now);
        host.ShowTextPopup(FillVar(Tr("who_title"), L"e", label), WhoClaimsReport(host, key, still));
    }
}
