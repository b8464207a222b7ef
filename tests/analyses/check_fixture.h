// A TC set-up in a temporary folder for the Lister-check tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "../hostcfg/hostcfg_test_util.h"
#include "analyses/lister_check.h"
#include "support/test_support.h"

struct CheckFixture {
    std::wstring dir;
    ScopedEnv commanderPath;

    // Texts in English; wincmd.ini (UTF-16) written and in use; the plugin files
    // p\<name> with their PE machines (0: missing).
    CheckFixture(const wchar_t* name, const std::wstring& ini,
                 const std::vector<std::pair<std::wstring, uint16_t>>& plugins);
    ~CheckFixture();
    std::wstring File(const std::wstring& name, const std::string& bytes);
    // Reads the Lister section and checks the file as a 64-bit or 32-bit TC would.
    std::vector<LvRow> Check(const std::wstring& name, const std::string& bytes = "x", bool tc32 = false);
};

void UseEnglish();
// One line per row: the mark, "#n name" or the caption, ": " and the reason.
std::wstring RowsText(const std::vector<LvRow>& rows);
