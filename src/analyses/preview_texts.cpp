#include "analyses/preview_texts.h"

#include <iterator>

#include "analyses/content_preview.h"
#include "analyses/preview_state.h"
#include "foundation/labels.h"
#include "foundation/text.h"
#include "foundation/texts.h"

namespace {

constexpr int TypeBool = 6;
constexpr int ResultOnRequest = -4;

const char* const StateKeys[] = {"pvs_pending", "pvs_ok",      "pvs_crash",    "pvs_timeout", "pvs_32",
                                 "pvs_missing", "pvs_loadfail", "pvs_noexport", "pvs_skipped", "pvs_nomatch", "pvs_nostart"};

bool HasValue(const FieldValue& value) { return value.result > 0 || value.result == ResultOnRequest; }

bool IsFullText(int type) { return type == 9 || type == 12; }

const PvPlugin* RowAt(int index) {
    return index >= 0 && static_cast<size_t>(index) < PvPlugins.size() ? &PvPlugins[index] : nullptr;
}

std::wstring EntryName(const PvPlugin& row) {
    return row.builtIn ? row.name : EntryNumberText(row.number) + L"  " + row.name;
}

std::wstring ValueOf(const FieldDef& field, size_t unit) {
    return unit < field.values.size() ? PvFlagText(field.type, field.values[unit]) : L"";
}

std::wstring Counts(const PvPlugin& row) {
    return FillVars(Tr("pvs_ok"),
                    {{L"n", std::to_wstring(PvCountValuedFields(row))}, {L"m", std::to_wstring(row.fields.size())}});
}

std::wstring LoadFailText(const std::wstring& error) {
    std::wstring number = StrTrim(error);
    std::wstring text = FillVar(Tr("why_load"), L"n", number);
    int code = StrToInt(number);
    if (code == 126) text += L" – " + Tr("why_126");
    if (code == 193) text += L" – " + Tr("why_193");
    return text;
}

std::wstring PlaceholderText(const PvPlugin& row) {
    if (row.state == PvLoadFailure && PvIsLoadFail1114(row)) return Tr("fdx_onlytc");
    if (row.state == PvNotStarted) return PvStateText(row) + L" " + row.error;
    if (row.state != PvAnsweredOk) return PvStateText(row);
    return Tr(row.fields.empty() ? "pvv_nofields" : "pvv_novalues");
}

// Without "also empty fields" a field shows only when its first value is there,
// or, with "all units", when a later unit may be.
bool FieldShown(const FieldDef& field, bool alsoEmpty, bool allUnits) {
    if (field.values.empty()) return alsoEmpty;
    if (alsoEmpty || HasValue(field.values[0])) return true;
    return allUnits && field.values.size() > 1;
}

// The unit named by the item, else the field's first.
std::wstring UnitOf(const FieldDef& field, int unit) {
    if (field.units.empty()) return L"";
    return unit >= 0 && static_cast<size_t>(unit) < field.units.size() ? field.units[unit] : field.units[0];
}

}  // namespace

const FieldDef* PvFieldAt(const PvRowRef& ref) {
    const PvPlugin* row = RowAt(ref.row);
    if (!row || ref.field < 0 || static_cast<size_t>(ref.field) >= row->fields.size()) return nullptr;
    return &row->fields[ref.field];
}

int PvPickGroup(const PvPlugin& row) {
    if (row.builtIn || row.state == PvQuerying || row.state == PvAnsweredOk) return 1;
    if (row.state == PvNoMatch) return 2;
    return row.state == PvSkipped ? 4 : 3;
}

std::wstring PvPickGroupHeader(int group) {
    static const char* const keys[] = {"pvg_match", "pvs_nomatch", "fk_error", "pvg_skip"};
    return group >= 1 && group <= 4 ? Tr(keys[group - 1]) : L"";
}

std::wstring PvPickNameText(const PvPlugin& row) {
    std::wstring text = EntryName(row);
    if (row.specialist && row.match && row.state != PvSkipped) text += L"  ★";
    return text;
}

std::wstring PvPickResultText(const PvPlugin& row) {
    switch (row.state) {
    case PvAnsweredOk: return std::to_wstring(PvCountValuedFields(row)) + L"/" + std::to_wstring(row.fields.size());
    case PvQuerying: return L"…";
    case PvCrashed:
    case PvTimeLimit: return L"✗";
    case PvOnly32Bit: return L"32";
    case PvFileMissing: return L"×";
    case PvLoadFailure: return PvIsLoadFail1114(row) ? L"·" : L"✗";
    case PvNotContent: return L"–";
    case PvNotStarted: return L"\u00ac";
    default: return L"";
    }
}

std::wstring PvRunningText() {
    return FillVars(Tr("st_pvrunning"), {{L"i", std::to_wstring(PvAnswered)}, {L"n", std::to_wstring(PvJobsPending)}});
}

std::vector<std::wstring> PvStatusPieces() {
    int answered = 0, considered = 0;
    for (const PvPlugin& row : PvPlugins) {
        if (row.builtIn || row.state == PvSkipped || row.state == PvNoMatch) continue;
        ++considered;
        answered += row.state == PvAnsweredOk;
    }
    std::vector<std::wstring> pieces;
    if (PreviewFile.empty()) {
        pieces.push_back(Tr("st_pvnofile"));
    } else {
        pieces.push_back(
            FillVars(Tr("st_preview"), {{L"n", std::to_wstring(answered)}, {L"m", std::to_wstring(considered)}}));
    }
    if (PvRunning()) {
        pieces.push_back(PvRunningText());
    } else if (!PvWhyText.empty()) {
        pieces.push_back(PvWhyText);
    }
    return pieces;
}

std::wstring PvFieldTypeName(int type) {
    switch (type) {
    case 1:
    case 2: return Tr("pvt_int");
    case 3: return Tr("pvt_float");
    case 4: return Tr("pvt_date");
    case 5: return Tr("pvt_time");
    case 6: return Tr("pvt_bool");
    case 7: return Tr("pvt_choice");
    case 8:
    case 11: return Tr("pvt_text");
    case 9:
    case 12: return Tr("pvt_full");
    case 10: return Tr("pvt_datetime");
    default: return std::to_wstring(type);
    }
}

std::wstring PvFlagText(int type, const FieldValue& value) {
    if (value.result > 0) {
        if (value.result != TypeBool && type != TypeBool) return value.text;
        return Tr(value.text == L"1" ? "info_yes" : "info_no");
    }
    if (value.result == ResultOnRequest) return Tr("pvv_ondemand");
    if (value.result == -5) return Tr("pvv_notsupported");
    return L"";
}

std::wstring PvStateText(const PvPlugin& row) {
    if (row.state == PvAnsweredOk) return Counts(row);
    return row.state >= 0 && row.state < static_cast<int>(std::size(StateKeys)) ? Tr(StateKeys[row.state]) : L"";
}

std::wstring PvGroupHeader(const PvPlugin& row) {
    std::wstring state;
    if (row.state == PvLoadFailure && PvIsLoadFail1114(row))
        state = Tr("fd_onlytc");
    else if (row.state == PvLoadFailure && !StrTrim(row.error).empty())
        state = LoadFailText(row.error);
    else if (row.state == PvAnsweredOk)
        state = row.fields.empty() ? Tr("pvv_nofields") : Counts(row);
    else
        state = PvStateText(row) + (row.error.empty() ? L"" : L" " + row.error);
    std::wstring text = EntryName(row) + L"  –  " + state;
    if (!row.match) text += L"  ·  " + Tr("pvs_nomatch_run");
    return text;
}

std::vector<PvItem> PvGroupItems(int index, bool alsoEmpty, bool allUnits) {
    std::vector<PvItem> items;
    const PvPlugin* row = RowAt(index);
    if (!row) return items;
    for (size_t f = 0; f < row->fields.size(); ++f) {
        const FieldDef& field = row->fields[f];
        if (!FieldShown(field, alsoEmpty, allUnits)) continue;
        PvItem item{{index, static_cast<int32_t>(f), 0}, field.name, L"", PvFieldTypeName(field.type)};
        if (!field.units.empty()) item.field += L"  [" + field.units[0] + L"]";
        item.value = IsFullText(field.type) ? Tr("pvv_fulltext") : ValueOf(field, 0);
        items.push_back(item);
        if (!allUnits) continue;
        for (size_t u = 1; u < field.values.size() && u < field.units.size(); ++u) {
            if (!alsoEmpty && !HasValue(field.values[u])) continue;
            items.push_back({{index, static_cast<int32_t>(f), static_cast<int32_t>(u)},
                             L"      [" + field.units[u] + L"]", ValueOf(field, u), item.type});
        }
    }
    if (items.empty()) items.push_back({{index, -1, 0}, L"", PlaceholderText(*row), L""});
    return items;
}

std::wstring PreviewRowText(const PvPlugin& row) {
    std::wstring text = Tr("pvd_plugin") + L"\t";
    if (row.builtIn) return text + row.name + L"  –  " + Tr("pv_pseudo");
    return text + EntryNumberText(row.number) + L"  " + row.name + L"  (" + row.path + L")";
}

std::wstring PvPluginDetailText(const PvPlugin& row) {
    std::wstring text = PreviewRowText(row);
    if (row.builtIn) return text;
    std::wstring state;
    if (row.state == PvLoadFailure && PvIsLoadFail1114(row)) {
        state = Tr("fdx_onlytc");  // the sentence names the code itself
    } else {
        state = PvStateText(row);
        if (row.state != PvAnsweredOk && !row.error.empty()) state += L" " + row.error;
    }
    return text + L"\r\n" + Tr("col_status") + L":\t" + state;
}

std::wstring PvFieldReference(const PvRowRef& ref) {
    const FieldDef* field = PvFieldAt(ref);
    if (!field) return L"";
    std::wstring unit = UnitOf(*field, ref.unit);
    return L"[=" + PvPlugins[ref.row].key + L"." + field->name + (unit.empty() ? L"" : L"." + unit) + L"]";
}

std::wstring PvItemValueText(const PvRowRef& ref) {
    const FieldDef* field = PvFieldAt(ref);
    return field && ref.unit >= 0 ? ValueOf(*field, static_cast<size_t>(ref.unit)) : L"";
}

std::wstring PvFieldDetailText(const PvRowRef& ref, const FieldUsage& usage) {
    const PvPlugin* row = RowAt(ref.row);
    if (!row) return L"";
    std::wstring text = PreviewRowText(*row);
    const FieldDef* field = PvFieldAt(ref);
    if (!field) return text;
    std::wstring type = PvFieldTypeName(field->type);
    text += L"\r\n" + Tr("pvd_field") + L"\t" + field->name + L"  ·  " + type;
    auto shown = [&](size_t unit) {
        std::wstring value = ValueOf(*field, unit);
        return value.empty() ? Tr("pvv_empty") : value;
    };
    if (field->units.empty()) {
        text += L"\r\n" + Tr("pvd_value") + L"\t" + (IsFullText(field->type) ? Tr("pvv_fulltext") : shown(0));
    } else {
        text += L"\r\n" + Tr("pvd_units");
        for (size_t u = 0; u < field->units.size(); ++u) text += L"\r\n\t" + field->units[u] + L":  " + shown(u);
    }
    std::wstring used = FieldUsageTextFor(usage, row->key, field->name);
    text += L"\r\n" + Tr("det_used") + L"\t" + (used.empty() ? Tr("use_nowhere") : used);
    return text + L"\r\n" + Tr("pvd_ref") + L"\t" + PvFieldReference(ref);
}
