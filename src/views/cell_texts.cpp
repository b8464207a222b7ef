#include "views/cell_texts.h"

#include "dsx/detect_spec.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/plug_entry.h"

std::wstring KeywordLegendText(int kind, const PlugEntry* entry) {
    bool content = entry && entry->kind == KindContent;
    switch (kind) {
    case DetItemMultimedia: return Tr(content ? "kw_multimedia_c" : "kw_multimedia");
    case DetItemForce: return Tr(content ? "kw_force_c" : "kw_force");
    case DetItemEmpty: return Tr(content ? "kw_empty_c" : "kw_empty");
    case DetItemNoDetect:
        if (!entry || entry->kind != KindLister) return Tr("kw_nodetect");
        if (entry->probeStatus == ProbeNoExport) return Tr("kw_nodetect_l0");
        if (entry->probeStatus != ProbeOk) return Tr("kw_nodetect_l");
        return Tr(StrTrim(entry->probeAnswer).empty() ? "kw_nodetect_l0" : "kw_nodetect_l");
    default: return Tr("kw_noext");
    }
}

std::wstring ExtListKey4Text(size_t index, const std::wstring& ext) {
    if (index >= TabEntries.size()) return L"";
    const PlugEntry& e = TabEntries[index];
    std::wstring mark;
    if (e.kind == KindLister && e.iniDetect.forced.count(ext)) mark = L", " + Tr("h_key4");
    return e.name + L" (" + EntryNumberText(e.number) + mark + L")";
}

namespace {

struct SlotText {
    const char* key;  // a text key, or null for a literal glyph
    const wchar_t* glyph;
    int slot;
};

int SlotOfText(std::initializer_list<SlotText> table, const std::wstring& text) {
    for (const auto& row : table)
        if (text == (row.key ? Tr(row.key) : std::wstring(row.glyph))) return row.slot;
    return 0;
}

}  // namespace

int StatusCellSlot(CellList list, int column, const std::wstring& cell) {
    std::wstring text = StrTrim(cell);
    if (text.empty()) return 0;
    if (list == CellList::Plugins && column == 3)
        return SlotOfText({{nullptr, L"=", 8},  {nullptr, L"\u2022", 8},       {nullptr, L"(\u2026)", 9},
                           {nullptr, L"++", 9}, {nullptr, L"\u00d8", 9},       {nullptr, L"\u2212\u2212", 10},
                           {nullptr, L"\u00b1", 10}, {nullptr, L"\u2260", 10}, {nullptr, L"?", 10},
                           {nullptr, L"!", 11}, {nullptr, L"\u00d7", 11},       {nullptr, L"\u2013", 12},
                           {nullptr, L"32", 12}, {nullptr, L"\u2026", 12},      {nullptr, L"\u00b7", 12}},
                          text);
    if (list == CellList::Extensions && column == 1)
        return SlotOfText({{"s_active", nullptr, 8},       {"s_active_cond", nullptr, 8},
                           {"s_active_force", nullptr, 8}, {"s_new", nullptr, 9},
                           {"s_will_add", nullptr, 9},     {"s_ini_only", nullptr, 10},
                           {"s_blocked", nullptr, 10},     {"s_overruled", nullptr, 10},
                           {"s_keyword", nullptr, 12},     {"s_excluded", nullptr, 12},
                           {"s_parked", nullptr, 12},      {"s_unexclude", nullptr, 9},
                           {"s_will_exclude", nullptr, 10}},
                          text);
    if (list == CellList::Findings && column == 0)
        return SlotOfText({{"fk_error", nullptr, 11}, {"fk_diff", nullptr, 10}, {"fk_hint", nullptr, 12}}, text);
    return 0;
}
