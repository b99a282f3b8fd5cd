// Host threads and monitor threads call the same printer at once.
#include <gtest/gtest.h>

#include <thread>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;

TEST_F(SimTest, ConcurrentCallsAreAllServedAndLogged) {
    constexpr int kCalls = 2000;
    std::thread poller([&] {
        for (int i = 0; i < kCalls; ++i) {
            GetResult r = testing::get(printer_, handle_, u"StatusGet", 5);
            ASSERT_EQ(r.error, 0u);
            // A status is written whole: all bytes equal.
            ASSERT_EQ(std::count(r.bytes.begin(), r.bytes.end(), r.bytes[0]), 5);
        }
    });
    std::thread host([&] {
        for (int i = 0; i < kCalls; ++i) {
            const uint8_t v = static_cast<uint8_t>(i);
            ASSERT_EQ(testing::set(printer_, handle_, u"MetricID", kRegBinary, {v}), 0u);
            device_->schedule(0, [v](Device& d) { d.setStatus({v, v, v, v, v}); });
        }
    });
    for (int i = 0; i < kCalls; ++i) {
        device_->setStatus({1, 1, 1, 1, 1});
        device_->runDue();
    }
    poller.join();
    host.join();
    EXPECT_EQ(printer_.exchanges().size(), 2u * kCalls);
    EXPECT_EQ(device_->input(u"MetricID"), std::vector<uint8_t>{static_cast<uint8_t>(kCalls - 1)});
}

}  // namespace
}  // namespace rvs::sim::testing
