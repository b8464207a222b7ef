#include "views/findings_list.h"

#include <commctrl.h>

#include <unordered_map>

#include "analyses/findings.h"
#include "foundation/labels.h"
#include "foundation/list_view.h"
#include "foundation/texts.h"
#include "foundation/virtual_list.h"
#include "probe/background_probe.h"
#include "views/inventory_list.h"
#include "views/list_sort.h"
#include "views/panes.h"

namespace {

std::wstring SeverityText(const Finding& f) {
    if (f.acked) return Tr("fk_acked");
    return Tr(f.severity == SeverityError ? "fk_error" : f.severity == SeverityDifference ? "fk_diff" : "fk_hint");
}

std::wstring PluginCell(const Finding& f) {
    std::wstring prefix;
    if (!f.otherIni && f.iniLine)
        prefix = L"wincmd.ini: ";
    else if (!f.otherIni && f.number >= 0 && (f.tab == 0 || f.tab == 1))
        prefix = EntryNumberText(f.number) + L" ";
    return prefix + f.name + (FindingPending(f) ? L" *" : L"");
}

void InsertRow(HWND list, int index, const std::array<std::wstring, 5>& cells) {
    for (int column = 0; column < 5; ++column) ListViewSetCell(list, index, column, cells[(size_t)column]);
}

// What tells a finding apart across two builds, whose indexes differ.
std::wstring Identity(int index) {
    if (index < 0 || (size_t)index >= Findings.size()) return L"";
    const Finding& f = Findings[(size_t)index];
    return f.ackKey + L"\n" + f.text;
}

// The marks of the last build's findings, by identity.
struct MarkedFindings {
    std::vector<std::wstring> selected;
    std::wstring focused, anchor;
};

MarkedFindings MarkedOf(HWND list) {
    RowMarks marks = ListViewMarksOf(list);
    MarkedFindings marked{{}, Identity(marks.focused), Identity(marks.anchor)};
    for (int index : marks.selected) marked.selected.push_back(Identity(index));
    return marked;
}

// A refill (a probe answer, a check, a save) leaves the user on the findings they
// stood on, quietly: the same findings are no new selection.
void PutMarksBack(HWND list, const MarkedFindings& marked) {
    std::unordered_map<std::wstring, int> indexOf;
    for (size_t i = 0; i < Findings.size(); ++i) indexOf.try_emplace(Identity((int)i), (int)i);
    auto index = [&](const std::wstring& identity) {
        auto found = indexOf.find(identity);
        return identity.empty() || found == indexOf.end() ? -1 : found->second;
    };
    RowMarks marks{{}, index(marked.focused), index(marked.anchor)};
    for (const std::wstring& identity : marked.selected)
        if (int i = index(identity); i >= 0) marks.selected.push_back(i);
    ListViewPutMarks(list, marks);
}

}  // namespace

std::wstring FixKindText(int fix, bool sentence) {
    static const char* const kKinds[] = {"none", "edit", "caps", "detect", "stray", "modegap"};
    std::string key = (sentence ? "fx_" : "fxs_") + std::string(kKinds[fix >= 0 && fix <= FixModeGap ? fix : 0]);
    return Tr(key.c_str());
}

std::array<std::wstring, 5> FindingCells(const Finding& f) {
    return {SeverityText(f), TabName(f.tab), PluginCell(f), f.text, FixKindText(f.fix, false)};
}

std::wstring FindingDetailText(int index) {
    if (index < 0 || (size_t)index >= Findings.size()) return L"";
    const Finding& f = Findings[(size_t)index];
    std::wstring text = Tr("fdl_finding") + L"\t" + f.text + L"\r\n" + Tr("fdl_explain") + L"\t" + f.explanation;
    if (!f.advice.empty()) text += L"\r\n" + Tr("fdl_todo") + L"\t" + f.advice;
    return text + L"\r\n" + Tr("fdl_fix") + L"\t" + FixKindText(f.fix, true);
}

std::wstring FindingsStatus() {
    int counts[4] = {};
    for (const Finding& f : Findings) ++counts[f.severity >= 1 && f.severity <= 3 ? f.severity : 0];
    std::wstring text = FillVars(Tr("st_findings"), {{L"n", std::to_wstring(Findings.size())},
                                                     {L"e", std::to_wstring(counts[1])},
                                                     {L"d", std::to_wstring(counts[2])},
                                                     {L"h", std::to_wstring(counts[3])}});
    if (HiddenAckedCount > 0)
        text += kStatusSeparator + FillVar(Tr("st_ackhidden"), L"n", std::to_wstring(HiddenAckedCount));
    if (BgProbeRunning || FindingsPartial) text += kStatusSeparator + Tr("st_findpartial");
    return text;
}

void FillFindingsList(MainView& view) {
    HWND list = view.controls.findingsList;
    MarkedFindings marked = list ? MarkedOf(list) : MarkedFindings{};
    BuildFindings();
    if (!list) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListViewDeleteAllRows(list);
    for (size_t i = 0; i < Findings.size(); ++i) InsertRow(list, (int)i, FindingCells(Findings[i]));
    ListViewShowRows(list);
    ListViewSortApply(list);
    PutMarksBack(list, marked);
    ListViewFitLastColumn(list);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    SetDetailText(view, selected < 0 ? L"" : FindingDetailText(ListViewItemData(list, selected)), true);
}
