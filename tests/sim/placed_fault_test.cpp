// A fault placed by count: the Nth exchange from now fails, counted over all exchanges or only
// over those a filter keeps.
#include <gtest/gtest.h>

#include <thread>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::kRegDword;

TEST_F(SimTest, FailsExactlyTheNthExchangeGetsAndSetsAlike) {
    device_->injectFaultAt(2, Fault::callFails(1167));
    EXPECT_EQ(get(u"StatusGet", 5).error, 0u);
    EXPECT_EQ(set(u"MetricID", kRegBinary, {4}), 0u);
    EXPECT_FALSE(device_->exchangeFaultMet());
    EXPECT_EQ(set(u"TotalFeedingValue", kRegDword, le32(9)), 1167u);
    EXPECT_TRUE(device_->exchangeFaultMet());
    EXPECT_EQ(device_->totalFeedingValue(), 0u);
    EXPECT_EQ(set(u"TotalFeedingValue", kRegDword, le32(9)), 0u);
    EXPECT_EQ(get(u"StatusGet", 5).error, 0u);

    // Counting stops at the exchange that met the fault.
    EXPECT_EQ(names(device_->countedExchanges()),
              (std::vector<std::u16string>{u"StatusGet", u"MetricID", u"TotalFeedingValue"}));
    EXPECT_EQ(device_->countedExchanges().back().error, 1167u);
}

TEST_F(SimTest, PlacedFaultTakesEveryFormOfAGetFault) {
    device_->setStatus({1, 2, 3, 4, 5});
    device_->injectFaultAt(0, Fault::wrongSize(4, 0x33));
    GetResult shortAnswer = get(u"StatusGet", 5);
    EXPECT_EQ(shortAnswer.needed, 4u);
    EXPECT_EQ(device_->returnValue(), 0x33u);

    device_->injectFaultAt(1, Fault::answer({1}));
    EXPECT_EQ(get(u"Cut", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(get(u"Cut", 1).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(get(u"Cut", 1).bytes, std::vector<uint8_t>{0});
}

TEST_F(SimTest, GetOnlyFaultFallingOnASetIsSpentUnused) {
    device_->injectFaultAt(0, Fault::answer({1}));
    EXPECT_EQ(set(u"Transport_input", kRegBinary, {2}), 0u);
    EXPECT_EQ(device_->input(u"Transport_input"), std::vector<uint8_t>{2});
    EXPECT_TRUE(device_->exchangeFaultMet());
    EXPECT_EQ(get(u"Transport", 1).bytes, std::vector<uint8_t>{0});
}

TEST_F(SimTest, PerNameFaultsWaitWhileThePlacedFaultFires) {
    device_->injectFault(u"Present", Fault::answer({2}));
    device_->injectFaultAt(0, Fault::callFails(5));
    EXPECT_EQ(get(u"Present", 1).error, 5u);
    EXPECT_EQ(get(u"Present", 1).bytes, std::vector<uint8_t>{2});
    EXPECT_EQ(get(u"Present", 1).bytes, std::vector<uint8_t>{0});
}

TEST_F(SimTest, FilterCountsOnlyTheChosenThreadAndLeavesOutIgnoredNames) {
    device_->injectFaultAt(1, Fault::callFails(7), ExchangeFilter::thisThread({u"LogSettingCondition"}));
    std::thread monitor([&] {
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(testing::get(printer_, handle_, u"Open", 5).error, 0u);
        }
    });
    monitor.join();
    EXPECT_EQ(get(u"LogSettingCondition", 1).error, 0u);
    EXPECT_EQ(get(u"Open", 5).error, 0u);
    EXPECT_EQ(get(u"LogSettingCondition", 1).error, 0u);
    EXPECT_EQ(get(u"Open", 5).error, 7u);

    const std::vector<Exchange> counted = device_->countedExchanges();
    ASSERT_EQ(counted.size(), 2u);
    EXPECT_EQ(counted[0].threadId, platform::system().currentThreadId());
}

TEST_F(SimTest, CountingWithoutAFaultListsWhatWasServed) {
    device_->setStatus({0x21, 0, 0, 0, 0});
    device_->startCounting();
    get(u"StatusGet", 5);
    set(u"ReturnValue", kRegDword, le32(0));
    get(u"NoSuchValue", 1);
    const std::vector<Exchange> counted = device_->countedExchanges();
    ASSERT_EQ(counted.size(), 3u);
    EXPECT_EQ(counted, printer_.exchanges());
    EXPECT_FALSE(device_->exchangeFaultMet());
}

TEST_F(SimTest, ClearFaultsEndsThePlacedFault) {
    device_->injectFaultAt(1, Fault::callFails());
    get(u"StatusGet", 5);
    device_->clearFaults();
    EXPECT_EQ(get(u"StatusGet", 5).error, 0u);
    EXPECT_FALSE(device_->exchangeFaultMet());
    EXPECT_TRUE(device_->countedExchanges().empty());
}

}  // namespace
}  // namespace rvs::sim::testing
