#include "foundation/worker_threads.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// A handle of each worker that may still run. Never destroyed: it must outlive
// every worker, whatever the order in which the program ends.
struct Workers {
    std::mutex lock;
    std::vector<HANDLE> running;
};

Workers& KnownWorkers() {
    static Workers& workers = *new Workers;
    return workers;
}

bool Ended(HANDLE thread) { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

void Keep(HANDLE thread) {
    Workers& workers = KnownWorkers();
    std::lock_guard<std::mutex> hold(workers.lock);
    auto ended = std::remove_if(workers.running.begin(), workers.running.end(), [](HANDLE h) {
        if (!Ended(h)) return false;
        CloseHandle(h);
        return true;
    });
    workers.running.erase(ended, workers.running.end());
    workers.running.push_back(thread);
}

}  // namespace

HANDLE StartWorkerThread(LPTHREAD_START_ROUTINE proc, void* param) {
    // Suspended until it is known, so no worker runs that the end would not wait for.
    HANDLE thread = CreateThread(nullptr, 0, proc, param, CREATE_SUSPENDED, nullptr);
    if (!thread) return nullptr;
    HANDLE known = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &known, SYNCHRONIZE, FALSE, 0)) {
        DWORD error = GetLastError();
        TerminateThread(thread, 1);  // it never ran
        CloseHandle(thread);
        SetLastError(error);
        return nullptr;
    }
    Keep(known);
    ResumeThread(thread);
    return thread;
}

bool WaitForWorkerThreads(DWORD timeoutMs) {
    std::vector<HANDLE> running;
    {
        Workers& workers = KnownWorkers();
        std::lock_guard<std::mutex> hold(workers.lock);
        running = workers.running;
    }
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (size_t first = 0; first < running.size(); first += MAXIMUM_WAIT_OBJECTS) {
        DWORD count = (DWORD)std::min<size_t>(MAXIMUM_WAIT_OBJECTS, running.size() - first);
        ULONGLONG now = GetTickCount64();
        DWORD left = now >= end ? 0 : (DWORD)std::min<ULONGLONG>(end - now, INFINITE - 1);
        DWORD waited = WaitForMultipleObjects(count, running.data() + first, TRUE, left);
        if (waited >= WAIT_OBJECT_0 + count) return false;
    }
    return true;
}
