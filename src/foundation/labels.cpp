#include "foundation/labels.h"

#include "foundation/texts.h"

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

bool NamesToSetA(const std::set<std::string>& set, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (set.count(name)) return true;
    return false;
}

void NamesToTextA(const std::set<std::string>& set, std::wstring& result, const char* key,
                  std::initializer_list<const char*> names) {
    if (!NamesToSetA(set, names)) return;
    if (!result.empty()) result += L", ";
    result += Tr(key);
}
