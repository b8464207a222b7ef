#include "views/detail_pane.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>

#include "analyses/detect_notes.h"
#include "editing/pending_ops.h"
#include "foundation/encoding.h"
#include "foundation/ini_value_check.h"
#include "foundation/labels.h"
#include "foundation/data_folder.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "analyses/plugin_caches.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/kept.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "views/ext_checklist.h"
#include "views/list_rows.h"
#include "views/list_sort.h"
#include "foundation/list_view.h"
#include "views/panes.h"
#include "views/tab_fill.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
#include "views/cell_texts.h"

namespace {

const wchar_t kPendingMark[] = L"   *";

struct Rows {
    std::wstring text;
    void Line(const std::wstring& line) { text += (text.empty() ? L"" : L"\r\n") + line; }
    void Row(const char* label, const std::wstring& value) { Line(Tr(label) + L"\t" + value); }
};

std::wstring ProbeFailureText(const PlugEntry& e) {
    if (ProbeIsLoadFail1114(e.probeStatus, e.probeError, e.probeNotStarted)) return Tr("fd_onlytc");
    return Tr("det_err") + (e.probeError.empty() ? L"" : L"  " + e.probeError);
}

std::wstring PluginValue(const PlugEntry& e) {
    switch (e.probeStatus) {
    case ProbePending: return Tr("det_pending");
    case ProbeOk:
        if (PluginDetectUsable(e)) return e.probeAnswer;
        return ShowControlChars(e.probeAnswer) + L"  " + FillVar(Tr("det_unusable"), L"w", Tr("why_control"));
    case ProbeNoExport: return Tr("det_noexport");
    case Probe32Bit: return Tr("det_32");
    default: return ProbeFailureText(e);
    }
}

void PendingRows(Rows& rows, const PlugEntry& e) {
    const PendingEdit* edit = FindEntryEdit((int)e.kind, e.number);
    if (!edit) return;
    if (edit->deleted) {
        rows.Row("save_new", Tr(edit->deactivate ? "pend_disabled" : "pend_deleted") + kPendingMark);
        return;
    }
    if (EntryPathChanged(*edit)) rows.Row("pend_path", edit->newPath + kPendingMark);
    if (EntryDiffers(*edit)) {
        bool none = edit->explicitDetect && StrTrim(edit->explicitDetectText).empty();
        rows.Row("save_new", (none ? Tr("pend_nodetect") : ComposeDetectString(*edit)) + kPendingMark);
    }
}

std::wstring ListerContentText(const PlugEntry& e) {
    Rows rows;
    rows.Row("det_ini", e.hasDetect ? e.detectText : Tr("det_none"));
    if (e.probeStatus != ProbeMissing) rows.Row("det_plugin", PluginValue(e));
    PendingRows(rows, e);
    for (const auto& note : DetectNotes(e, &TabEntries, nullptr)) rows.Row("det_note", note);
    if (e.kind == KindContent) {
        std::wstring usage = FieldUsageText(CurrentFieldUsage(), PlugKey(e.expandedPath), L"\t");
        while (!usage.empty() && (usage.back() == L'\n' || usage.back() == L'\r')) usage.pop_back();
        rows.Line(Tr("det_used") + (usage.empty() ? L"\t" + Tr("use_nowhere") : usage));
    }
    return rows.text;
}

std::wstring FileSystemText(const PlugEntry& e) {
    Rows rows;
    rows.Row("det_fsname", e.name);
    if (e.probeStatus != ProbeMissing) {
        std::wstring value;
        switch (e.probeStatus) {
        case ProbePending: value = Tr("det_pending"); break;
        // A plugin without the file-system exports still tells which kinds it serves.
        case ProbeOk:
        case ProbeNoExport: value = PluginKindText(std::max(e.kindMask, 0)); break;
        case Probe32Bit: value = Tr("det_32"); break;
        default: value = ProbeFailureText(e);
        }
        rows.Row("det_kind", value);
    }
    if (const PlugState* s = FindPlugState(KindFileSystem, e.name); s && !s->deleted && PlugStateNeeded(*s))
        rows.Row("save_new", s->curKey + L"=" + s->curValue + kPendingMark);
    return rows.text;
}

std::wstring PackerText(const PlugEntry& e) {
    int caps = e.probeStatus == ProbeOk ? _wtoi(e.probeAnswer.c_str()) : -1;
    std::map<int, std::wstring> differing;  // flag -> its extensions
    if (caps >= 0)
        for (size_t i = 0; i < e.packerFlags.size() && i < e.iniDetect.items.size(); ++i)
            if (e.packerFlags[i] != caps) {
                std::wstring& exts = differing[e.packerFlags[i]];
                exts += (exts.empty() ? L"" : L", ") + e.iniDetect.items[i].text;
            }
    Rows rows;
    std::wstring ini = e.detectText;
    for (const auto& [flag, exts] : differing)
        ini += L"\r\n\t" + std::to_wstring(flag) + L" (" + exts + L")  " + PackerCapsText((uint32_t)flag);
    rows.Row("det_ini", ini);
    if (e.probeStatus != ProbeMissing) {
        std::wstring value;
        switch (e.probeStatus) {
        case ProbePending: value = Tr("det_pending"); break;
        case ProbeOk: value = PackerCapsText((uint32_t)caps) + L"  (" + e.probeAnswer + L")"; break;
        case ProbeNoExport: value = Tr("det_nocaps"); break;
        case Probe32Bit: value = Tr("det_32"); break;
        default: value = ProbeFailureText(e);
        }
        rows.Row("det_plugin", value);
    }
    rows.Line(L"\t" + Tr("pk_f4hint"));
    bool first = true;
    for (const auto& [flag, exts] : differing) {
        rows.Line((first ? Tr("det_diff") : L"") + L"\t" + exts + L": " + std::to_wstring(flag) + L" \u2192 " +
                  std::to_wstring(caps) + L"  " + PackerCapsAddedText((uint32_t)flag, (uint32_t)caps));
        first = false;
    }
    return rows.text;
}

std::wstring KeptText(const KeptEntry& k) {
    Rows rows;
    rows.Line(FillVars(Tr(k.number < 0 ? "det_disabled_x" : "det_disabled"),
                       {{L"d", k.stamp}, {L"n", EntryNumberText(k.number)}}));
    if (!k.fsName.empty()) rows.Row("det_fsname", k.fsName);
    if (!k.packerExts.empty()) rows.Row("det_ini", k.packerExts);
    if (k.kind <= KindContent) rows.Row("det_ini", k.hasDetect ? k.detect : Tr("det_none"));
    if (PendingReactivations.count(k.key)) rows.Line(Tr("pend_enable"));
    return rows.text;
}

}  // namespace

std::wstring DetailText(int item) {
    if (item >= KeptIdBase && (size_t)(item - KeptIdBase) < KeptEntries.size())
        return KeptText(KeptEntries[(size_t)(item - KeptIdBase)]);
    if (item < 0 || (size_t)item >= TabEntries.size()) return L"";
    const PlugEntry& e = TabEntries[(size_t)item];
    if (e.kind == KindFileSystem) return FileSystemText(e);
    if (e.kind == KindPacker) return PackerText(e);
    return ListerContentText(e);
}

void ShowDetails(MainView& view, int item) {
    HWND list = view.controls.extList;
    view.extListFilling = 1;
    if (list) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    }
    view.extRows.clear();
    view.extRowModes.clear();
    if (item != view.detailRowShown) view.statusNote.clear();
    view.detailRowShown = item;
    SetDetailText(view, DetailText(item), true);
    if (item >= 0 && (size_t)item < TabEntries.size()) AddExtRows(view, BuildExtListRows((size_t)item));
    if (list) {
        ListViewSortApply(list);
        ListViewFitLastColumn(list);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    view.extListFilling = 0;
}

std::wstring ChangeLogTail(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    constexpr int64_t kTail = 262144;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    int64_t start = std::max<int64_t>(size.QuadPart, kTail) - kTail;
    LARGE_INTEGER at{};
    at.QuadPart = start;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    std::string bytes((size_t)(size.QuadPart - start), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), (DWORD)bytes.size(), &read, nullptr)) read = 0;
    CloseHandle(file);
    bytes.resize(read);
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    if (start > 0) {
        size_t lf = bytes.find('\n');
        bytes.erase(0, lf == std::string::npos ? bytes.size() : lf + 1);
    }
    return Utf8ToWide(bytes);
}

void ShowChangeLog(MainView& view) {
    SetDetailText(view, ChangeLogTail(ChangeLogPath()), false);
    HWND box = view.controls.detailBox;
    if (!box) return;
    int end = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, (WPARAM)end, (LPARAM)end);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

std::vector<size_t> SelectedRowIndexes(const MainView& view) {
    std::vector<size_t> rows;
    HWND list = view.controls.pluginList;
    if (!list) return rows;
    for (int r = -1; (r = (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)r, LVNI_SELECTED)) >= 0;) {
        int id = ListViewItemData(list, r);
        if (id >= 0 && (size_t)id < TabEntries.size()) rows.push_back((size_t)id);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

