// Shared pieces of the probe tests: the test program doubles as the child copy of
// the program, and the fake plugins are copied into fresh folders per scenario.
#pragma once
#include <doctest/doctest.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "probe/child_run.h"
#include "probe/fields.h"
#include "support/test_support.h"

// A fake plugin of this build ("lister" -> ...\lister.wlx64 in a 64-bit build).
std::wstring FakePlugin(const std::wstring& name, const std::wstring& ext);
// The fake as wincmd.ini names it: without the "64" of a 64-bit build.
std::wstring Configured(const std::wstring& name, const std::wstring& ext);
// The 32-bit build's file of the same plugin, "" when that build is not there.
std::wstring FakePlugin32(const std::wstring& name, const std::wstring& ext);
// The 32-bit build's Kestrovane32.exe, "" when missing.
std::wstring TwinExeBuilt();
bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName = L"");
// A PE header claiming the machine, without exports: enough for the header readers.
std::string PeHeaderBytes(uint16_t machine);
// Heap blocks allocated and not yet freed by the whole test program.
extern std::atomic<long> LiveAllocations;
// English texts and a probe time-out of 2 s.
void UseTestSettings();
// Runs exe (empty: the test program itself) as a child that must start.
ChildRun RunSelf(const std::vector<std::wstring>& args, uint32_t timeoutMs = 20000, const std::wstring& exe = L"");
// The program of this build itself.
std::wstring ProgramExe();

// Wide texts in failure messages, as UTF-8.
namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& text);
};
}  // namespace doctest
