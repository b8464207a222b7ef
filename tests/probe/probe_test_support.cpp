#include "probe_test_support.h"

#include "foundation/env.h"
#include "foundation/texts.h"
#include "probe/child_modes.h"

namespace {

DWORD WINAPI LeaveChildThread(LPVOID exe) {
    ChildRun run;  // in a child, outside any test: nothing here may assert
    RunChildCapture(run, {L"--kv-hang"}, L"", 600000, *static_cast<std::wstring*>(exe));
    return 0;
}

// Started as a child, the test program behaves like the program's child modes, or
// like a misbehaving child for the runner's tests, before the test runner starts.
void TestChildCommands() {
    int code = 0;
    if (RunChildMode(code)) ExitProcess(code);
    std::wstring line = GetCommandLineW();
    if (line.find(L"--kv-print-bytes") != std::wstring::npos) {  // more than a pipe holds, then code 5
        std::string block(1000, 'x');
        for (int i = 0; i < 200; ++i) StdoutWrite(block.replace(0, 1, 1, static_cast<char>('a' + i % 26)));
        ExitProcess(5);
    }
    if (line.find(L"--kv-print-forever") != std::wstring::npos)
        for (std::string block(65536, 'y');;) StdoutWrite(block);
    if (line.find(L"--kv-hang") != std::wstring::npos) {
        StdoutWrite("waiting\n");
        Sleep(INFINITE);
    }
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
std::wstring TwinBuild(const std::wstring& rel) {
    std::wstring path = BuildPath(L"..\\" + EnvGet(L"KV_TWIN_BUILD")) + rel;
    return FileExists(path) ? path : L"";
}

}  // namespace

std::wstring FakePlugin(const std::wstring& name, const std::wstring& ext) {
    return BuildPath(L"fakes\\plugins\\" + name) + L"." + ext + (sizeof(void*) == 8 ? L"64" : L"");
}

std::wstring Configured(const std::wstring& name, const std::wstring& ext) {
    return BuildPath(L"fakes\\plugins\\" + name) + L"." + ext;
}

std::wstring FakePlugin32(const std::wstring& name, const std::wstring& ext) {
    return TwinBuild(L"\\fakes\\plugins\\" + name + L"." + ext);
}

std::wstring TwinExeBuilt() { return TwinBuild(L"\\bin\\Kestrovane32.exe"); }

std::wstring ProgramExe() { return BuildPath(sizeof(void*) == 8 ? L"bin\\Kestrovane.exe" : L"bin\\Kestrovane32.exe"); }

bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName) {
    std::wstring name = newName.empty() ? file.substr(file.find_last_of(L"\\/") + 1) : newName;
    return CopyFileW(file.c_str(), PathJoin(folder, name).c_str(), FALSE) != 0;
}

ChildRun RunSelf(const std::vector<std::wstring>& args, uint32_t timeoutMs, const std::wstring& exe) {
    ChildRun run;
    RunChildCapture(run, args, L"", timeoutMs, exe);
    // Every caller expects an answer; a start that failed is named, not mistaken for one.
    CHECK_MESSAGE(run.started == 1, StrToUtf8(run.failedCall) << " failed, error " << run.startError);
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
    InitLanguage(std::nullopt);
}

std::string PeHeaderBytes(uint16_t machine) {
    std::string bytes(512, '\0');
    bytes.replace(0, 2, "MZ");
    bytes[60] = 64;
    return bytes.replace(64, 6, std::string("PE\0\0", 4) + char(machine & 0xff) + char(machine >> 8));
}
