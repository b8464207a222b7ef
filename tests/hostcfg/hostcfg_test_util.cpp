#include "hostcfg_test_util.h"

void PutU32(std::string& b, size_t at, uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4, '\0');
    for (int i = 0; i < 4; ++i) b[at + i] = (char)(v >> (8 * i));
}

std::string BuildPeImage(const PeImageSpec& spec) {
    const size_t pe = 0x80, opt = spec.pe32Plus ? 240 : 224, sections = pe + 24 + opt;
    std::string b(0x200, '\0'), dir(40, '\0');
    b[0] = 'M', b[1] = 'Z';
    PutU32(b, 60, pe);
    PutU32(b, pe, 0x4550);
    PutU32(b, pe + 4, spec.machine | 1u << 16);  // one section
    PutU32(b, pe + 8, 0x5F000000);
    PutU32(b, pe + 20, (uint32_t)opt);
    PutU32(b, pe + 24, spec.pe32Plus ? 0x20b : 0x10b);
    uint32_t rva = 0x1028 + 4 * (uint32_t)spec.exports.size();
    PutU32(dir, 24, spec.nameCount ? spec.nameCount : (uint32_t)spec.exports.size());
    PutU32(dir, 32, spec.nameTableRva ? spec.nameTableRva : 0x1028);
    for (size_t i = 0; i < spec.exports.size(); rva += (uint32_t)spec.exports[i++].size() + 1) PutU32(dir, 40 + 4 * i, rva);
    for (const auto& name : spec.exports) dir += name + '\0';
    PutU32(b, pe + 24 + (spec.pe32Plus ? 112 : 96), 0x1000);  // export directory entry
    for (uint32_t field : {8, 16}) PutU32(b, sections + field, (uint32_t)dir.size());
    PutU32(b, sections + 12, 0x1000);
    PutU32(b, sections + 20, 0x200);
    return b + dir;
}

void WriteIniText(const std::wstring& path, const std::wstring& text, bool utf16) {
    if (utf16) return WriteFileBytes(path, "\xFF\xFE" + Utf16Bytes(text));
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string ansi((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), ansi.data(), n, nullptr, nullptr);
    WriteFileBytes(path, ansi);
}

TcIniDir::TcIniDir(const wchar_t* name) : dir(FreshTempDir(name)), ini(dir + L"\\wincmd.ini") { WincmdIniPath = ini; }

TcIniDir::~TcIniDir() {
    WincmdIniPath.clear();
    RemoveTree(dir);
}

doctest::String doctest::StringMaker<std::wstring>::convert(const std::wstring& s) { return StrToUtf8(s).c_str(); }
