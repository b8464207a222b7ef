// Several items at once, handed on in list order.
#include <doctest/doctest.h>
#include <windows.h>

#include <atomic>
#include <vector>

#include "foundation/items_in_order.h"

TEST_CASE("items run side by side and are handed on in list order") {
    SUBCASE("a late first item holds back the ones that finished before it") {
        HANDLE lastStarted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::atomic<int> running{0}, mostAtOnce{0};
        std::vector<size_t> delivered;
        RunItemsInOrder(
            8, 4, nullptr,
            [&](size_t i) {
                int now = ++running;
                for (int seen = mostAtOnce; now > seen && !mostAtOnce.compare_exchange_weak(seen, now);) {}
                if (i == 3) SetEvent(lastStarted);
                if (i == 0) WaitForSingleObject(lastStarted, 10000);  // item 3 needs a second thread
                --running;
            },
            [&](size_t i) { delivered.push_back(i); });
        CHECK(delivered == std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 7});
        CHECK(mostAtOnce > 1);
        CHECK(mostAtOnce <= 4);
        CloseHandle(lastStarted);
    }
    SUBCASE("once told to stop, only the items already started are handed on") {
        int asked = 0;
        std::vector<size_t> worked, delivered;
        RunItemsInOrder(
            10, 1, [&] { return ++asked <= 3; }, [&](size_t i) { worked.push_back(i); },
            [&](size_t i) { delivered.push_back(i); });
        CHECK(worked == std::vector<size_t>{0, 1, 2});
        CHECK(delivered == worked);
        CHECK(asked == 4);
    }
    SUBCASE("an empty list and a width of more threads than items") {
        int calls = 0;
        RunItemsInOrder(0, 8, nullptr, [&](size_t) { ++calls; }, [&](size_t) { ++calls; });
        CHECK(calls == 0);
        std::vector<size_t> delivered;
        RunItemsInOrder(2, 64, nullptr, [](size_t) {}, [&](size_t i) { delivered.push_back(i); });
        CHECK(delivered == std::vector<size_t>{0, 1});
    }
}
