#include "shell/plugin_menu_parts.h"

#include <algorithm>

#include "foundation/text.h"
#include "hostcfg/pending.h"

namespace {

std::wstring FileNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ExtensionOf(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? L"" : FoldCase(name.substr(dot + 1));
}

bool OneOf(const std::wstring& word, std::initializer_list<const wchar_t*> words) {
    return std::any_of(words.begin(), words.end(), [&](const wchar_t* w) { return word == w; });
}

bool HasDocName(const std::wstring& lowerName) {
    for (const wchar_t* start : {L"readme", L"liesmich", L"lisezmoi", L"leggimi", L"history", L"changelog",
                                 L"changes", L"whatsnew", L"license", L"lizenz"})
        if (lowerName.starts_with(start)) return true;
    return false;
}

}  // namespace

bool IsDocFile(const std::wstring& fileName) {
    std::wstring name = FoldCase(FileNameOf(fileName));
    if (name == L"pluginst.inf") return true;
    std::wstring ext = ExtensionOf(name);
    // A readme without extension has no program of its own: Lister shows it as text.
    if (ext.empty()) return HasDocName(name);
    if (OneOf(ext, {L"txt", L"md", L"markdown", L"htm", L"html", L"chm", L"pdf", L"nfo", L"rtf", L"hlp", L"diz"}))
        return true;
    return HasDocName(name) && OneOf(ext, {L"1st", L"doc", L"docx", L"odt", L"log"});
}

bool OpensInLister(const std::wstring& fileName) {
    std::wstring name = FileNameOf(fileName);
    if (name.find(L'.') == std::wstring::npos) return true;
    return OneOf(ExtensionOf(name), {L"txt", L"md", L"markdown", L"inf", L"ini", L"nfo", L"diz", L"log", L"1st"});
}

bool CompareDocFiles(const std::wstring& a, const std::wstring& b) {
    auto rank = [](const std::wstring& path) {
        std::wstring name = FoldCase(FileNameOf(path));
        if (name.starts_with(L"readme") || name.starts_with(L"liesmich")) return 0;
        return name == L"pluginst.inf" ? 2 : 1;
    };
    int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb;
    return StrICmp(a, b) < 0;
}

std::vector<OwnCommand> ParseOwnCommands(const std::vector<std::wstring>& values) {
    std::vector<OwnCommand> commands;
    for (const std::wstring& value : values) {
        size_t bar = value.find(L'|');
        if (bar == std::wstring::npos) continue;
        commands.push_back({StrTrim(value.substr(0, bar)), StrTrim(value.substr(bar + 1))});
    }
    return commands;
}

std::array<bool, 5> OrderItemsEnabled(const std::vector<int>& selected, int count) {
    if (selected.empty()) return {false, false, false, false, false};
    if (!IsContiguousRun(std::vector<unsigned>(selected.begin(), selected.end()))) return {true, true, true, true, true};
    int first = selected.front(), last = selected.back();
    bool up = first > 0, down = last < count - 1;
    return {up, down, up, down, false};
}

std::wstring TcCandidateLabel(const std::wstring& exe, bool running, bool oneFolder, const std::wstring& notRunning) {
    std::wstring label = FoldCase(FileNameOf(exe)).find(L"64") != std::wstring::npos ? L"64 Bit" : L"32 Bit";
    if (!running) label += L", " + notRunning;
    if (!oneFolder) label += L", " + PathDir(exe);
    return label;
}
