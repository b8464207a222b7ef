#include "views/view_texts.h"

#include <windows.h>
#include <shlwapi.h>
// shlwapi names its own trimming routine StrTrim.
#undef StrTrim

#include <cwchar>

#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"
#include "hostcfg/pending.h"
#include "hostcfg/plug_entry.h"

namespace {

constexpr uint32_t kKnownCaps = 0x3FF;

std::wstring PackerCapsMarked(uint32_t bits, const std::wstring& marker) {
    std::wstring text = PackerCapsText(bits), out;
    for (size_t start = 0;;) {
        size_t cut = text.find(L", ", start);
        if (!out.empty()) out += L", ";
        out += marker + L" " + text.substr(start, cut == std::wstring::npos ? cut : cut - start);
        if (cut == std::wstring::npos) return out;
        start = cut + 2;
    }
}

}  // namespace

std::wstring TabName(int tab) {
    static const char* const kKeys[] = {"tab_lister",    "tab_content",  "tab_packer", "tab_fs",
                                        "tab_inventory", "tab_findings", "tab_preview"};
    return Tr(kKeys[tab < 0 ? 0 : (tab > 6 ? 6 : tab)]);
}

std::wstring EntryNumberText(int number) { return FillVar(Tr("num_fmt"), L"n", std::to_wstring(number)); }

std::wstring ModeNameText(const std::wstring& word) {
    static const char* const kKeys[] = {"mode_1", "mode_2", "mode_3", "mode_4",
                                        "mode_5", "mode_6", "mode_7", "mode_8"};
    if (StrIEquals(word, L"4i")) return Tr("mode_4i");
    if (word.size() == 1 && word[0] >= L'1' && word[0] <= L'8') return Tr(kKeys[word[0] - L'1']);
    return word;
}

std::wstring EditMenuText(int kind) {
    switch (kind) {
    case 0:
    case 1: return Tr("cm_edit_lc");
    case 2: return Tr("cm_edit_pk");
    case 3: return Tr("cm_edit_fs");
    default: return Tr("cm_edit_entry");
    }
}

std::wstring PackerCapsText(uint32_t bits) {
    static const char* const kKeys[] = {"pk_new",     "pk_modify",    "pk_multiple",   "pk_delete", "pk_options",
                                        "pk_mempack", "pk_bycontent", "pk_searchtext", "pk_hide",   "pk_encrypt"};
    std::wstring text;
    auto add = [&](const std::wstring& name) { text += (text.empty() ? L"" : L", ") + name; };
    for (int i = 0; i < 10; ++i)
        if (bits & (1u << i)) add(Tr(kKeys[i]));
    if (uint32_t rest = bits & ~kKnownCaps) {
        wchar_t hex[16];
        swprintf(hex, 16, L"0x%X", rest);
        add(Tr("pk_unknown") + L" " + hex);
    }
    return text.empty() ? Tr("info_none") : text;
}

std::wstring PackerCapsAddedText(uint32_t oldBits, uint32_t newBits) {
    std::wstring text;
    if (uint32_t added = newBits & ~oldBits) text = PackerCapsMarked(added, L"+");
    if (uint32_t removed = oldBits & ~newBits)
        text += (text.empty() ? L"" : L" \u00b7 ") + PackerCapsMarked(removed, L"\u2212");
    return text;
}

std::wstring PathForDisplay(const std::wstring& path, bool compact) {
    std::wstring mode = GetSetting(L"View", L"PathDisplay");
    if (mode == L"ini" && !compact) return path;
    std::wstring expanded = EnvExpand(path);
    if (mode == L"resolved") return expanded;
    std::wstring tc = PathNoTrailingSep(EnvGet(L"COMMANDER_PATH"));
    if (!tc.empty() && tc.size() < expanded.size() && StrIEquals(expanded.substr(0, tc.size()), tc) &&
        expanded[tc.size()] == L'\\')
        return L"%COMMANDER_PATH%" + expanded.substr(tc.size());
    wchar_t vars[520];
    if (expanded.size() < MAX_PATH && PathUnExpandEnvStringsW(expanded.c_str(), vars, 520) &&
        _wcsnicmp(vars, L"%SystemDrive%", 13) != 0)
        return vars;
    return expanded;
}

std::wstring KeywordListText(const DetectItem& item) {
    switch (item.kind) {
    case DetItemMultimedia: return L"MULTIMEDIA";
    case DetItemForce: return L"FORCE";
    case DetItemNoDetect: return Tr("kwl_nodetect");
    case DetItemEmpty: return Tr("kwl_empty");
    case DetItemNoExt: return Tr("kwl_noext");
    default:
        if (item.text.empty()) return Tr("ext_noext");
        return item.text == L"*" ? Tr("ext_all") : item.text;
    }
}

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

std::wstring PackerLineValue(const PlugEntry& entry, size_t line) {
    if (line >= entry.iniDetect.items.size()) return L"";
    const PlugState* state = FindPlugState(KindPacker, entry.iniDetect.items[line].text);
    if (state && !state->deleted) return state->curValue;
    int flags = line < entry.packerFlags.size() ? entry.packerFlags[line] : 0;
    return NumberCommaText(flags, entry.path);
}

bool ConfirmMissingFile(void* owner, const std::wstring& path) {
    std::wstring expanded = EnvExpand(path);
    if (FileExists(expanded) || FileExists(expanded + L"64")) return true;
    std::wstring text = FillVar(Tr("ask_nofile"), L"f", expanded);
    return MessageBoxW((HWND)owner, text.c_str(), L"Kestrovane", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
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
