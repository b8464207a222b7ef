#include "probe_test_support.h"

#include <windows.h>

#include <string>

#include "foundation/encoding.h"
#include "foundation/env.h"
#include "foundation/files.h"
#include "foundation/settings.h"
#include "foundation/texts.h"
#include "support/test_support.h"
#include "foundation/text.h"
#include "probe/child_modes.h"

namespace {

DWORD WINAPI LeaveChildThread(LPVOID exe) {
    ChildRun run;
    RunChildCapture(run, L"--kv-hang", L"", 600000, *static_cast<std::wstring*>(exe));
    return 0;
}

// Started as a child, the test program behaves like the program's child modes, or
// like a misbehaving child for the runner's tests, before the test runner starts.
void TestChildCommands() {
    int code = 0;
    if (RunChildMode(code)) ExitProcess(code);
    std::wstring line = GetCommandLineW();
    if (line.find(L"--kv-print-bytes") != std::wstring::npos) {
        std::string block(1000, 'x');
        for (int i = 0; i < 200; ++i) {
            block[0] = static_cast<char>('a' + i % 26);
            StdoutWrite(block);
        }
        ExitProcess(0);
    }
    if (line.find(L"--kv-print-forever") != std::wstring::npos) {
        std::string block(65536, 'y');
        for (;;) StdoutWrite(block);
    }
    if (line.find(L"--kv-hang") != std::wstring::npos) {
        StdoutWrite("waiting\n");
        Sleep(INFINITE);
    }
    if (line.find(L"--kv-quick") != std::wstring::npos) ExitProcess(5);
    // A parent that ends while its own child still hangs.
    if (size_t at = line.find(L"--kv-leave-child "); at != std::wstring::npos) {
        static std::wstring exe = line.substr(at + 17);
        CreateThread(nullptr, 0, LeaveChildThread, &exe, 0, nullptr);
        Sleep(1500);
        ExitProcess(0);
    }
}

const int childCommands = (TestChildCommands(), 0);

// The sibling 32-bit build, e.g. build/x86 beside build/x64.
std::wstring TwinBuildDir() { return BuildPath(L"..\\" + EnvGet(L"KV_TWIN_BUILD")); }

std::wstring ExistingOrEmpty(const std::wstring& path) { return FileExists(path) ? path : L""; }

}  // namespace

std::wstring FakePlugin(const std::wstring& name, const std::wstring& ext) {
    std::wstring suffix = sizeof(void*) == 8 ? L"64" : L"";
    return BuildPath(L"fakes\\plugins\\" + name) + L"." + ext + suffix;
}

std::wstring Configured(const std::wstring& name, const std::wstring& ext) {
    std::wstring file = FakePlugin(name, ext);
    return file.ends_with(L"64") ? file.substr(0, file.size() - 2) : file;
}

std::wstring FakePlugin32(const std::wstring& name, const std::wstring& ext) {
    return ExistingOrEmpty(TwinBuildDir() + L"\\fakes\\plugins\\" + name + L"." + ext);
}

std::wstring TwinExeBuilt() { return ExistingOrEmpty(TwinBuildDir() + L"\\bin\\Kestrovane32.exe"); }

std::wstring ProgramExe() {
    return BuildPath(L"") + (sizeof(void*) == 8 ? L"\\bin\\Kestrovane.exe" : L"\\bin\\Kestrovane32.exe");
}

bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName) {
    std::wstring name = newName.empty() ? file.substr(file.find_last_of(L"\\/") + 1) : newName;
    return CopyFileW(file.c_str(), PathJoin(folder, name).c_str(), FALSE) != 0;
}

ChildRun RunSelf(const std::wstring& args, uint32_t timeoutMs) {
    ChildRun run;
    RunChildCapture(run, args, L"", timeoutMs, L"");
    return run;
}

doctest::String doctest::StringMaker<std::wstring>::convert(const std::wstring& text) {
    std::string quoted = "\"";
    quoted += StrToUtf8(text);
    quoted += '"';
    return quoted.c_str();
}

void UseTestSettings() {
    SettingsValues[L"Probe/Timeout"] = L"2";
    SettingsValues[L"General/Language"] = L"eng";
    ApplyDiagSettings();
    InitLanguage();
}

std::string PeHeaderBytes(uint16_t machine) {
    std::string bytes(512, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[60] = 64;
    bytes.replace(64, 4, std::string("PE\0\0", 4));
    bytes[68] = static_cast<char>(machine & 0xff);
    bytes[69] = static_cast<char>(machine >> 8);
    return bytes;
}
