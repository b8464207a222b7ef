#include "foundation/items_in_order.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <vector>

#include "foundation/handles.h"

namespace {

struct Shared {
    size_t count = 0;
    const std::function<bool()>* keepGoing = nullptr;
    const std::function<void(size_t)>* work = nullptr;
    const std::function<void(size_t)>* deliver = nullptr;
    std::mutex lock;
    size_t next = 0;          // the next item to start
    bool stopped = false;     // keepGoing said no: nothing starts any more
    std::vector<char> done;   // per item: work finished
    size_t delivered = 0;     // items 0 .. delivered-1 were handed on
};

// Taking an item and asking keepGoing happen under one lock, so the items that
// start are always a leading run of the list.
bool TakeItem(Shared& s, size_t& item) {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.stopped || s.next >= s.count) return false;
    if (*s.keepGoing && !(*s.keepGoing)()) {
        s.stopped = true;
        return false;
    }
    item = s.next++;
    return true;
}

// Delivering under the lock keeps the calls in order and one at a time.
void FinishItem(Shared& s, size_t item) {
    std::lock_guard<std::mutex> guard(s.lock);
    s.done[item] = 1;
    while (s.delivered < s.count && s.done[s.delivered]) (*s.deliver)(s.delivered++);
}

void WorkLoop(Shared& s) {
    for (size_t item; TakeItem(s, item);) {
        (*s.work)(item);
        FinishItem(s, item);
    }
}

DWORD WINAPI HelperProc(LPVOID param) {
    WorkLoop(*static_cast<Shared*>(param));
    return 0;
}

}  // namespace

unsigned ItemsInOrderWidth() {
    DWORD processors = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return processors ? processors : 1;
}

void RunItemsInOrder(size_t count, unsigned width, const std::function<bool()>& keepGoing,
                     const std::function<void(size_t)>& work, const std::function<void(size_t)>& deliver) {
    Shared s;
    s.count = count;
    s.keepGoing = &keepGoing;
    s.work = &work;
    s.deliver = &deliver;
    s.done.assign(count, 0);
    // Helpers that cannot be created leave their share to the others.
    std::vector<KernelHandle> helpers;
    for (size_t i = 1; i < width && i < count; ++i) {
        KernelHandle thread(CreateThread(nullptr, 0, HelperProc, &s, 0, nullptr));
        if (thread) helpers.push_back(std::move(thread));
    }
    WorkLoop(s);
    for (const KernelHandle& thread : helpers) WaitForSingleObject(thread.Get(), INFINITE);
}
