#include "editing/save_changes.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "analyses/inventory.h"
#include "analyses/plugin_caches.h"
#include "editing/editing_host.h"
#include "editing/pending_ops.h"
#include "editing/save_dialog.h"
#include "editing/save_writers.h"
#include "editing/tc_control.h"
#include "foundation/files.h"
#include "foundation/ini.h"
#include "foundation/ini_value_check.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/timestamps.h"
#include "hostcfg/plug_entry.h"

namespace {

std::wstring Pad(const char* key) { return StrPadRight(Tr(key), 5); }

void Show(IEditingHost& host, HWND owner, const std::wstring& text, UINT icon) {
    host.Message(owner, text, MB_OK | icon);
}

bool SaveRunning = false;
uint32_t SaveCount = 0;

// Marks the save as running until every way out of it.
struct RunningGuard {
    RunningGuard() {
        SaveRunning = true;
        ++SaveCount;
    }
    ~RunningGuard() { SaveRunning = false; }
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
        out += L"  " + Pad("save_new") + ShowControlChars(n) + L"\r\n";
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
    out += L"  " + Pad("save_new") + ShowControlChars(s.curKey + L"=" + s.curValue) + L"\r\n\r\n";
}

std::wstring TooLongLine(int kind, const std::wstring& what, size_t length) {
    return L"   [" + TabName(kind) + L"]  " + what + L":  " + std::to_wstring(length) + L"\n";
}

void RestartAll(SaveIo& io, const std::vector<TcRun>& runs) {
    for (const TcRun& run : runs) io.StartTc(run);
}

// 1 save and close TC, 3 save without closing it, anything else: do not save.
int AskToSave(IEditingHost& host, HWND owner, const SaveRequest& request, const SaveRun& run, bool tcRunning) {
    if (request.confirmed) return SaveAndRestart;
    return host.AskToSave(owner, ChangeListText(run), tcRunning);
}

// writeFailed: a change of the write phase was not written; the caller's text
// would then claim what did not happen. Lines that afterSave added (a folder that
// could not be moved) stand under the caller's text.
void FinalMessage(IEditingHost& host, HWND owner, const SaveRequest& request, const SaveRun& run,
                  bool writeFailed) {
    std::wstring errors = run.errors.empty() ? L"" : L"\n\n" + run.errors;
    bool callerText = request.confirmed && !request.doneText.empty() && !writeFailed;
    std::wstring text = callerText ? request.doneText : FillVar(Tr("save_done"), L"n", std::to_wstring(run.changes));
    Show(host, owner, text + errors, run.errors.empty() ? MB_ICONINFORMATION : MB_ICONWARNING);
}

// A file of which no change stands, but which the writes and their undoing left
// laid out otherwise (the profile functions move re-added keys, and Wine's rewrite
// every line), gets its bytes back from the backup of this run.
void KeepBytesOfUnchanged(SaveRun& run) {
    for (const auto& [key, b] : run.backups) {
        if (b.copy.empty() || SameBytes(b.file, b.copy) || ReadIniFile(b.file) != ReadIniFile(b.copy)) continue;
        if (!PutBack(*run.io, b.copy, b.file))
            run.errors += Tr("err_write") + L" " + b.file + L"\r\n   " + Tr("err_restore_hint") + L"\r\n";
    }
}

// The window takes no input while the save writes, on every way out of the writes.
class WritingPhase {
public:
    explicit WritingPhase(IEditingHost& host) : host_(host) { host_.SaveWriting(true); }
    ~WritingPhase() { host_.SaveWriting(false); }
    WritingPhase(const WritingPhase&) = delete;
    WritingPhase& operator=(const WritingPhase&) = delete;

private:
    IEditingHost& host_;
};

// What the user is told when the change log did not take the run's lines.
std::wstring WriteChanges(IEditingHost& host, SaveRun& run) {
    WritingPhase writing(host);
    run.progress.host = &host;
    SaveNumberedSection(run, KindLister);
    run.progress.Show();
    SaveNumberedSection(run, KindContent);
    run.progress.Show();
    SavePlugLines(run);
    SaveLineActivations(run);
    SettleLanded(run);
    run.progress.Show();
    KeepBytesOfUnchanged(run);
    return LogChanges(run.logLines);
}

// What the run left untouched stays pending for the user's own save, or is
// withdrawn for a command's; the message says which.
void SettlePending(SaveRun& run) {
    DiscardWritten(run);
    uint32_t left = CountPendingChanges();
    if (run.withdraw) DiscardPending();
    if (left > 0)
        run.errors += FillVar(Tr(run.withdraw ? "save_withdrawn" : "save_kept_pending"), L"n", std::to_wstring(left)) +
                      L"\r\n";
}

// Every line of a command's change, checked before anything of it is done: its
// own work (files copied, rules written) would not be undone by a refusal later.
bool LinesRefusedUpFront(SaveRun& run) {
    bool refused = false;
    for (int kind : {KindLister, KindContent}) {
        std::wstring file = SectionFile(kind);
        refused = (!file.empty() && NumberedLinesRefused(run, kind, file)) || refused;
    }
    return PlugLinesRefused(run) || refused;
}

}  // namespace

bool WriteAtOnceAllowed(IEditingHost& host, HWND owner) {
    if (SaveRunning) Show(host, owner, Tr("err_save_busy"), MB_ICONINFORMATION);
    else if (CountPendingChanges() > 0) Show(host, owner, Tr("un_pending"), MB_ICONINFORMATION);
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
            out += L"[" + TabName(kind) + L"]  " + k.name + L"\r\n  " + Tr("pend_enable") + L": " + ShowControlChars(what) + L"\r\n\r\n";
        }
    return out;
}

bool SaveIsRunning() { return SaveRunning; }

uint32_t SavesStarted() { return SaveCount; }

void SaveChanges(IEditingHost& host, HWND owner, SaveRequest request) {
    SaveChanges(host, owner, std::move(request), SystemSaveIo());
}

void SaveChanges(IEditingHost& host, HWND owner, SaveRequest request, SaveIo& io) {
    if (SaveRunning) {
        Show(host, owner, Tr("err_save_busy"), MB_ICONINFORMATION);
        return;
    }
    RunningGuard running;
    SaveRun run = BuildSaveRun(request.newEntries);
    run.io = &io;
    if (SaveRunEmpty(run) && !request.force) return;
    std::wstring tooLong = TooLongList(run);
    if (!tooLong.empty()) {
        Show(host, owner, FillVar(Tr("save_toolong"), L"m", std::to_wstring(MaxDetectChars)) + L"\n\n" + tooLong,
             MB_ICONWARNING);
        return;
    }
    // A command's own work around its save (files copied, a folder to recycle, its
    // new entries) is not redone by a later save: what it could not write is withdrawn.
    run.withdraw = request.beforeWrite || request.afterSave || !request.newEntries.empty() ||
                   request.withdrawUnwritten;
    if (run.withdraw && LinesRefusedUpFront(run)) {
        Show(host, owner, Tr("save_refused_all") + L"\n\n" + run.errors, MB_ICONWARNING);
        return;
    }
    bool tcRunning = io.TcRunning();
    int answer = AskToSave(host, owner, request, run, tcRunning);
    if (answer != 1 && answer != 3) return;
    std::vector<TcRun> restart;
    bool tcClosed = false;
    if (answer == 1 && tcRunning) {
        if (!io.CloseTc(restart)) {
            RestartAll(io, restart);
            Show(host, owner, Tr("err_tcclose"), MB_ICONWARNING);
            return;
        }
        tcClosed = true;
    }
    // A hook that did its work may still have something to say (its change log).
    std::wstring hookText;
    if (request.beforeWrite && !request.beforeWrite(hookText)) {
        RestartAll(io, restart);
        Show(host, owner, hookText, MB_ICONWARNING);
        return;
    }
    run.stamp = StrNowStamp();
    std::wstring unlogged = WriteChanges(host, run);
    SettlePending(run);
    bool writeFailed = !run.errors.empty();
    // The changes stand all the same; only their record in the log is missing.
    run.errors += hookText + unlogged;
    if (request.afterSave) request.afterSave(run.errors, writeFailed, request.doneText);
    if (tcClosed) {
        RestartAll(io, restart);
        if (request.afterRestart) request.afterRestart();
    }
    ResetPluginCaches();
    host.RefillShownTab();
    FinalMessage(host, owner, request, run, writeFailed);
}
