#include "foundation/texts.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "foundation/files.h"
#include "foundation/handles.h"
#include "foundation/ini.h"
#include "foundation/settings.h"
#include "foundation/text.h"

namespace {

// One language's texts. InitLanguage builds a new one aside and swaps the pointer,
// so a worker calling Tr meanwhile sees either the old or the new map, never a mix,
// and the snapshot it holds stays alive until it lets go.
struct TextState {
    std::wstring langCode = L"eng";
    std::map<std::string, std::wstring> texts;
};

std::atomic<std::shared_ptr<const TextState>> current{std::make_shared<const TextState>()};

std::shared_ptr<const TextState> Current() { return current.load(std::memory_order_acquire); }

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string NarrowLowBytes(const std::wstring& s) {
    std::string out;
    out.reserve(s.size());
    for (wchar_t c : s) out += static_cast<char>(c & 0xFF);
    return out;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& from, const std::wstring& to) {
    for (size_t pos = text.find(from); pos != std::wstring::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

std::wstring UnescapeLngValue(const std::wstring& value) {
    return ReplaceAll(ReplaceAll(value, L"\\t", L"\t"), L"\\n", L"\n");
}

std::wstring LanguageFolder() { return PathJoin(AppDir(), L"Language"); }

std::vector<std::wstring> LanguageFileNames() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(PathJoin(LanguageFolder(), L"*.lng").c_str(), &fd));
    if (!find) return names;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = fd.cFileName;
        if (FoldCase(name).find(L"example") != std::wstring::npos) continue;
        names.push_back(name);
    } while (FindNextFileW(find.Get(), &fd));
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring WindowsLanguageCode(unsigned uiLanguage) {
    switch (uiLanguage & 0x3FF) {
    case 0x06: return L"dan";
    case 0x07: return L"deu";
    case 0x0A: return L"esp";
    case 0x0C: return L"fra";
    case 0x10: return L"ita";
    case 0x13: return L"nld";
    case 0x15: return L"pol";
    case 0x19: return L"rus";
    case 0x22: return L"ukr";
    default: return L"eng";
    }
}

std::shared_ptr<const TextState> LoadTexts(const std::wstring& code, const LanguageFiles& found) {
    auto state = std::make_shared<TextState>();
    state->langCode = code;
    const bool german = code == L"deu";
    for (const TextRow& row : TextTable()) state->texts[row.key] = german ? row.german : row.english;
    auto file = found.find(FoldCase(code));
    if (file != found.end())
        for (const auto& [key, value] : ReadIniSection(file->second, code))
            state->texts[NarrowLowBytes(key)] = UnescapeLngValue(value);
    return state;
}

}  // namespace

std::wstring Tr(const char* key) {
    auto state = Current();
    auto it = state->texts.find(key);
    if (it != state->texts.end()) return it->second;
    return Widen(key);
}

std::wstring FillVars(const std::wstring& tmpl, const std::vector<TextVar>& vars) {
    std::wstring out;
    out.reserve(tmpl.size());
    size_t done = 0;
    for (size_t open = tmpl.find(L'{'); open != std::wstring::npos; open = tmpl.find(L'{', open + 1)) {
        size_t close = tmpl.find(L'}', open + 1);
        if (close == std::wstring::npos) break;
        std::wstring_view name(tmpl.data() + open + 1, close - open - 1);
        auto var = std::find_if(vars.begin(), vars.end(), [&](const TextVar& v) { return v.name == name; });
        if (var == vars.end()) continue;
        out.append(tmpl, done, open - done);
        out += var->value;
        done = close + 1;
        open = close;
    }
    out.append(tmpl, done, std::wstring::npos);
    return out;
}

std::wstring FillVar(const std::wstring& tmpl, const std::wstring& name, const std::wstring& value) {
    return FillVars(tmpl, {{name, value}});
}

std::wstring FindingActionText(const std::wstring& id) {
    auto state = Current();
    auto it = state->texts.find("fda_" + NarrowLowBytes(id));
    return it != state->texts.end() ? it->second : std::wstring();
}

std::wstring LangCode() { return Current()->langCode; }

LanguageFiles ScanLanguageFiles() {
    LanguageFiles found;
    const std::wstring folder = LanguageFolder();
    for (const std::wstring& name : LanguageFileNames()) {
        const std::wstring path = PathJoin(folder, name);
        for (const std::wstring& section : IniSectionNames(path)) {
            std::wstring code = FoldCase(StrTrim(section));
            if (!code.empty()) found.emplace(code, path);
        }
    }
    return found;
}

bool IsLanguageAvailable(const LanguageFiles& found, const std::wstring& code) {
    return code == L"eng" || code == L"deu" || found.count(FoldCase(code)) > 0;
}

std::wstring LanguageDisplayName(const std::wstring& code) {
    LanguageFiles found = ScanLanguageFiles();
    auto file = found.find(FoldCase(code));
    if (file != found.end()) {
        std::wstring name = StrTrim(IniGetString(file->second, code, L"lang_name"));
        if (!name.empty()) return name;
    }
    if (code == L"eng") return L"English";
    if (code == L"deu") return L"Deutsch";
    return code;
}

std::wstring ChooseLanguage(const LanguageFiles& found, const std::wstring& setting,
                            const std::optional<std::wstring>& tcLanguageIni, unsigned uiLanguage) {
    if (setting != L"auto" && IsLanguageAvailable(found, setting)) return setting;
    if (tcLanguageIni) {
        if (tcLanguageIni->empty()) return L"eng";
        std::wstring stem = FileStem(*tcLanguageIni);
        size_t cut = stem.rfind(L'_');
        std::wstring candidate = FoldCase(cut == std::wstring::npos ? stem : stem.substr(cut + 1));
        if (candidate.size() == 3 && IsLanguageAvailable(found, candidate)) return candidate;
    }
    std::wstring candidate = WindowsLanguageCode(uiLanguage);
    return IsLanguageAvailable(found, candidate) ? candidate : L"eng";
}

void InitLanguage(const std::optional<std::wstring>& tcLanguageIni) {
    LanguageFiles found = ScanLanguageFiles();
    std::wstring code = ChooseLanguage(found, GetSetting(L"General", L"Language"), tcLanguageIni,
                                       GetUserDefaultUILanguage());
    current.store(LoadTexts(code, found), std::memory_order_release);
}
