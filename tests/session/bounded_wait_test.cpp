// The one wait helper on the replaceable clock.
#include <gtest/gtest.h>

#include "session/bounded_wait.h"
#include "support/test_system.h"

namespace rvs::test {
namespace {

class BoundedWaitTest : public ::testing::Test {
protected:
    ScopedTestSystem clock;
};

TEST_F(BoundedWaitTest, AConditionAlreadyMetReturnsAtTheFirstLook) {
    int looks = 0;
    EXPECT_TRUE(waitUntil(0, 1000, [&] { return ++looks > 0; }));
    EXPECT_EQ(looks, 1);
}

TEST_F(BoundedWaitTest, GivesUpOnceTheLimitHasPassed) {
    clock->setSpeed(1000);
    const uint32_t start = clock->tickCount();
    EXPECT_FALSE(waitUntil(30000, 20, [] { return false; }));
    const uint32_t waited = clock->tickCount() - start;
    EXPECT_GE(waited, 30000u);
    EXPECT_LT(waited, 60000u);
}

TEST_F(BoundedWaitTest, AWrapOfTheTickCountNeitherEndsNorStretchesTheWait) {
    clock->setSpeed(1000);
    clock->setTickCount(0xFFFFFFFFu - 5000);
    const uint32_t start = clock->tickCount();
    EXPECT_FALSE(waitUntil(20000, 20, [] { return false; }));
    const uint32_t waited = clock->tickCount() - start;
    EXPECT_GE(waited, 20000u);
    EXPECT_LT(waited, 40000u);
    EXPECT_LT(clock->tickCount(), 0x80000000u);  // the clock did wrap during the wait
}

TEST_F(BoundedWaitTest, AConditionMetLaterEndsTheWaitThen) {
    clock->setSpeed(1000);
    const uint32_t start = clock->tickCount();
    EXPECT_TRUE(waitUntil(60000, 20, [&] { return clock->tickCount() - start >= 3000; }));
    EXPECT_LT(clock->tickCount() - start, 30000u);
}

}  // namespace
}  // namespace rvs::test
