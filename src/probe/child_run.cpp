#include "probe/child_run.h"

#include <vector>

#include "foundation/handles.h"
#include "foundation/text.h"

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

// The attribute that lets the child inherit the one handle given and no other, so
// a pipe of a child started at the same time on another thread stays that child's.
struct InheritOnly {
    std::vector<char> storage;
    HANDLE handle;
    bool initialized = false;
    bool ok = false;

    explicit InheritOnly(HANDLE h) : handle(h) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage.resize(size);
        initialized = size && InitializeProcThreadAttributeList(List(), 1, 0, &size);
        ok = initialized && UpdateProcThreadAttribute(List(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle,
                                                      sizeof handle, nullptr, nullptr);
    }
    ~InheritOnly() {
        if (initialized) DeleteProcThreadAttributeList(List());
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST List() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()); }
};

// Puts the suspended child into the job and lets it run; a child that cannot be
// held by the job, or cannot be resumed, is ended instead.
bool StartInJob(HANDLE process, HANDLE thread) {
    HANDLE job = ChildJob();
    if (job && AssignProcessToJobObject(job, process) && ResumeThread(thread) != (DWORD)-1) return true;
    EndChild(process);
    return false;
}

}  // namespace

void RunChildCapture(ChildRun& run, const std::vector<std::wstring>& args, const std::wstring& workDir,
                     uint32_t timeoutMs, const std::wstring& exe) {
    run = ChildRun{};
    KernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), nullptr, PipeBufferSize)) return;
    // The handle list names what the child may inherit; each must be inheritable itself.
    if (!SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return;

    // The program name is read up to its closing quote, backslashes and all.
    std::wstring command = L"\"" + ExePathFor(exe) + L"\"";
    for (const std::wstring& arg : args) command += L" " + QuoteArg(arg);
    std::vector<wchar_t> commandLine(command.begin(), command.end());
    commandLine.push_back(0);

    InheritOnly inherit(writeEnd.Get());
    if (!inherit.ok) return;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = writeEnd.Get();
    startup.StartupInfo.hStdError = writeEnd.Get();
    startup.lpAttributeList = inherit.List();
    PROCESS_INFORMATION pi{};
    // Suspended until it is in the job, so not one instruction runs outside it.
    BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                  workDir.empty() ? nullptr : workDir.c_str(), &startup.StartupInfo, &pi);
    writeEnd.Reset();
    if (!created) return;
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    if (!StartInJob(process.Get(), thread.Get())) return;

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
