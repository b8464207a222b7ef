// A TC set-up in a temporary folder for the Lister-check tests: wincmd.ini,
// plugin files of chosen architectures, and files to check.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "analyses/lister_check.h"
#include "support/test_support.h"

struct CheckFixture {
    std::wstring dir;
    ScopedEnv commanderPath;

    explicit CheckFixture(const wchar_t* name);
    ~CheckFixture();
    // Writes wincmd.ini (UTF-16) and makes it the one in use.
    void Ini(const std::wstring& text);
    // A plugin file p\<file> with the PE machine given (0: not a PE file); the
    // build's own fake Lister plugin stands for its own architecture.
    void Plugin(const std::wstring& file, uint16_t machine);
    // A file files\<name>; returns its path.
    std::wstring File(const std::wstring& name, const std::string& bytes);
    // Reads the Lister section and checks the file as a 64-bit or 32-bit TC would.
    std::vector<LvRow> Check(const std::wstring& file, bool tc32 = false);
};

// The texts in English, whatever the prefix's language.
void UseEnglish();

// One line per row: the mark, "#n name" or the caption, ": " and the reason.
std::wstring RowsText(const std::vector<LvRow>& rows);
