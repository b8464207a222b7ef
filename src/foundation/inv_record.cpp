#include "foundation/inv_record.h"

#include "foundation/text.h"

std::wstring EntryGet(const InvRecord& entry, const std::wstring& key) {
    auto it = entry.find(key);
    return it == entry.end() ? L"" : it->second;
}

void EntrySet(InvRecord& entry, const std::wstring& key, const std::wstring& value, bool& changed) {
    if (EntryGet(entry, key) == value) return;
    entry[key] = value;
    changed = true;
}

namespace {
int TypeRank(const std::wstring& type) {
    if (type == L"C") return 1;
    if (type == L"P") return 2;
    if (type == L"F") return 3;
    return 0;
}
}  // namespace

bool InvEntryLess(const InvRecord& a, const InvRecord& b) {
    int ra = TypeRank(EntryGet(a, L"Type")), rb = TypeRank(EntryGet(b, L"Type"));
    if (ra != rb) return ra < rb;
    return StrLower(EntryGet(a, L"Name")) < StrLower(EntryGet(b, L"Name"));
}
