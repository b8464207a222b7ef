#include "views/ext_checklist.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "analyses/lister_state.h"
#include "analyses/detect_compare.h"
#include "dsx/edit.h"
#include "editing/pending_ops.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "views/list_rows.h"
#include "views/panes.h"
#include "views/tab_fill.h"
#include "foundation/labels.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
#include "views/cell_texts.h"

std::map<std::wstring, std::vector<size_t>> ExtClaims;

namespace {

const wchar_t kDot[] = L" \u00b7 ";

std::wstring WithTail(const std::wstring& head, const std::wstring& tail) {
    return tail.empty() ? head : head + kDot + tail;
}

// The other claimants of ext as "name (#n)" joined by ", "; "" when none.
std::wstring OtherClaimants(size_t shownIndex, const std::wstring& ext) {
    auto it = ExtClaims.find(ext);
    if (it == ExtClaims.end()) return L"";
    std::wstring text;
    for (size_t i : it->second)
        if (i != shownIndex) text += (text.empty() ? L"" : L", ") + ExtListKey4Text(i, ext);
    return text;
}

bool HasTextDetect(const PlugEntry& e) { return e.hasDetect && !StrTrim(e.detectText).empty(); }

bool Contains(const std::vector<std::wstring>& list, const std::wstring& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

struct RowsBuilder {
    const PlugEntry& e;
    size_t index;
    const PendingEdit* pe;
    bool explicitEdit;
    std::vector<ExtListRow> rows;

    bool Removed(const std::wstring& x) const { return pe && !explicitEdit && pe->removedExts.count(x); }
    bool Added(const std::wstring& x) const { return pe && !explicitEdit && Contains(pe->addedExts, x); }

    void Add(const DetectItem& item, std::wstring state, std::wstring hint, int check, int mode) {
        rows.push_back({{(uint32_t)item.kind, item.text}, KeywordListText(item), std::move(state), std::move(hint),
                        check, check < 0 ? ExtModeNone : mode});
    }
    void AddInfo(const std::wstring& key, std::wstring state, std::wstring hint) {
        ExtListRow& row = rows.emplace_back();
        row.row = {DetItemEmpty, key};
        row.label = key;
        row.state = std::move(state);
        row.hint = std::move(hint);
    }

    void IniItem(const DetectItem& item) {
        if (item.kind != DetItemExt) {
            Add(item, Tr("s_keyword"), KeywordLegendText(item.kind, &e), -1, ExtModeNone);
            return;
        }
        const DetectSpec& spec = e.iniDetect;
        const std::wstring& x = item.text;
        bool plain = !spec.complex || spec.plain.count(x);
        bool forced = spec.forced.count(x) != 0;
        std::wstring state;
        if (forced && e.kind == KindLister) state = Tr("s_active_force");
        else if (!forced && (!spec.complex || (plain && !spec.conditional.count(x)))) state = Tr("s_active");
        else state = Tr("s_active_cond");
        std::wstring others = OtherClaimants(index, x);
        std::wstring hint = others.empty() ? L"" : StrTrim(Tr("h_also")) + L" " + others;
        if (e.probeStatus == ProbeOk && !ExtListContains(e.pluginDetect.items, item)) {
            state = Tr("s_ini_only");
            hint = WithTail(Tr("h_ini_only"), hint);
        }
        bool removed = Removed(x);
        if (removed) state = Tr("s_will_remove");
        if (!plain) hint = Tr("h_cond_locked");
        else if (forced) hint = WithTail(Tr(e.kind == KindLister ? "h_force" : "kw_force_c"), hint);
        if (removed) {
            Add(item, state, hint, 0, plain ? ExtModeRemove : ExtModeLocked);
            return;
        }
        std::wstring tcStatus, tcHint;
        if (ListerStateText(ShownListerSettings, e, x, tcStatus, tcHint)) {
            if (!tcStatus.empty()) state = tcStatus;
            hint = WithTail(tcHint, hint);
        }
        Add(item, state, hint, 1, !plain || explicitEdit ? ExtModeLocked : ExtModeRemove);
    }

    void Excluded(const std::wstring& x) {
        DetectItem item{x, DetItemExt};
        if (!e.iniDetect.negatedListForm) {
            Add(item, Tr("s_excluded"), Tr("h_excluded"), -1, ExtModeNone);
        } else if (Removed(x)) {
            Add(item, Tr("s_unexclude"), Tr("h_excluded_edit"), 0, ExtModeRemove);
        } else {
            Add(item, Tr("s_excluded"), Tr("h_excluded_edit"), 1, explicitEdit ? ExtModeLocked : ExtModeRemove);
        }
    }

    void PluginItem(const DetectItem& p) {
        const DetectSpec& ini = e.iniDetect;
        if (ExtListContains(ini.items, p)) return;
        if (p.kind == DetItemExt && Contains(ini.excluded, p.text)) return;
        if (p.kind == DetItemNoDetect || p.kind == DetItemEmpty || p.kind == DetItemNoExt) return;
        bool willAdd = Added(p.text);
        bool locked = !HasTextDetect(e);
        std::wstring state = Tr(willAdd ? "s_will_add" : "s_new");
        if (p.kind != DetItemExt) {
            Add(p, state, KeywordLegendText(p.kind, &e), -1, ExtModeNone);
            return;
        }
        std::wstring hint = Tr(locked ? "h_nodetect_locked" : "h_new") + ExtRowHint(index, p.text);
        Add(p, state, hint, willAdd ? 1 : 0, locked || explicitEdit ? ExtModeLocked : ExtModeAdd);
    }

    void Parked(const std::wstring& x) {
        const DetectSpec& ini = e.iniDetect;
        DetectItem item{x, DetItemExt};
        bool negated = ini.negatedListForm != 0;
        if (negated) {
            if (Contains(ini.excluded, x)) return;
        } else if (ExtListContains(ini.items, item) || Contains(ini.excluded, x) ||
                   (e.probeStatus == ProbeOk && ExtListContains(e.pluginDetect.items, item))) {
            return;
        }
        bool toggled = Added(x);
        int mode = explicitEdit || !HasTextDetect(e) ? ExtModeLocked : ExtModeAdd;
        if (negated)
            Add(item, Tr(toggled ? "s_will_exclude" : "s_parked"), Tr("h_parked_ex"), toggled, mode);
        else
            Add(item, Tr(toggled ? "s_will_add" : "s_parked"), Tr("h_parked") + ExtRowHint(index, x), toggled, mode);
    }

    void ListerOrContent() {
        for (const auto& item : e.iniDetect.items) IniItem(item);
        for (const auto& x : e.iniDetect.excluded) Excluded(x);
        if (e.probeStatus == ProbeOk && !e.iniDetect.negatedListForm)
            for (const auto& p : e.pluginDetect.items) PluginItem(p);
        for (const auto& x : ParkedValue(e)) Parked(x);
    }

    void FileSystem() {
        std::wstring hint = FillVar(Tr("h_fsname"), L"n", e.name);
        if (e.probeStatus == ProbeOk && e.kindMask >= 0 && !(e.kindMask & 8)) hint = Tr("h_notfs");
        std::wstring state = Tr("s_fsentry");
        if (const PlugState* s = FindPlugState(KindFileSystem, e.name)) {
            if (s->deleted) state = Tr("s_will_remove") + L" *";
            else if (PlugStateNeeded(*s)) state = Tr("s_changed") + L" *";
        }
        AddInfo(e.name, state, hint);
    }

    void Packer() {
        int caps = e.probeStatus == ProbeOk ? _wtoi(e.probeAnswer.c_str()) : -1;
        for (size_t i = 0; i < e.iniDetect.items.size(); ++i) {
            const std::wstring& ext = e.iniDetect.items[i].text;
            int flag = i < e.packerFlags.size() ? e.packerFlags[i] : 0;
            std::wstring capsText = FillVar(Tr("s_caps"), L"n", std::to_wstring(flag));
            std::wstring state = capsText, hint;
            if (caps >= 0 && flag != caps) {
                if (uint32_t more = (uint32_t)caps & ~(uint32_t)flag)
                    hint = Tr("h_caps_plugin") + L" " + PackerCapsText(more);
                if (uint32_t less = (uint32_t)flag & ~(uint32_t)caps)
                    hint += (hint.empty() ? L"" : kDot) + Tr("h_caps_ini") + L" " + PackerCapsText(less);
                state += L"  \u2260 " + std::to_wstring(caps);
            } else {
                hint = PackerCapsText((uint32_t)flag);
            }
            if (const PlugState* s = FindPlugState(KindPacker, ext)) {
                if (s->deleted) {
                    state = Tr("s_will_remove") + L" *";
                } else if (PlugStateNeeded(*s)) {
                    auto [flags, path] = SplitAtComma(s->curValue);
                    state = capsText + L" \u2192 " + flags;
                    if (!StrIEquals(path, e.path)) state += L", " + Tr("s_newpath");
                    state += L" *";
                }
            }
            AddInfo(ext, state, hint);
        }
    }
};

}  // namespace

void BuildExtClaims() {
    ExtClaims.clear();
    for (size_t i = 0; i < TabEntries.size(); ++i)
        for (const auto& item : TabEntries[i].iniDetect.items)
            if (item.kind == DetItemExt) ExtClaims[item.text].push_back(i);
}

std::wstring ExtRowHint(size_t shownIndex, const std::wstring& ext) {
    std::wstring others = OtherClaimants(shownIndex, ext);
    return others.empty() ? L"" : kDot + StrTrim(Tr("h_already")) + L" " + others;
}

std::vector<ExtListRow> BuildExtListRows(size_t index) {
    if (index >= TabEntries.size()) return {};
    const PlugEntry& e = TabEntries[index];
    const PendingEdit* pe = e.kind <= KindContent ? FindEntryEdit((int)e.kind, e.number) : nullptr;
    RowsBuilder b{e, index, pe, pe && pe->explicitDetect, {}};
    if (e.kind == KindFileSystem) b.FileSystem();
    else if (e.kind == KindPacker) b.Packer();
    else b.ListerOrContent();
    return std::move(b.rows);
}

void AddExtRows(MainView& view, const std::vector<ExtListRow>& rows) {
    HWND list = view.controls.extList;
    if (!list) return;
    for (const auto& r : rows) {
        int n = (int)view.extRows.size();
        view.extRows.push_back(r.row);
        view.extRowModes.push_back(r.mode);
        ListViewSetCell(list, n, 0, r.label);
        UINT image = r.check < 0 ? 0 : (r.check ? 2 : 1);
        ListView_SetItemState(list, n, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
        ListViewSetCell(list, n, 1, r.state);
        if (!r.hint.empty()) ListViewSetCell(list, n, 2, r.hint);
    }
}

bool DetectLostLast(const PendingEdit& edit) {
    if (edit.explicitDetect) return false;
    DetectSpec old = CompileDetect(edit.origDetect, edit.hasDetect != 0);
    if (old.complex) {
        bool failed = false;
        DsxEditExts(edit.origDetect, edit.removedExts, edit.addedExts, &failed);
        if (failed) return true;
    }
    std::wstring text = StrTrim(ComposeDetectString(edit));
    if (text.empty()) return true;
    auto hasExt = [](const DetectSpec& spec) {
        return std::any_of(spec.items.begin(), spec.items.end(), [](const DetectItem& i) { return i.kind == DetItemExt; });
    };
    return hasExt(old) && !hasExt(CompileDetect(text, true));
}
