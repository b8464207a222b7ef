#include "dsx/keyword_text.h"

#include "foundation/texts.h"

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
