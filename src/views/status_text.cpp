#include "views/status_text.h"

#include "analyses/detect_compare.h"
#include "analyses/detect_notes.h"
#include "analyses/findings.h"
#include "analyses/lister_check.h"
#include "analyses/preview_state.h"
#include "analyses/preview_texts.h"
#include "editing/pending_ops.h"
#include "foundation/env.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/kept.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_files.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "probe/background_probe.h"
#include <commctrl.h>

#include <map>
#include <utility>
#include <vector>

#include "views/detail_pane.h"
#include "views/findings_list.h"
#include "views/inventory_list.h"
#include "views/page_window.h"
#include "views/row_status.h"
#include "views/tab_fill.h"

ShownSectionFacts ShownSection;

namespace {

std::wstring Filled(const char* key, const std::wstring& value, const wchar_t* name = L"n") {
    return FillVar(Tr(key), name, value);
}

std::map<std::wstring, bool> WrongFolders;  // expanded path | kind mask -> answer

bool PacksDifferently(const PlugEntry& e) {
    if (e.probeStatus != ProbeOk) return false;
    int caps = StrToInt(e.probeAnswer);
    for (int flag : e.packerFlags)
        if (flag != caps) return true;
    return false;
}

struct TabCounts {
    int missing = 0, noDetect = 0, differs = 0, newExts = 0, wrongDir = 0, notes = 0, notFs = 0;
    TabCounts& operator+=(const TabCounts& o) {
        missing += o.missing, noDetect += o.noDetect, differs += o.differs, newExts += o.newExts;
        wrongDir += o.wrongDir, notes += o.notes, notFs += o.notFs;
        return *this;
    }
};

// Only an entry whose file another entry names too can get the note of a second
// registration; the others are checked for notes without the whole list.
const std::vector<PlugEntry> NoOthers;

// Parsing the detect string is the dearest part of counting an entry, and
// configurations repeat their detect strings: without a second registration to
// look for, whether an entry has notes depends on its kind and detect string only.
bool HasNotes(const PlugEntry& e, bool sharesFile) {
    if (sharesFile) return !DetectNotes(e, &TabEntries, nullptr).empty();
    static std::map<std::pair<int, std::wstring>, bool> known;
    std::pair<int, std::wstring> key{static_cast<int>(e.kind), e.hasDetect ? L"=" + e.detectText : L""};
    if (auto found = known.find(key); found != known.end()) return found->second;
    if (known.size() > 100000) known.clear();
    return known[std::move(key)] = !DetectNotes(e, &NoOthers, nullptr).empty();
}

TabCounts CountEntry(int tab, const PlugEntry& e, bool sharesFile) {
    TabCounts c;
    c.missing = !e.fileExists;
    if (tab <= KindContent) {
        c.noDetect = !e.hasDetect;
        int check = RowCheckState(e);
        c.differs = check >= CheckPluginMore && check <= CheckIniNone;
        c.newExts = check == CheckPluginMore || check == CheckBothDiffer;
    } else if (tab == KindPacker) {
        c.differs = PacksDifferently(e);
    }
    c.wrongDir = InWrongFolder(e);
    c.notes = HasNotes(e, sharesFile);
    c.notFs = tab == KindFileSystem && &RowStateGlyph(e) == &NotFsGlyph();
    return c;
}

// The status bar is refreshed for every probe answer: an entry is counted again
// only after its row changed.
struct CountedEntry {
    bool counted = false;
    bool sharesFile = false;
    TabCounts counts;
};
std::vector<CountedEntry> Counted;
int CountedTab = -1;

TabCounts CountEntries(int tab) {
    if (tab != CountedTab || Counted.size() != TabEntries.size()) {
        Counted.assign(TabEntries.size(), {});
        CountedTab = tab;
        std::vector<uint8_t> shares = EntriesSharingFile(TabEntries);
        for (size_t i = 0; i < TabEntries.size(); ++i) Counted[i].sharesFile = shares[i] != 0;
    }
    TabCounts total;
    for (size_t i = 0; i < TabEntries.size(); ++i) {
        if (!Counted[i].counted) Counted[i].counts = CountEntry(tab, TabEntries[i], Counted[i].sharesFile);
        Counted[i].counted = true;
        total += Counted[i].counts;
    }
    return total;
}

}  // namespace

bool InWrongFolder(const PlugEntry& e) {
    if (!e.fileExists) return false;
    auto [it, isNew] = WrongFolders.try_emplace(e.expandedPath + L"|" + std::to_wstring(e.kindMask));
    if (isNew) it->second = PluginKindOfPath(e.path, e.kindMask) != 0;
    return it->second && !IsFindingAcked(BuildPipeRecord((int)e.kind, e.expandedPath, L"folder", L""));
}

void RecountEntry(size_t index) {
    if (index < Counted.size()) Counted[index].counted = false;
}

void ForgetTabCounts() {
    WrongFolders.clear();
    Counted.clear();
}

std::wstring JoinStatusPieces(const std::vector<std::wstring>& pieces) {
    std::wstring text;
    for (const auto& piece : pieces) text += (text.empty() ? L"" : L"  \u00b7  ") + piece;
    return text;
}

std::wstring PluginTabStatusText(int tab, int probeDone, int probeTotal) {
    TabCounts c = CountEntries(tab);
    std::vector<std::wstring> pieces;
    auto count = [&](const char* key, int n) {
        if (n) pieces.push_back(Filled(key, std::to_wstring(n)));
    };
    pieces.push_back(FillVars(Tr("st_plugins"), {{L"n", std::to_wstring(TabEntries.size())}, {L"t", TabName(tab)}}));
    count("st_disabled", (int)KeptEntries.size());
    if (probeDone < probeTotal)
        pieces.push_back(
            FillVars(Tr("st_probing"), {{L"n", std::to_wstring(probeTotal)}, {L"i", std::to_wstring(probeDone)}}));
    count("st_newexts", c.newExts);
    count(tab == KindPacker ? "st_capsdiff" : "st_differs", c.differs);
    count("st_nodetect", c.noDetect);
    count("st_missing", c.missing);
    count("st_wrongdir", c.wrongDir);
    count("st_notes", c.notes);
    count("st_notfs", c.notFs);
    if (!ShownSection.leftOverKeys.empty()) {
        std::wstring keys;
        for (const auto& k : ShownSection.leftOverKeys) keys += (keys.empty() ? L"" : L", ") + k;
        pieces.push_back(Filled("st_stray", keys, L"k"));
    }
    if (ShownSection.iniMissing) pieces.push_back(Tr("st_secmissing"));
    pieces.push_back(ShownSection.iniUsed);
    std::wstring tc = EnvGet(L"COMMANDER_PATH");
    pieces.push_back(L"TC: " + (tc.empty() ? L"?" : tc));
    return JoinStatusPieces(pieces);
}

std::wstring ComposeStatusText(const MainView& view, int tab, int probeDone, int probeTotal) {
    std::wstring text;
    if (WincmdIniPath.empty()) text = Tr("st_noini");
    else if (tab == 4) text = InventoryStatus(BgProbeRunning || probeDone < probeTotal || InventoryReadsRunning());
    else if (tab == 5) text = FindingsStatus();
    else if (tab == 6 && view.previewMode == 1) text = ListerCheckStatusText();
    else if (tab == 6) text = JoinStatusPieces(PvStatusPieces());
    else text = PluginTabStatusText(tab, probeDone, probeTotal);
    std::vector<std::wstring> pieces;
    if (!view.statusNote.empty()) pieces.push_back(view.statusNote);
    if (uint32_t pending = CountPendingChanges()) pieces.push_back(Filled("st_pending", std::to_wstring(pending)));
    pieces.push_back(text);
    return JoinStatusPieces(pieces);
}

std::wstring ListerCheckStatusText() {
    if (PreviewFile.empty()) return Tr("st_pvnofile");
    int f3 = 0, key4 = 0;
    for (const LvRow& row : LvRows) {
        f3 += row.state == LvF3;
        key4 += row.state == LvKey4;
    }
    std::wstring ext = LvFileExt.empty() ? Tr("ext_noext") : L"." + LvFileExt;
    std::wstring text =
        FillVars(Tr("st_lv"), {{L"n", std::to_wstring(f3)}, {L"k", std::to_wstring(key4)}, {L"e", ext}});
    return JoinStatusPieces({text, Tr("lv_note_short")});
}

void UpdateStatusBar(MainView& view) {
    UpdateMarksStrip(view);
    UpdateStatusText(view);
}

void UpdateStatusText(MainView& view) {
    HWND bar = view.controls.statusBar;
    if (!bar) return;
    int tab = view.controls.tabCtl ? TabCtrl_GetCurSel(view.controls.tabCtl) : 0;
    std::wstring text = SectionReadRunning() ? Tr("st_loading") : ComposeStatusText(view, tab, ProbeDone, ProbeTotal);
    SendMessageW(bar, SB_SETTEXTW, 0, (LPARAM)text.c_str());
}
