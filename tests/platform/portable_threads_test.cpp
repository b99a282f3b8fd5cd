#include <atomic>
#include <set>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace rvs::test {
namespace {

TEST(Threads, IdIsKnownAtStartAndMatchesTheRunningThread) {
    platform::System& sys = platform::defaultSystem();
    std::atomic<uint32_t> seenInside{0};
    std::atomic<bool> release{false};
    auto thread = sys.startThread([&] {
        seenInside = sys.currentThreadId();
        while (!release) sys.sleep(0);
    });
    ASSERT_NE(thread, nullptr);
    uint32_t id = thread->id();
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, sys.currentThreadId());
    // Refused for lack of privilege counts as done; anything else would fail a session's open.
    EXPECT_TRUE(thread->raiseToTimeCritical());
    release = true;
    thread->join();
    EXPECT_EQ(seenInside.load(), id);
    EXPECT_EQ(sys.currentThreadId(), sys.currentThreadId());
}

}  // namespace
}  // namespace rvs::test
