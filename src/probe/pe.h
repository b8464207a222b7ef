// Reading a plugin DLL's PE headers and export names from its bytes, without
// loading it. Every offset is checked against the data size first.
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

// COFF Machine of the file; 0 when it cannot be opened or is no PE file.
uint16_t PeMachine(const std::wstring& path);
// The same on bytes already in memory (the start of a file is enough).
uint16_t PeMachineOfBytes(std::span<const uint8_t> bytes);

// Reads the whole file (at most 256 MiB).
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
