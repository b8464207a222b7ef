// Reading a plugin DLL's PE headers and export names from its bytes, without
// loading it. Every offset is checked against the data size first. Only
// PeMachine and ReadPeExports touch files (pe_file.cpp); the rest works on
// bytes and builds on any platform.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr uint16_t PeMachineX86 = 0x14c;
constexpr uint16_t PeMachineX64 = 0x8664;
constexpr uint16_t PeMachineArm64 = 0xaa64;

struct PeInfo {
    uint8_t valid = 0;              // DOS and PE headers found and read
    uint16_t machine = 0;           // COFF Machine
    uint32_t timestamp = 0;         // COFF TimeDateStamp
    std::vector<std::string> exports;  // export names, sorted byte-wise
};

constexpr uint64_t PeMaxFileSize = 0x10000000;  // 256 MiB: larger files are no plugins

// COFF Machine of the file; 0 when it cannot be opened or is no PE file.
uint16_t PeMachine(const std::wstring& path);
// The same on bytes already in memory (the start of a file is enough).
uint16_t PeMachineOfBytes(std::span<const uint8_t> bytes);
// The same from the 64-byte DOS header and the 24 bytes at its PE offset
// (PeGetU32(dosHeader, 60)), for a reader that does not hold the whole start.
uint16_t PeMachineOfHeaders(std::span<const uint8_t> dosHeader, std::span<const uint8_t> peHeader);

// Reads the whole file (at most PeMaxFileSize).
void ReadPeExports(PeInfo& info, const std::wstring& path);
void ReadPeExportsFromBytes(PeInfo& info, std::span<const uint8_t> bytes);

// Bits 1 Lister, 2 Content, 4 Packer, 8 File system from exact export names.
int PluginKindMaskOf(const std::vector<std::string>& names);
// The name begins with one of the prefixes of TC's plugin interfaces.
bool IsPluginApiExport(const std::string& name);

// Little-endian value at offset; 0 when it does not lie wholly inside the data.
uint32_t PeGetU32(std::span<const uint8_t> bytes, uint64_t offset);
// File offset of an RVA through the section table, or -1.
int64_t PeRvaToOffset(uint32_t sectionCount, uint64_t sectionTable, std::span<const uint8_t> bytes,
                      uint32_t rva);
