#include "foundation/labels.h"

#include <cwchar>

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

std::wstring PluginKindText(int kindMask) {
    static const char* const kKeys[] = {"kind_lister", "kind_content", "kind_packer", "kind_fs"};
    std::wstring text;
    for (int bit = 0; bit < 4; ++bit) {
        if (!(kindMask & (1 << bit))) continue;
        if (!text.empty()) text += L" + ";
        text += Tr(kKeys[bit]);
    }
    return text.empty() ? Tr("info_none") : text;
}

bool AnyNameIn(const std::set<std::string>& set, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (set.count(name)) return true;
    return false;
}

void AppendKeyTextIfAnyNameIn(const std::set<std::string>& set, std::wstring& result, const char* key,
                  std::initializer_list<const char*> names) {
    if (!AnyNameIn(set, names)) return;
    if (!result.empty()) result += L", ";
    result += Tr(key);
}

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
