// The fixed pool files come from: slots are handed out once at a time, come back for reuse, and
// the heap takes over only while every slot is in use.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "platform/slot_pool.h"

namespace rvs::platform {
namespace {

TEST(SlotPool, SlotsAreDistinctReusedAndTheHeapServesWhenAllAreTaken) {
    static SlotPool<16, 4> pool;
    std::set<void*> slots;
    for (int i = 0; i < 4; ++i) slots.insert(pool.take(16));
    EXPECT_EQ(slots.size(), 4u);
    void* overflow = pool.take(16);
    EXPECT_EQ(slots.count(overflow), 0u) << "a fifth object while four are in use";
    void* tooBig = pool.take(17);
    EXPECT_EQ(slots.count(tooBig), 0u);
    pool.give(overflow);
    pool.give(tooBig);

    void* returned = *slots.begin();
    pool.give(returned);
    EXPECT_EQ(pool.take(8), returned) << "a slot given back is taken again";
    for (void* slot : slots) pool.give(slot);
}

TEST(SlotPool, ThreadsNeverShareASlot) {
    static SlotPool<16, 8> pool;
    std::vector<std::thread> threads;
    std::atomic<int> shared{0};
    for (int t = 1; t <= 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20000; ++i) {
                int* slot = static_cast<int*>(pool.take(sizeof(int)));
                std::atomic_ref<int> mine(*slot);
                mine.store(t);
                std::this_thread::yield();
                if (mine.load() != t) ++shared;
                pool.give(slot);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(shared.load(), 0);
}

}  // namespace
}  // namespace rvs::platform
