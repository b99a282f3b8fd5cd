#include <chrono>

#include <gtest/gtest.h>

#include "support/test_system.h"

namespace rvs::test {
namespace {

TEST(TestSystem, TickDifferencesSurviveTheWrap) {
    ScopedTestSystem clock;
    clock->setTickCount(0xFFFFF000);
    uint32_t start = platform::system().tickCount();
    clock->advance(0x2000);
    uint32_t now = platform::system().tickCount();
    EXPECT_LT(now, start) << "the counter wraps";
    EXPECT_GE(static_cast<uint32_t>(now - start), 0x2000u);
    EXPECT_LT(static_cast<uint32_t>(now - start), 0x2000u + 60000u);
}

TEST(TestSystem, FastClockRunsLongWaitsQuicklyAndNeverBackwards) {
    ScopedTestSystem clock;
    clock->setSpeed(1000);
    platform::System& sys = platform::system();
    auto realStart = std::chrono::steady_clock::now();
    uint32_t start = sys.tickCount();
    // A 30 s library limit, waited the way the library waits: poll with 20 ms sleeps.
    while (static_cast<uint32_t>(sys.tickCount() - start) < 30000) sys.sleep(20);
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(15));

    uint32_t before = sys.tickCount();
    clock->setSpeed(1);
    uint32_t after = sys.tickCount();
    EXPECT_LT(static_cast<uint32_t>(after - before), 0x80000000u) << "changing speed moved the clock back";
}

TEST(TestSystem, FixedValuesAndRestore) {
    {
        ScopedTestSystem clock;
        EXPECT_EQ(&platform::system(), &clock.system());
        clock->setLocalTime({2024, 2, 29, 23, 59, 58, 999});
        clock->setExecutablePath("C:\\Terminal\\host.exe");
        EXPECT_EQ(platform::system().localTime().day, 29);
        EXPECT_EQ(platform::system().localTime().millisecond, 999);
        char path[64];
        EXPECT_EQ(platform::system().executablePath(path, sizeof path), 20u);
        EXPECT_STREQ(path, "C:\\Terminal\\host.exe");
        EXPECT_EQ(platform::system().executablePath(path, 8), 20u) << "the whole length, also when cut";
        EXPECT_STREQ(path, "C:\\Term");
    }
    EXPECT_EQ(&platform::system(), &platform::defaultSystem());
}

}  // namespace
}  // namespace rvs::test
