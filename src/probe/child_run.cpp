#include "probe/child_run.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "foundation/handles.h"
#include "foundation/logs.h"
#include "foundation/text.h"
#include "foundation/texts.h"

namespace {

constexpr DWORD PipeBufferSize = 65536;
constexpr DWORD PollMs = 50;
constexpr DWORD ReadChunk = 4096;
constexpr DWORD PathChars = 520;
constexpr int StartAttempts = 4;
constexpr DWORD RetryPauseMs = 20;

// The call that made an attempt to start fail, and the error it left.
struct StartFailure {
    const wchar_t* call = L"";
    DWORD error = 0;
};

bool Failed(StartFailure& failure, const wchar_t* call) {
    failure = {call, GetLastError()};
    return false;
}

// Errors of a system short of something for a moment. With every core busy, Wine's
// CreateProcessW now and then fails with ERROR_INTERNAL_ERROR while the same start
// succeeds a moment later; a missing or broken program fails alike every time.
bool IsTransient(DWORD error) {
    switch (error) {
    case ERROR_INTERNAL_ERROR:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
    case ERROR_NONPAGED_SYSTEM_RESOURCES:
    case ERROR_PAGED_SYSTEM_RESOURCES:
    case ERROR_COMMITMENT_LIMIT:
    case ERROR_NOT_ENOUGH_QUOTA:
    case ERROR_WORKING_SET_QUOTA: return true;
    default: return false;
    }
}

// One job for every child of this process, made on first use and never closed: the
// system closes it when the program ends, and that ends the children with it. A job
// that could not be made is tried again at the next start. Never destroyed: workers
// may start children at exit.
struct ChildJobs {
    std::mutex lock;
    HANDLE job = nullptr;
    std::atomic<bool> ended{false};  // the program ends: no child starts any more
};

ChildJobs& Jobs() {
    static ChildJobs& jobs = *new ChildJobs;
    return jobs;
}

// The job, under the lock.
HANDLE ChildJob(ChildJobs& jobs, StartFailure& failure) {
    HANDLE& job = jobs.job;
    if (job) return job;
    KernelHandle made(CreateJobObjectW(nullptr, nullptr));
    if (!made) {
        Failed(failure, L"CreateJobObjectW");
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(made.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        Failed(failure, L"SetInformationJobObject");
        return nullptr;
    }
    job = made.Release();
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

    InheritOnly(HANDLE h, StartFailure& failure) : handle(h) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage.resize(size);
        initialized = size && InitializeProcThreadAttributeList(List(), 1, 0, &size);
        if (!initialized) {
            Failed(failure, L"InitializeProcThreadAttributeList");
            return;
        }
        ok = UpdateProcThreadAttribute(List(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle, sizeof handle, nullptr,
                                       nullptr) ||
             Failed(failure, L"UpdateProcThreadAttribute");
    }
    ~InheritOnly() {
        if (initialized) DeleteProcThreadAttributeList(List());
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST List() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data()); }
};

// What the parent holds of a running child.
struct Child {
    KernelHandle readEnd, process;
};

// Ends a suspended child that cannot be let run as it must.
bool Abandon(HANDLE process, StartFailure& failure, const wchar_t* call) {
    Failed(failure, call);
    EndChild(process);
    return false;
}

// Puts the suspended child into the job and lets it run; under the lock, so the
// end of the program ends it, or it never runs.
bool StartInJob(HANDLE process, HANDLE thread, StartFailure& failure) {
    ChildJobs& jobs = Jobs();
    std::lock_guard<std::mutex> hold(jobs.lock);
    if (jobs.ended) {
        SetLastError(ERROR_CANCELLED);
        return Abandon(process, failure, L"EndAllChildren");
    }
    HANDLE job = ChildJob(jobs, failure);
    if (!job) {
        EndChild(process);
        return false;
    }
    if (!AssignProcessToJobObject(job, process)) return Abandon(process, failure, L"AssignProcessToJobObject");
    if (ResumeThread(thread) == (DWORD)-1) return Abandon(process, failure, L"ResumeThread");
    return true;
}

bool StartOnce(Child& child, const std::wstring& command, const std::wstring& workDir, StartFailure& failure) {
    KernelHandle writeEnd;
    if (!CreatePipe(child.readEnd.Out(), writeEnd.Out(), nullptr, PipeBufferSize)) return Failed(failure, L"CreatePipe");
    // The handle list names what the child may inherit; each must be inheritable itself.
    if (!SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        return Failed(failure, L"SetHandleInformation");
    InheritOnly inherit(writeEnd.Get(), failure);
    if (!inherit.ok) return false;
    std::vector<wchar_t> commandLine(command.begin(), command.end());
    commandLine.push_back(0);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdOutput = writeEnd.Get();
    startup.StartupInfo.hStdError = writeEnd.Get();
    startup.lpAttributeList = inherit.List();
    PROCESS_INFORMATION pi{};
    // Suspended until it is in the job, so not one instruction runs outside it.
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &startup.StartupInfo, &pi))
        return Failed(failure, L"CreateProcessW");
    child.process.Reset(pi.hProcess);
    KernelHandle thread(pi.hThread);
    return StartInJob(pi.hProcess, pi.hThread, failure);
}

// Tries a few times, briefly, when the failure was a passing one.
bool StartChild(Child& child, const std::wstring& command, const std::wstring& workDir, StartFailure& failure) {
    for (int attempt = 1;; ++attempt) {
        if (StartOnce(child, command, workDir, failure)) return true;
        bool again = attempt < StartAttempts && IsTransient(failure.error);
        DebugLog(L"child start " + std::to_wstring(attempt) + L": " + failure.call + L" failed, error " +
                 std::to_wstring(failure.error) + (again ? L", trying again: " : L", given up: ") + command);
        if (!again) return false;
        Sleep(RetryPauseMs * attempt);
    }
}

}  // namespace

void RunChildCapture(ChildRun& run, const std::vector<std::wstring>& args, const std::wstring& workDir,
                     uint32_t timeoutMs, const std::wstring& exe) {
    run = ChildRun{};
    // At the program's end, not even tried: a scan of hundreds of plugins would start each.
    if (Jobs().ended) {
        run.failedCall = L"EndAllChildren";
        run.startError = ERROR_CANCELLED;
        return;
    }
    // The program name is read up to its closing quote, backslashes and all.
    std::wstring command = L"\"" + ExePathFor(exe) + L"\"";
    for (const std::wstring& arg : args) command += L" " + QuoteArg(arg);
    Child child;
    StartFailure failure;
    if (!StartChild(child, command, workDir, failure)) {
        run.failedCall = failure.call;
        run.startError = failure.error;
        return;
    }
    HANDLE process = child.process.Get(), readEnd = child.readEnd.Get();

    run.started = 1;
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = WaitForSingleObject(process, PollMs);
        if (!Drain(readEnd, run.output)) {
            EndChild(process);
            break;
        }
        if (waited != WAIT_TIMEOUT) break;
        if (GetTickCount() - start > timeoutMs) {
            EndChild(process);
            run.timedOut = 1;
            break;
        }
    }
    Drain(readEnd, run.output);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    run.exitCode = code;
}

void EndAllChildren() {
    ChildJobs& jobs = Jobs();
    std::lock_guard<std::mutex> hold(jobs.lock);
    jobs.ended = true;
    if (jobs.job) TerminateJobObject(jobs.job, 1);
}

std::wstring ChildStartFailureText(const ChildRun& run) {
    return FillVars(Tr("why_nostart"), {{L"c", run.failedCall}, {L"n", std::to_wstring(run.startError)}});
}

std::wstring WorkerStartFailureText(uint32_t error) {
    return FillVars(Tr("why_nothread"), {{L"c", L"CreateThread"}, {L"n", std::to_wstring(error)}});
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
