// Checks of INI files shared by the tests: the one-pass reader against the profile
// functions on the same file, and the code page the cases of ANSI files expect.
#pragma once
#include <doctest/doctest.h>
#include <windows.h>

#include <string>

#include "foundation/ini.h"
#include "foundation/text.h"

// Every section the one-pass reader finds, looked up by name, holds what the profile
// functions read there, and every key's value is what they return for it.
inline void CheckOnePassAsProfile(const std::wstring& ini) {
    const IniSections file = ReadIniFile(ini);
    for (const auto& [name, ignored] : file) {
        if (name.empty()) continue;
        CAPTURE(name);
        const IniPairs* lines = IniFindSection(file, name);
        REQUIRE(lines);
        IniPairs expected;
        for (const auto& [key, value] : ReadIniSection(ini, name)) {
            CAPTURE(key);
            expected.emplace_back(key, StrTrim(value));
            CHECK(IniFindValue(file, name, key) == IniGetString(ini, name, key));
        }
        CHECK(*lines == expected);
    }
}

// The cases of what TC's ANSI wincmd.ini cannot hold (fullwidth forms, ideographs,
// which a best fit turns into look-alikes) expect Windows-1252 as the system's code
// page; an East Asian one holds them all. Under another the case stops here, naming
// both, instead of failing for a fault that is none.
inline void RequireWesternCodePage() {
    const UINT system = GetACP();
    REQUIRE_MESSAGE(system == 1252, "these cases assume code page 1252, the system has " << system);
}
