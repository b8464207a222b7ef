#include "probe/child_run.h"

#include <vector>

#include "foundation/handles.h"

namespace {

constexpr DWORD PipeBufferSize = 65536;
constexpr DWORD PollMs = 50;
constexpr DWORD ReadChunk = 4096;
constexpr DWORD PathChars = 520;

// One job for every child of this process, created on first use and never closed:
// the system closes it when the program ends, and that ends the children with it.
HANDLE ChildJob() {
    static HANDLE job = [] {
        HANDLE h = CreateJobObjectW(nullptr, nullptr);
        if (!h) return h;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return h;
    }();
    return job;
}

std::wstring ExePathFor(const std::wstring& exe) {
    if (!exe.empty()) return exe.substr(0, PathChars - 1);
    wchar_t own[PathChars] = {};
    GetModuleFileNameW(nullptr, own, PathChars);
    return own;
}

// Reads what the pipe holds now; false when the output limit was reached.
bool Drain(HANDLE readEnd, std::string& output) {
    char buffer[ReadChunk];
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, available < ReadChunk ? available : ReadChunk, &got, nullptr) ||
            got == 0)
            break;
        size_t room = ChildOutputLimit - output.size();
        output.append(buffer, got < room ? got : room);
        if (output.size() >= ChildOutputLimit) return false;
    }
    return true;
}

void EndChild(HANDLE process) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 1000);
}

}  // namespace

void RunChildCapture(ChildRun& run, const std::wstring& args, const std::wstring& workDir,
                     uint32_t timeoutMs, const std::wstring& exe) {
    run = ChildRun{};
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, PipeBufferSize)) return;
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    std::wstring command = L"\"" + ExePathFor(exe) + L"\" " + args;
    std::vector<wchar_t> commandLine(command.begin(), command.end());
    commandLine.push_back(0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION pi{};
    // Suspended until it is in the job, so not one instruction runs outside it.
    BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                                  workDir.empty() ? nullptr : workDir.c_str(), &startup, &pi);
    writeEnd.Reset();
    if (!created) return;
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    if (HANDLE job = ChildJob()) AssignProcessToJobObject(job, process.Get());
    ResumeThread(thread.Get());

    run.started = 1;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = WaitForSingleObject(process.Get(), PollMs);
        if (!Drain(readEnd.Get(), run.output)) {
            EndChild(process.Get());
            break;
        }
        if (waited != WAIT_TIMEOUT) break;
        if (GetTickCount() - start > timeoutMs) {
            EndChild(process.Get());
            run.timedOut = 1;
            break;
        }
    }
    Drain(readEnd.Get(), run.output);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    run.exitCode = code;
}

void StdoutWrite(const void* bytes, size_t n) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, static_cast<DWORD>(n), &written, nullptr);
}

void StdoutWrite(const std::string& text) { StdoutWrite(text.data(), text.size()); }

LONG WINAPI ChildCrashFilter(EXCEPTION_POINTERS*) {
    StdoutWrite("CRASH\n", 6);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

void ChildEndNow(UINT exitCode) {
    TerminateProcess(GetCurrentProcess(), exitCode);
    ExitProcess(exitCode);
}
