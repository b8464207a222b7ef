// The program's worker threads, known from their start to their end: they use the
// program's static objects (texts, logs, caches), so the program ends them before
// it lets those go.
#pragma once
#include <windows.h>

// CreateThread of proc with param, the thread known until it ends. Its handle for
// the caller to close, as CreateThread's; null with the error of the failed call,
// and then no thread runs and param stays the caller's.
HANDLE StartWorkerThread(LPTHREAD_START_ROUTINE proc, void* param);
// Waits up to timeoutMs for every thread started so to end; true when none runs.
bool WaitForWorkerThreads(DWORD timeoutMs);
