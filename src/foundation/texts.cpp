#include "foundation/texts.h"

#include <atomic>
#include <memory>

#include "foundation/settings.h"
#include "foundation/text.h"

#include <windows.h>

namespace {

// One language's texts. InitLanguage builds a new one aside and swaps the pointer,
// so a worker calling Tr meanwhile sees either the old or the new map, never a mix.
struct TextState {
    std::wstring langCode = L"eng";
    std::map<std::string, std::wstring> texts;
};

std::atomic<std::shared_ptr<const TextState>> current{std::make_shared<const TextState>()};

std::shared_ptr<const TextState> Current() { return current.load(std::memory_order_acquire); }

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

void Publish(const std::wstring& code) {
    auto state = std::make_shared<TextState>();
    state->langCode = code;
    const bool german = code == L"deu";
    for (const TextRow& row : TextTable()) state->texts[row.key] = german ? row.german : row.english;
    current.store(std::move(state), std::memory_order_release);
}

}  // namespace

std::wstring Tr(const char* key) {
    auto state = Current();
    auto it = state->texts.find(key);
    if (it != state->texts.end()) return it->second;
    return Widen(key);
}

std::wstring FillVar(const std::wstring& tmpl, const std::wstring& name, const std::wstring& value) {
    const std::wstring pattern = L"{" + name + L"}";
    std::wstring out = tmpl;
    size_t pos = out.find(pattern);
    while (pos != std::wstring::npos) {
        out.replace(pos, pattern.size(), value);
        pos = out.find(pattern, pos + value.size());
    }
    return out;
}

std::wstring FindingActionText(const std::wstring& id) {
    std::string key = "fda_";
    for (wchar_t c : id) key += static_cast<char>(c & 0xFF);
    auto state = Current();
    auto it = state->texts.find(key);
    return it != state->texts.end() ? it->second : std::wstring();
}

std::wstring LangCode() { return Current()->langCode; }


void InitLanguage() {
    std::wstring setting = GetSetting(L"General", L"Language");
    bool german = setting == L"deu" || (setting != L"eng" && (GetUserDefaultUILanguage() & 0x3FF) == 0x07);
    Publish(german ? L"deu" : L"eng");
}
