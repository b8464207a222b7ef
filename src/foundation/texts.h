// Every text the user sees, fetched by a short ASCII key, in English, German or a
// language file from the folder Language beside the program.
#pragma once
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct TextRow {
    const char* key;
    const wchar_t* english;
    const wchar_t* german;
};

// The built-in table, in its fixed order.
std::span<const TextRow> TextTable();

// The key's text; a key no source has comes back as itself. Safe on any thread.
std::wstring Tr(const char* key);
// One placeholder name and the text that replaces it.
struct TextVar {
    std::wstring name;
    std::wstring value;
};
// Replaces every "{name}" of every pair in one pass over the template: an inserted
// value is never searched again, so a value that holds "{x}" stays as it is.
std::wstring FillVars(const std::wstring& tmpl, const std::vector<TextVar>& vars);
std::wstring FillVar(const std::wstring& tmpl, const std::wstring& name, const std::wstring& value);
// The advice text "fda_" + id, or "" when there is none.
std::wstring FindingActionText(const std::wstring& id);

// The code of the current language: "eng" until InitLanguage first runs.
std::wstring LangCode();
// Chooses the language from the settings, TC's LanguageIni (absent when no
// wincmd.ini is in use) and Windows, and loads its texts. Readers on other
// threads see the old texts or the new ones, never a mix.
void InitLanguage(const std::optional<std::wstring>& tcLanguageIni);

// Language code (lower case) -> full path of the first *.lng file, in name order,
// that has a section of that name.
using LanguageFiles = std::map<std::wstring, std::wstring>;
LanguageFiles ScanLanguageFiles();
bool IsLanguageAvailable(const LanguageFiles& found, const std::wstring& code);
std::wstring LanguageDisplayName(const std::wstring& code);
// The choice InitLanguage makes: the setting, then TC's LanguageIni (absent when no
// wincmd.ini is in use), then the primary language of Windows' UI language.
std::wstring ChooseLanguage(const LanguageFiles& found, const std::wstring& setting,
                            const std::optional<std::wstring>& tcLanguageIni, unsigned uiLanguage);
