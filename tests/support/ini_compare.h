// The one-pass INI reader against the profile functions on the same file.
#pragma once
#include <doctest/doctest.h>

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
