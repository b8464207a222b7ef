// Every heap allocation of the test program is counted, so that a record freed
// twice or never shows as a difference in the live count. Kept apart so that the
// compiler never sees these inlined next to their callers.
#include <atomic>
#include <cstdlib>
#include <new>

#include "probe_test_support.h"

std::atomic<long> LiveAllocations{0};

void* operator new(size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    ++LiveAllocations;
    return p;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    --LiveAllocations;
    std::free(p);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }
