#include "hostcfg_test_util.h"

#include <windows.h>

#include "foundation/encoding.h"

#include "support/test_support.h"

namespace {

void Put16(std::string& b, size_t at, uint16_t v) {
    if (b.size() < at + 2) b.resize(at + 2, '\0');
    b[at] = (char)(v & 0xFF);
    b[at + 1] = (char)(v >> 8);
}

void Put32(std::string& b, size_t at, uint32_t v) {
    Put16(b, at, (uint16_t)(v & 0xFFFF));
    Put16(b, at + 2, (uint16_t)(v >> 16));
}

}  // namespace

std::string BuildPeImage(const PeImageSpec& spec) {
    const size_t pe = 0x80, optSize = spec.pe32Plus ? 240 : 224;
    const size_t sectionTable = pe + 24 + optSize, raw = 0x200;
    const uint32_t va = 0x1000;
    std::string b(raw, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 60, (uint32_t)pe);
    Put32(b, pe, 0x00004550);
    Put16(b, pe + 4, spec.machine);
    Put16(b, pe + 6, 1);
    Put32(b, pe + 8, 0x5F000000);
    Put16(b, pe + 20, (uint16_t)optSize);
    Put16(b, pe + 24, spec.pe32Plus ? 0x20b : 0x10b);
    // Export directory: 40 bytes, then the name pointers, then the names.
    const uint32_t names = va + 40, strings = names + 4 * (uint32_t)spec.exports.size();
    std::string data(40, '\0');
    Put32(data, 24, spec.nameCountOverride ? spec.nameCountOverride : (uint32_t)spec.exports.size());
    Put32(data, 32, spec.nameTableRvaOverride ? spec.nameTableRvaOverride : names);
    uint32_t next = strings;
    for (size_t i = 0; i < spec.exports.size(); ++i) {
        Put32(data, 40 + 4 * i, next);
        next += (uint32_t)spec.exports[i].size() + 1;
    }
    for (const auto& name : spec.exports) data += name + '\0';
    Put32(b, pe + 24 + (spec.pe32Plus ? 112 : 96), va);
    Put32(b, pe + 24 + (spec.pe32Plus ? 116 : 100), (uint32_t)data.size());
    Put32(b, sectionTable + 8, (uint32_t)data.size());
    Put32(b, sectionTable + 12, va);
    Put32(b, sectionTable + 16, (uint32_t)data.size());
    Put32(b, sectionTable + 20, (uint32_t)raw);
    return b + data;
}

void WriteIniText(const std::wstring& path, const std::wstring& text, bool utf16) {
    if (utf16) return WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(text));
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string ansi((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), ansi.data(), n, nullptr, nullptr);
    WriteFileBytes(path, ansi);
}

doctest::String doctest::StringMaker<std::wstring>::convert(const std::wstring& s) {
    return StrToUtf8(s).c_str();
}
