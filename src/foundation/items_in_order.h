// Work on a list of items by several threads at once, with the results handed on
// in the order of the items: plugins are asked one child process each, and a
// child spends nearly all its time starting, so children run side by side; and
// questions to the disk that each wait on a scan of a large folder overlap.
#pragma once
#include <cstddef>
#include <functional>

// How many children may run at once: the number of processors, at least one.
unsigned ItemsInOrderWidth();

// Runs work(i) for i = 0 .. count-1 on up to `width` threads (the calling thread
// is one of them) and calls deliver(i) in index order, one call at a time, each as
// soon as items 0 .. i are done. keepGoing() is asked before an item starts; once
// it says false no further item starts, and only items that started are delivered,
// always a leading run of the list. Returns when every started item is delivered.
void RunItemsInOrder(size_t count, unsigned width, const std::function<bool()>& keepGoing,
                     const std::function<void(size_t)>& work, const std::function<void(size_t)>& deliver);
