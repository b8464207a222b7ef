#include "editing/save_changes.h"

#include <algorithm>
#include <climits>

#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "editing/pending_ops.h"
#include "editing/save_dialog.h"
#include "editing/save_writers.h"
#include "editing/tc_control.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/plug_entry.h"

MessageBoxFn SaveMessageBox = MessageBoxW;

namespace {

std::wstring Pad(const char* key) { return StrPadRight(Tr(key), 5); }

void Show(HWND owner, const std::wstring& text, UINT icon) {
    SaveMessageBox(owner, text.c_str(), L"Kestrovane", MB_OK | icon);
}

// Clears the request on every way out of a save that got to run.
struct RequestGuard {
    ~RequestGuard() { ResetSaveRequest(); }
};

bool HasWide(const std::wstring& s) {
    return std::any_of(s.begin(), s.end(), [](wchar_t c) { return c > 0x7F; });
}

void AddEditLines(std::wstring& out, const PendingEdit& e) {
    out += L"[" + TabName((int)e.kind) + L"]  " + EntryNumberText(e.number) + L"  " + e.name + L"\r\n";
    if (e.deleted) {
        out += L"  " + Tr(e.deactivate ? "prev_disable" : "prev_delete") + L"\r\n\r\n";
        return;
    }
    if (EntryPathChanged(e)) {
        out += L"  " + Pad("save_old") + e.origPath + L"\r\n";
        out += L"  " + Pad("save_new") + e.newPath + L"\r\n";
    }
    if (EntryDiffers(e)) {
        bool removes = EditRemovesDetect(e);
        std::wstring n = removes ? Tr("pend_nodetect") : NewDetectOf(e);
        out += L"  " + Pad("save_old") + (e.hasDetect ? e.origDetect : Tr("det_none")) + L"\r\n";
        out += L"  " + Pad("save_new") + n + L"\r\n";
        if (!removes) {
            out += L"         " + DescribeDetectChange(e.origDetect, e.hasDetect, n, true) + L"\r\n";
            if (n.size() > MaxDetectChars)
                out += L"  " + FillVar(Tr("warn_long"), L"n", std::to_wstring(n.size())) + L"\r\n";
            if (HasWide(n)) out += L"  " + Tr("warn_ansi") + L"\r\n";
        }
    }
    out += L"\r\n";
}

void AddOrderLines(std::wstring& out, const SaveRun& run, int kind) {
    const PendingOrder& rec = PendingOrders[kind];
    std::set<int> deleted;
    for (const PendingEdit& e : run.edits)
        if ((int)e.kind == kind && e.deleted) deleted.insert(e.number);
    out += L"[" + TabName(kind) + L"]  " + Tr("prev_order") + L"\r\n";
    int pos = rec.order.empty() ? INT_MAX : *std::min_element(rec.order.begin(), rec.order.end());
    for (int n : rec.order) {
        if (deleted.count(n)) continue;
        auto name = rec.origNames.find(n);
        out += L"  " + EntryNumberText(pos) + (n != pos ? L"  ← " + EntryNumberText(n) : L"") + L"  " +
               (name == rec.origNames.end() ? L"" : name->second) + L"\r\n";
        ++pos;
    }
    out += L"  " + Tr("prev_order_note") + L"\r\n\r\n";
}

void AddNumberedKind(std::wstring& out, const SaveRun& run, int kind) {
    bool anyDeleted = false;
    for (const PendingEdit& e : run.edits)
        if ((int)e.kind == kind) {
            AddEditLines(out, e);
            anyDeleted = anyDeleted || e.deleted;
        }
    const auto& acts = run.activations[(size_t)kind];
    for (const KeptEntry& k : acts)
        out += L"[" + TabName(kind) + L"]  " + k.name + L"\r\n  " +
               FillVar(Tr("prev_enable"), L"n", EntryNumberText(k.number)) + L"\r\n\r\n";
    if (anyDeleted || !acts.empty()) out += FillVar(Tr("prev_renumber"), L"s", PlugSectionName(kind)) + L"\r\n\r\n";
    if (OrderIsCustom(kind)) AddOrderLines(out, run, kind);
}

void AddStateLines(std::wstring& out, const PlugState& s) {
    if (s.wholeSection) {
        out += L"[" + FileStem(s.sectionIniPath) + L".ini]  [" + s.origKey + L"]\r\n  " + Tr("prev_delsection") +
               L"\r\n\r\n";
        return;
    }
    std::wstring label = (s.strayLine ? L"wincmd.ini: " : L"") + s.origKey;
    out += L"[" + TabName((int)s.kind) + L"]  " + label +
           (!s.name.empty() && s.name != s.origKey ? L"  (" + s.name + L")" : L"") + L"\r\n";
    if (s.deleted) {
        out += L"  " + Tr(s.deactivate ? "prev_disable" : "prev_delete") + L"\r\n\r\n";
        return;
    }
    out += L"  " + Pad("save_old") + s.origKey + L"=" + s.origValue + L"\r\n";
    out += L"  " + Pad("save_new") + s.curKey + L"=" + s.curValue + L"\r\n\r\n";
}

std::wstring TooLongLine(int kind, const std::wstring& what, size_t length) {
    return L"   [" + TabName(kind) + L"]  " + what + L":  " + std::to_wstring(length) + L"\n";
}

void RestartAll(const std::vector<TcRun>& runs) {
    for (const TcRun& run : runs) StartTcExe(run);
}

// 1 save and close TC, 3 save without closing it, anything else: do not save.
int AskToSave(HWND owner, const SaveRun& run, bool tcRunning) {
    if (SaveReq.confirmed) return 1;
    return RunSaveDialog(owner, ChangeListText(run), tcRunning);
}

void FinalMessage(HWND owner, const SaveRun& run) {
    bool failed = !run.errors.empty();
    std::wstring errors = failed ? L"\n\n" + run.errors : L"";
    // Once a change failed, the caller's success text would not be true.
    std::wstring text = SaveReq.confirmed && !SaveReq.doneText.empty() && !failed
                            ? SaveReq.doneText
                            : FillVar(Tr("save_done"), L"n", std::to_wstring(run.changes)) + errors;
    Show(owner, text, failed ? MB_ICONWARNING : MB_ICONINFORMATION);
}

}  // namespace

bool WriteAtOnceAllowed(HWND owner) {
    if (SaveReq.busy) Show(owner, Tr("err_save_busy"), MB_ICONINFORMATION);
    else if (CountPendingChanges() > 0) Show(owner, Tr("un_pending"), MB_ICONINFORMATION);
    else return true;
    return false;
}

std::wstring TooLongList(const SaveRun& run) {
    std::wstring list;
    for (const PendingEdit& e : run.edits) {
        if (e.deleted || !EntryDiffers(e) || EditRemovesDetect(e)) continue;
        size_t length = NewDetectOf(e).size() + 2;
        if (length > MaxDetectChars)
            list += TooLongLine((int)e.kind, EntryNumberText(e.number) + L"  " + e.name, length);
    }
    for (int kind = 0; kind < 4; ++kind)
        for (const KeptEntry& k : run.activations[(size_t)kind])
            if (k.hasDetect && k.detect.size() + 2 > MaxDetectChars)
                list += TooLongLine(kind, k.name, k.detect.size() + 2);
    return list;
}

std::wstring ChangeListText(const SaveRun& run) {
    std::wstring out;
    AddNumberedKind(out, run, KindLister);
    AddNumberedKind(out, run, KindContent);
    for (const PlugState& s : run.states) AddStateLines(out, s);
    for (int kind : {KindPacker, KindFileSystem})
        for (const KeptEntry& k : run.activations[(size_t)kind]) {
            std::wstring what = kind == KindFileSystem ? k.fsName + L"=" + k.path : k.packerExts;
            out += L"[" + TabName(kind) + L"]  " + k.name + L"\r\n  " + Tr("pend_enable") + L": " + what + L"\r\n\r\n";
        }
    return out;
}

void SaveChanges(HWND owner) {
    if (SaveReq.busy) {
        // The running save owns the request; a second one must not clear it.
        Show(owner, Tr("err_save_busy"), MB_ICONINFORMATION);
        return;
    }
    SaveReq.busy = 1;
    RequestGuard guard;
    SaveRun run = BuildSaveRun(SaveReq.newEntries);
    if (SaveRunEmpty(run) && !SaveReq.force) return;
    std::wstring tooLong = TooLongList(run);
    if (!tooLong.empty()) {
        Show(owner, FillVar(Tr("save_toolong"), L"m", std::to_wstring(MaxDetectChars)) + L"\n\n" + tooLong,
             MB_ICONWARNING);
        return;
    }
    bool tcRunning = FindWindowW(TcWindowClass, nullptr) != nullptr;
    int answer = AskToSave(owner, run, tcRunning);
    if (answer != 1 && answer != 3) return;
    std::vector<TcRun> restart;
    bool tcClosed = false;
    if (answer == 1 && tcRunning) {
        if (!CloseAllTc(restart)) {
            RestartAll(restart);
            Show(owner, Tr("err_tcclose"), MB_ICONWARNING);
            return;
        }
        tcClosed = true;
    }
    if (SaveReq.beforeWrite) {
        std::wstring hookText;
        if (!SaveReq.beforeWrite(hookText)) {
            RestartAll(restart);
            Show(owner, hookText, MB_ICONWARNING);
            return;
        }
    }
    run.stamp = StrNowStamp();
    SaveNumberedSection(run, KindLister);
    SaveNumberedSection(run, KindContent);
    SavePlugLines(run);
    SaveLineActivations(run);
    AppendChangeLog(run.logLines);
    DiscardPending();
    if (SaveReq.afterSave) SaveReq.afterSave(run.errors, !run.errors.empty());
    if (tcClosed) {
        RestartAll(restart);
        if (SaveReq.afterRestart) SaveReq.afterRestart();
    }
    ResetPluginCaches();
    if (RefillAfterSave) RefillAfterSave();
    FinalMessage(owner, run);
}
