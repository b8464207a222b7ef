#include "views/row_status.h"

#include <windows.h>
#include <commctrl.h>

#include <iterator>

#include "analyses/detect_compare.h"
#include "hostcfg/kept.h"
#include "hostcfg/plug_entry.h"
#include "views/list_rows.h"
#include "views/panes.h"
#include "views/status_text.h"
#include "foundation/themes.h"
#include "foundation/labels.h"
#include "dsx/keyword_text.h"
#include "foundation/path_display.h"
#include "foundation/virtual_list.h"
#include "views/cell_texts.h"
#include "views/extra_columns.h"

namespace {

enum GlyphId {
    GSame, GReworded, GMore, GLess, GBoth, GNoIni, GNone, G32, GErr, GNotAsked, GOnlyTc, GMissing, GPending,
    GCapsDiff, GFsOk, GNotFs
};

// In the order the legend explains them.
const StatusGlyph kGlyphs[] = {
    {L"=", "chk_same", "lgx_same"},
    {L"(\u2026)", "chk_reworded", "lgx_reworded"},
    {L"++", "chk_more", "lgx_more"},
    {L"\u2212\u2212", "chk_less", "lgx_less"},
    {L"\u00b1", "chk_both", "lgx_both"},
    {L"\u00d8", "chk_noini", "lgx_noini"},
    {L"\u2013", "chk_none", "lgx_none"},
    {L"32", "chk_32", "lgx_32"},
    {L"!", "chk_err", "lgx_err"},
    {L"\u00ac", "chk_nostart", "lgx_nostart"},
    {L"\u00b7", "fd_onlytc", "fdx_onlytc"},
    {L"\u00d7", "chk_missing", "lgx_missing"},
    {L"\u2026", "chk_pending", "lgx_pending"},
    {L"\u2260", "chk_capsdiff", "lgx_capsdiff"},
    {L"\u2022", "chk_fsok", "lgx_fsok"},
    {L"?", "chk_notfs", "lgx_notfs"},
};

bool PackerCapsDiffer(const PlugEntry& e) {
    if (e.probeStatus != ProbeOk || e.packerFlags.empty()) return false;
    int caps = _wtoi(e.probeAnswer.c_str());
    for (int flag : e.packerFlags)
        if (flag != caps) return true;
    return false;
}

GlyphId GlyphOf(const PlugEntry& e) {
    switch (e.probeStatus) {
    case ProbePending: return GPending;
    case ProbeNoExport: return GNone;
    case Probe32Bit: return G32;
    case ProbeError:
        if (e.probeNotStarted) return GNotAsked;
        return ProbeIsLoadFail1114(e.probeStatus, e.probeError, e.probeNotStarted) ? GOnlyTc : GErr;
    case ProbeMissing: return GMissing;
    default: break;
    }
    if (e.kind == KindFileSystem) return e.kindMask < 0 || (e.kindMask & 8) ? GFsOk : GNotFs;
    if (e.kind == KindPacker) return PackerCapsDiffer(e) ? GCapsDiff : GSame;
    switch (RowCheckState(e)) {
    case CheckSame: return GSame;
    case CheckSameExtensions: return GReworded;
    case CheckPluginMore: return GMore;
    case CheckIniMore: return GLess;
    case CheckBothDiffer: return GBoth;
    default: return GNoIni;
    }
}

}  // namespace

const StatusGlyph& RowStateGlyph(const PlugEntry& entry) { return kGlyphs[GlyphOf(entry)]; }

const StatusGlyph* StatusGlyphs(size_t& count) {
    count = std::size(kGlyphs);
    return kGlyphs;
}

const StatusGlyph& NotFsGlyph() { return kGlyphs[GNotFs]; }

void UpdateRowStatusCells(MainView& view, int index) {
    if (index < 0 || (size_t)index >= TabEntries.size()) return;
    RecountEntry((size_t)index);
    HWND list = view.controls.pluginList;
    if (!list) return;
    int row = ListViewRowOfItemData(list, index, view.pluginRowOf);
    if (row < 0) return;
    const PlugEntry& e = TabEntries[(size_t)index];
    ListViewSetCellQuietly(list, row, 2, PlugEntryExtraText(e));
    ListViewSetCellQuietly(list, row, 3, RowStateGlyph(e).glyph);
    XcolUpdateReachCell(view, row);
    ListViewRepaintRow(list, row);
}

std::wstring SelectedRowPath(HWND pluginList, int row) {
    int id = pluginList ? ListViewItemData(pluginList, row) : -1;
    if (id < 0) return L"";
    if ((size_t)id < TabEntries.size()) return PathForDisplay(TabEntries[(size_t)id].path, false);
    if (id >= KeptIdBase && (size_t)(id - KeptIdBase) < KeptEntries.size())
        return PathForDisplay(KeptEntries[(size_t)(id - KeptIdBase)].path, false);
    return L"";
}

COLORREF StatusCellColor(const MainView& view, HWND list, int row, int column) {
    if (!CurrentTheme->custom) return (COLORREF)-1;
    const MainControls& c = view.controls;
    CellList which = list == c.pluginList     ? CellList::Plugins
                     : list == c.extList      ? CellList::Extensions
                     : list == c.findingsList ? CellList::Findings
                                              : CellList::Other;
    std::wstring text = ListViewCellText(list, row, column).substr(0, 128);
    int slot = StatusCellSlot(which, column, text);
    return slot ? CurrentTheme->slot[slot] : (COLORREF)-1;
}

LRESULT StatusCellPrePaint(const MainView& view, NMLVCUSTOMDRAW* draw) {
    COLORREF colour = StatusCellColor(view, draw->nmcd.hdr.hwndFrom, (int)draw->nmcd.dwItemSpec, draw->iSubItem);
    draw->clrText = colour != (COLORREF)-1 ? colour : CurrentTheme->slot[2];
    draw->clrTextBk = CurrentTheme->slot[1];
    return CDRF_NEWFONT;
}
