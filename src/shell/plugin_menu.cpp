#include "shell/plugin_menu.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "editing/entry_edit.h"
#include "editing/order_ops.h"
#include "editing/pending_ops.h"
#include "editing/tc_control.h"
#include "foundation/data_folder.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/labels.h"
#include "foundation/logs.h"
#include "foundation/path_display.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "foundation/ui_globals.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "install/uninstall.h"
#include "probe/workers.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/menu_help.h"
#include "shell/notifications.h"
#include "shell/plugin_menu_parts.h"
#include "views/detail_pane.h"
#include "views/main_view.h"

namespace {

enum PluginMenuCmd : UINT {
    PmMoveUp = 2990, PmGather = 2994, PmDisable = 2995, PmOpen = 3000, PmExplorer = 3001, PmLister = 3002,
    PmInfo = 3003, PmCopyPath = 3004, PmCopyDetect = 3005, PmCopyName = 3006, PmTakePlugin = 3009, PmEdit = 3010,
    PmDiscard = 3011, PmTakeCaps = 3012, PmDelete = 3013, PmOpenTc = 3050, PmUninstall = 3061, PmDoc = 3100,
    PmOwn = 3200,
};
constexpr size_t MaxTcItems = 10, MaxDocs = 30, MaxOwnCommands = 20;


void AddUnique(std::vector<std::wstring>& list, const std::wstring& path) {
    if (path.empty()) return;
    if (std::none_of(list.begin(), list.end(), [&](const std::wstring& p) { return StrIEquals(p, path); }))
        list.push_back(path);
}

std::vector<std::wstring> RunningTcs() {
    std::vector<std::wstring> running;
    for (HWND window : TcWindows()) AddUnique(running, ProcessImageOfWindow(window));
    return running;
}

std::vector<std::wstring> TcCandidates(const std::vector<std::wstring>& running) {
    std::vector<std::wstring> candidates = running;
    for (const std::wstring& dir : {PathDir(TcExePath()), EnvGet(L"COMMANDER_PATH")}) {
        if (dir.empty()) continue;
        for (const wchar_t* exe : {L"TOTALCMD64.EXE", L"TOTALCMD.EXE"})
            if (std::wstring path = PathJoin(dir, exe); FileExists(path)) AddUnique(candidates, path);
    }
    return candidates;
}

std::vector<std::wstring> DocFiles(const std::wstring& pluginPath) {
    std::vector<std::wstring> docs;
    std::wstring dir = PathDir(pluginPath);
    WIN32_FIND_DATAW data{};
    HANDLE find = dir.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(PathJoin(dir, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return docs;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsDocFile(data.cFileName))
            docs.push_back(PathJoin(dir, data.cFileName));
    } while (docs.size() < MaxDocs && FindNextFileW(find, &data));
    FindClose(find);
    std::sort(docs.begin(), docs.end(), CompareDocFiles);
    return docs;
}

std::vector<OwnCommand> ReadOwnCommands() {
    std::vector<std::wstring> values;
    for (size_t i = 1; i <= MaxOwnCommands; ++i) {
        wchar_t value[1024] = {};
        GetPrivateProfileStringW(L"Commands", (L"Cmd" + std::to_wstring(i)).c_str(), L"", value, 1024,
                                 SettingsIniPath().c_str());
        values.push_back(value);
    }
    return ParseOwnCommands(values);
}

void Add(HMENU menu, UINT id, const std::wstring& text, bool enabled = true) {
    AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), id, text.c_str());
}

void AddOpenItems(HMENU menu, PluginMenuState& ctx) {
    std::vector<std::wstring> running = RunningTcs();
    ctx.candidates = TcCandidates(running);
    DebugLog(L"open in: running TCs " + std::to_wstring(running.size()) + L", choices " +
             std::to_wstring(ctx.candidates.size()));
    if (ctx.candidates.size() <= 1) {
        Add(menu, PmOpen, Tr("cm_open"));
        SetMenuDefaultItem(menu, PmOpen, FALSE);
        return;
    }
    std::wstring folder = PathDir(ctx.candidates.front());
    bool oneFolder = std::all_of(ctx.candidates.begin(), ctx.candidates.end(),
                                 [&](const std::wstring& c) { return StrIEquals(PathDir(c), folder); });
    for (size_t k = 0; k < ctx.candidates.size() && k < MaxTcItems; ++k) {
        const std::wstring& exe = ctx.candidates[k];
        bool isRunning = std::any_of(running.begin(), running.end(), [&](auto& r) { return StrIEquals(r, exe); });
        std::wstring text = FillVar(Tr("cm_open_tc"), L"b", TcCandidateLabel(exe, isRunning, oneFolder, Tr("tc_notrun")));
        bool isDefault = StrIEquals(exe, TcExePath());
        Add(menu, PmOpenTc + (UINT)k, isDefault ? text + L"\tEnter" : text);
        if (isDefault) SetMenuDefaultItem(menu, PmOpenTc + (UINT)k, FALSE);
    }
}

void AddDocsMenu(HMENU menu, PluginMenuState& ctx) {
    HMENU docs = CreatePopupMenu();
    ctx.docs = DocFiles(ctx.ref.expandedPath);
    for (size_t i = 0; i < ctx.docs.size(); ++i) {
        std::wstring name = ctx.docs[i].substr(ctx.docs[i].find_last_of(L'\\') + 1);
        Add(docs, PmDoc + (UINT)i, name);
    }
    if (ctx.docs.empty()) Add(docs, 0, Tr("cm_docs_none"), false);
    AppendMenuW(menu, MF_POPUP, (UINT_PTR)docs, Tr("cm_docs").c_str());
}

bool TakeDetectOffered(const PlugEntry& e) {
    if (!PluginDetectUsable(e)) return false;
    return !e.hasDetect || NormKeyText(e.detectText) != NormKeyText(e.probeAnswer);
}

bool TakeCapsOffered(const PlugEntry& e) {
    if (e.probeStatus != ProbeOk || e.packerFlags.empty()) return false;
    int caps = StrToInt(e.probeAnswer);
    return std::any_of(e.packerFlags.begin(), e.packerFlags.end(), [&](int flags) { return flags != caps; });
}

void AddOrderItems(const MainView& view, HMENU menu, int count) {
    std::vector<int> selected;
    for (size_t index : SelectedRowIndexes(view)) selected.push_back((int)index);
    std::array<bool, 5> enabled = OrderItemsEnabled(selected, count);
    const char* keys[5] = {"cm_move_up", "cm_move_down", "cm_move_top", "cm_move_bottom", "cm_gather"};
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (UINT op = 0; op < 5; ++op) Add(menu, PmMoveUp + op, Tr(keys[op]), enabled[op]);
}

void AddEntryItems(const MainView& view, HMENU menu, const PlugEntry& e) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    bool listerOrContent = e.kind == KindLister || e.kind == KindContent;
    if (listerOrContent) Add(menu, PmTakePlugin, Tr("cm_take_plugin"), TakeDetectOffered(e));
    if (e.kind == KindPacker) Add(menu, PmTakeCaps, Tr("cm_take_caps"), TakeCapsOffered(e));
    Add(menu, PmEdit, EditMenuText((int)e.kind));
    bool disabled = EntryMarkedDisable(e);
    Add(menu, PmDelete, Tr(EntryMarkedDelete(e) && !disabled ? "cm_undelete" : "cm_delete"));
    Add(menu, PmDisable, Tr(disabled ? "cm_disable_undo" : "cm_disable"));
    Add(menu, PmUninstall, Tr("cm_uninst"));
    Add(menu, PmDiscard, Tr("cm_undo_plugin"), RowHasPending(e));
    if (listerOrContent) AddOrderItems(view, menu, (int)TabEntries.size());
}

void AddOwnCommands(HMENU menu, PluginMenuState& ctx) {
    ctx.own = ReadOwnCommands();
    if (ctx.own.empty()) return;
    HMENU own = CreatePopupMenu();
    for (size_t j = 0; j < ctx.own.size(); ++j) Add(own, PmOwn + (UINT)j, ctx.own[j].label);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_POPUP, (UINT_PTR)own, Tr("cm_custom").c_str());
}

}  // namespace

HMENU BuildPluginMenu(const MainView& view, PluginMenuState& ctx) {
    if (ctx.ref.entryIndex >= (int)TabEntries.size() || view.tabIsInventory) ctx.ref.entryIndex = -1;
    ctx.fillGeneration = ProbeGen.load();
    HMENU menu = CreatePopupMenu();
    bool loaded = FileExists(ctx.ref.file);
    AddOpenItems(menu, ctx);
    Add(menu, PmExplorer, Tr("cm_open_ex"));
    Add(menu, PmLister, Tr("cm_lister"), loaded);
    AddDocsMenu(menu, ctx);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    Add(menu, PmInfo, Tr("cm_info"), loaded);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    Add(menu, PmCopyPath, Tr("cm_copy_path"));
    Add(menu, PmCopyName, Tr("cm_copy_name"));
    if (!view.tabIsInventory) {
        Add(menu, PmCopyDetect, Tr("cm_copy_detect"), ctx.ref.hasDetect);
        if (ctx.ref.entryIndex >= 0) AddEntryItems(view, menu, TabEntries[(size_t)ctx.ref.entryIndex]);
    }
    AddOwnCommands(menu, ctx);
    return menu;
}

namespace {

void ToggleDisable(const PlugEntry& e) {
    if (e.kind == KindLister || e.kind == KindContent) {
        PendingEdit& edit = PendingEditFor(e);
        bool on = edit.deleted ? !edit.deactivate : true;
        edit.deleted = edit.deactivate = on;
        DropPendingIfUnchanged((int)e.kind, e.number);
    } else if (e.kind == KindFileSystem) {
        PlugState& state = GetPlugState(KindFileSystem, e.name, e.path, e.name);
        bool on = state.deleted ? !state.deactivate : true;
        state.deleted = state.deactivate = on;
    } else {
        std::vector<PlugState*> lines;
        for (size_t i = 0; i < e.iniDetect.items.size() && i < e.packerFlags.size(); ++i) {
            const std::wstring& linePath = i < e.packerPaths.size() ? e.packerPaths[i] : e.path;
            lines.push_back(&GetPlugState(KindPacker, e.iniDetect.items[i].text,
                                          NumberCommaText(e.packerFlags[i], linePath), e.name));
        }
        bool on = !std::all_of(lines.begin(), lines.end(), [](PlugState* s) { return s->deleted && s->deactivate; });
        for (PlugState* s : lines) s->deleted = s->deactivate = on;
    }
    PrunePlugStates();
}

void DiscardEntry(const PlugEntry& e) {
    if (e.kind == KindLister || e.kind == KindContent) {
        PendingEdits.erase(EntryEditKey((int)e.kind, e.number));
    } else if (e.kind == KindPacker) {
        for (const DetectItem& item : e.iniDetect.items) PlugStates.erase(MakePlugKey(KindPacker, false, item.text));
    } else {
        PlugStates.erase(MakePlugKey(KindFileSystem, false, e.name));
    }
}

// The entry the menu was opened on, when the list still shows it: a refill while
// the menu was open (a file from a second copy) may have put another entry there.
const PlugEntry* EntryStillShown(const PlugRef& ref, uint32_t fillGeneration) {
    if (ref.entryIndex < 0 || (size_t)ref.entryIndex >= TabEntries.size() || ProbeGen.load() != fillGeneration)
        return nullptr;
    const PlugEntry& e = TabEntries[(size_t)ref.entryIndex];
    return e.path == ref.path && e.name == ref.name ? &e : nullptr;
}

void RunEntryCommand(MainWindow& app, UINT id, const PlugEntry& e, int index) {
    HWND owner = app.Hwnd();
    switch (id) {
    case PmDisable: ToggleDisable(e); PostMessageW(owner, MsgRefresh, 0, 0); return;
    case PmTakePlugin: TakePluginDetect(e); UiPostRefresh(owner); return;
    case PmTakeCaps: TakePackerCaps((size_t)index); UiPostRefresh(owner); return;
    case PmDiscard: DiscardEntry(e); UiPostRefresh(owner); return;
    case PmDelete: AskMarkDelete(app, owner, index, L""); return;
    case PmEdit: EditEntry(app, owner, index, L""); return;
    case PmUninstall: Uninstall(app, owner, index); return;
    }
    if (id >= PmMoveUp && id <= PmGather)
        OrderOp(app, app.View().controls.pluginList, app.ShownTab(), (int)(id - PmMoveUp));
}

void OpenDoc(const std::wstring& file) {
    if (OpensInLister(file)) OpenInLister(file);
    else LaunchShell(file, L"", L"");
}

}  // namespace

void RunPluginMenuCommand(MainWindow& app, UINT id, const PluginMenuState& ctx) {
    HWND owner = app.Hwnd();
    uint32_t fillGeneration = ctx.fillGeneration;
    const PlugRef& ref = ctx.ref;
    if (id >= PmOpenTc && id < PmOpenTc + MaxTcItems) {
        if (id - PmOpenTc < ctx.candidates.size()) OpenInTc(ref, ctx.candidates[id - PmOpenTc]);
    } else if (id >= PmDoc && id < PmDoc + MaxDocs) {
        if (id - PmDoc < ctx.docs.size()) OpenDoc(ctx.docs[id - PmDoc]);
    } else if (id >= PmOwn && id < PmOwn + MaxOwnCommands) {
        if (id - PmOwn < ctx.own.size()) LaunchTemplate(ctx.own[id - PmOwn].command, ref, L"");
    } else if (id == PmOpen) {
        OpenInTc(ref, L"");
    } else if (id == PmExplorer) {
        ShowInExplorer(ref);
    } else if (id == PmLister) {
        OpenInLister(ref.file);
    } else if (id == PmInfo) {
        app.ShowPluginInfo(ref);
    } else if (id == PmCopyPath) {
        UiCopyToClipboard(owner, PathForDisplay(ref.path, false));
    } else if (id == PmCopyName) {
        UiCopyToClipboard(owner, ref.name);
    } else if (id == PmCopyDetect) {
        UiCopyToClipboard(owner, ref.detect);
    } else if (const PlugEntry* e = EntryStillShown(ref, fillGeneration)) {
        RunEntryCommand(app, id, *e, ref.entryIndex);
    }
}

void PluginMenu(MainWindow& app, POINT screen, const PlugRef& ref) {
    if (!ref.hasPath) return;
    PluginMenuState ctx;
    ctx.ref = ref;
    HMENU menu = BuildPluginMenu(app.View(), ctx);
    UINT id = app.PopupMenu(app.Hwnd(), screen, menu);
    DestroyMenu(menu);
    if (id) RunPluginMenuCommand(app, id, ctx);
}
