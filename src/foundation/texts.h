// Every text the user sees, fetched by a short ASCII key, in English, German or a
// language file from the folder Language beside the program.
#pragma once
#include <cstddef>
#include <map>
#include <span>
#include <string>

struct TextRow {
    const char* key;
    const wchar_t* english;
    const wchar_t* german;
};

// The built-in table, in its fixed order.
std::span<const TextRow> TextTable();

// The key's text; a key no source has comes back as itself.
std::wstring Tr(const char* key);
// Replaces every "{name}" by the value; the inserted value is never searched again.
std::wstring FillVar(const std::wstring& tmpl, const std::wstring& name, const std::wstring& value);
// The advice text "fda_" + id, or "" when there is none.
std::wstring FindingActionText(const std::wstring& id);

// The code of the current language: "eng" until InitLanguage first runs.
std::wstring LangCode();
// Chooses the language from the settings, TC and Windows and loads its texts.
void InitLanguage();
