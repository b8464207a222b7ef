// Fixtures shared by the host-model tests: small PE images, INI files as TC
// writes them, and a scratch folder that holds the wincmd.ini in use.
#pragma once
#include <doctest/doctest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "hostcfg/field_usage.h"
#include "hostcfg/lister_settings.h"
#include "hostcfg/plug_entry.h"
#include "hostcfg/plugin_keys.h"
#include "hostcfg/tc_discovery.h"
#include "support/test_support.h"

struct PeImageSpec {
    uint16_t machine = 0x8664;
    bool pe32Plus = true;
    std::vector<std::string> exports;
    uint32_t nameCount = 0, nameTableRva = 0;  // nonzero: written instead of the true values
};

// A minimal DLL image: headers, one section at RVA 0x1000 holding the export directory.
std::string BuildPeImage(const PeImageSpec& spec);
void PutU32(std::string& bytes, size_t at, uint32_t value);

// An INI file as TC writes it: in the ANSI code page, or UTF-16LE with a mark.
void WriteIniText(const std::wstring& path, const std::wstring& text, bool utf16);

// A fresh folder whose wincmd.ini is the one in use; both are gone afterwards.
struct TcIniDir {
    std::wstring dir, ini;
    explicit TcIniDir(const wchar_t* name);
    ~TcIniDir();
    std::wstring operator/(const std::wstring& rel) const { return dir + L"\\" + rel; }
};

namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s);
};
}  // namespace doctest
