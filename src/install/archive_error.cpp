#include <string>

#include "foundation/encoding.h"
#include "foundation/texts.h"
#include "install/unpack.h"

namespace {

struct ErrorWordText {
    const char* word;
    const char* key;
    const wchar_t* restName;   // placeholder for the detail, or the part after its TAB
    const wchar_t* firstName;  // placeholder for the part before the detail's TAB
};

const ErrorWordText kErrorWords[] = {
    {"notc", "ar_notc", nullptr, nullptr},
    {"nodll", "ar_nodll", L"d", nullptr},
    {"noload", "ar_noload", L"d", L"n"},
    {"noobj", "ar_noobj", L"d", L"n"},
    {"nofn", "ar_nofn", L"d", nullptr},
    {"unknown", "ar_unknown", nullptr, nullptr},
    {"zip64", "ar_zip64", nullptr, nullptr},
    {"big", "ar_big", nullptr, nullptr},
    {"crypt", "ar_crypt", L"f", nullptr},
    {"unsafe", "ar_unsafe", L"f", nullptr},
    {"link", "ar_link", L"f", nullptr},
    {"method", "ar_method", L"f", L"n"},
    {"crc", "ar_crc", L"f", nullptr},
    {"write", "ar_write", L"f", nullptr},
};
const ErrorWordText kOtherWord = {"", "ar_bad", L"f", nullptr};

// An archive may name an entry with tens of thousands of characters; a message
// shows its start and its end, which tell the entry apart.
std::wstring ShownName(const std::wstring& name) {
    constexpr size_t kShown = 120;
    if (name.size() <= 2 * kShown + 1) return name;
    return name.substr(0, kShown) + L"\u2026" + name.substr(name.size() - kShown);
}

}  // namespace

std::wstring ArchiveErrorText(const std::string& line) {
    size_t blank = line.find(' '), tab = line.find('\t');
    std::string word;
    if (blank != std::string::npos && (tab == std::string::npos || blank < tab))
        word = line.substr(blank + 1, tab == std::string::npos ? std::string::npos : tab - blank - 1);
    std::wstring detail = tab == std::string::npos ? L"" : Utf8ToWide(std::string_view(line).substr(tab + 1));
    size_t split = detail.find(L'\t');
    std::wstring first = split == std::wstring::npos ? L"" : detail.substr(0, split);
    std::wstring rest = split == std::wstring::npos ? detail : detail.substr(split + 1);

    const ErrorWordText* entry = &kOtherWord;
    for (const auto& e : kErrorWords)
        if (word == e.word) entry = &e;
    std::vector<TextVar> vars;
    if (entry->restName) vars.push_back({entry->restName, ShownName(rest)});
    if (entry->firstName) vars.push_back({entry->firstName, ShownName(first)});
    return FillVars(Tr(entry->key), vars);
}
