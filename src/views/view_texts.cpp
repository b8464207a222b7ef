#include "views/view_texts.h"

#include "foundation/text.h"
#include "foundation/texts.h"

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
