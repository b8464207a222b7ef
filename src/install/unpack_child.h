// What the three readers of the /unpack child share: the limits, the exit codes,
// the answer line and TC's libraries.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "hostcfg/tc_discovery.h"

constexpr uint32_t kUnpackMaxEntries = 10000;
constexpr uint64_t kUnpackMaxTotal = 536870912;  // bytes of content, 512 MiB

enum UnpackExit {
    ExitOk = 0,
    ExitUnknown = 2,
    ExitNoLibrary = 3,
    ExitOpen = 4,
    ExitDamaged = 5,
    ExitRefused = 6,
    ExitWrite = 7,
};

// "ERR <word> TAB <detail>": the detail may come from the archive, so a control
// character in it is shown as '?' and cannot split the line or its fields.
void UnpackErr(const char* word, const std::wstring& detail);
// The same with a detail of two fields separated by a TAB.
void UnpackErr(const char* word, const std::wstring& first, const std::wstring& rest);
// Writes the error line and gives the exit code, so that a reader ends in one statement.
int UnpackFail(int exitCode, const char* word, const std::wstring& detail);
int UnpackFail(int exitCode, const char* word, const std::wstring& first, const std::wstring& rest);
// Writes "OK <files>" and gives ExitOk.
int UnpackOk(uint32_t files);

// A library of TC's folder, loaded with TC's folder searched for its own DLLs; on
// failure writes the error line and gives null (the caller then ends with ExitNoLibrary).
HMODULE LoadTcDll(const wchar_t* fileName);
// Looks up an export as the given function type; null when it is missing.
template <typename Fn>
Fn TcDllExport(HMODULE dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}
// Loads the library and binds its exports (bind gives false when one is missing):
// ExitOk, or ExitNoLibrary with the line written.
template <typename Bind>
int UnpackLoadLibrary(const wchar_t* fileName, Bind bind) {
    HMODULE dll = LoadTcDll(fileName);
    if (!dll) return ExitNoLibrary;
    return bind(dll) ? ExitOk : UnpackFail(ExitNoLibrary, "nofn", TcFilePath(fileName));
}

// Adds an entry's declared size to the run's total: past the limit the "big" line and ExitRefused.
int UnpackAddSize(uint64_t& total, uint64_t size, const std::wstring& archive);
// Makes a folder of an entry (rel names it in the line): on failure the "write" line and ExitWrite.
int UnpackMakeFolder(const std::wstring& folder, const std::wstring& rel);
// Creates the file (replacing one that exists) and writes the bytes; false on any failure.
bool WriteWholeFile(const std::wstring& path, const void* data, size_t size);

int UnpackZip(const std::wstring& archive, const std::wstring& target);
int UnpackRar(const std::wstring& archive, const std::wstring& target);
int Unpack7z(const std::wstring& archive, const std::wstring& target);
