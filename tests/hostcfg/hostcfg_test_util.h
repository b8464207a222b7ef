// Fixtures shared by the host-model tests: small PE images and INI files.
#pragma once
#include <doctest/doctest.h>

#include <cstdint>
#include <string>
#include <vector>

struct PeImageSpec {
    uint16_t machine = 0x8664;
    bool pe32Plus = true;
    std::vector<std::string> exports;
    uint32_t nameCountOverride = 0;    // nonzero: NumberOfNames as written
    uint32_t nameTableRvaOverride = 0;  // nonzero: AddressOfNames as written
};

// A minimal DLL image: headers, one section holding the export directory.
std::string BuildPeImage(const PeImageSpec& spec);

// An INI file as TC may write it: in the ANSI code page, or UTF-16LE with a
// byte-order mark.
void WriteIniText(const std::wstring& path, const std::wstring& text, bool utf16);

// Wide texts in failure messages, as UTF-8.
namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s);
};
}  // namespace doctest
