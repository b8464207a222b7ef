// Running a child copy of the program (or its 32-bit twin) with its output captured,
// and the pieces every child mode shares for answering its parent.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ChildRun {
    uint8_t started = 0;   // the process was created
    uint8_t timedOut = 0;  // ended by the parent at the time-out
    uint32_t exitCode = 0;
    std::string output;    // standard output and error, undecoded, in order
    // When not started: the call that failed for good and the Windows error it left.
    std::wstring failedCall;
    uint32_t startError = 0;
};

// What the parent keeps of a child's output; a child that writes more is ended,
// so that a plugin printing without end cannot exhaust the parent's memory.
constexpr size_t ChildOutputLimit = 16u << 20;

// Starts exe (empty: the program's own file) with args in workDir (empty: the
// parent's folder) and returns when the child ended or was ended after timeoutMs.
// The child inherits only its output pipe and runs only inside the job that ends
// it with the program; when either cannot be arranged it is ended unstarted.
// A start that fails for a passing shortage is tried again a few times; each
// failed call goes to the debug log.
// Each argument is quoted as the child's argument parser reads it back.
void RunChildCapture(ChildRun& run, const std::vector<std::wstring>& args, const std::wstring& workDir,
                     uint32_t timeoutMs, const std::wstring& exe);

// At the program's end: every child running is ended, and none starts any more.
void EndAllChildren();

// Why run did not start, for the user: the failed call and its Windows error.
std::wstring ChildStartFailureText(const ChildRun& run);
// Why a worker thread that would start the children did not start, for the user.
std::wstring WorkerStartFailureText(uint32_t error);

// Child side: writes to standard output, ignoring failures.
void StdoutWrite(const void* bytes, size_t n);
void StdoutWrite(const std::string& text);
// Unhandled-exception filter of the child modes: "CRASH\n" and exit code 3.
LONG WINAPI ChildCrashFilter(EXCEPTION_POINTERS* info);
// Ends the child at once with its answer complete: the plugin's unload code never
// runs, so nothing it prints or breaks on the way out can spoil the answer.
[[noreturn]] void ChildEndNow(UINT exitCode);
