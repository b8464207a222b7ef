#include "views/view_texts.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "foundation/env.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/texts.h"

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
