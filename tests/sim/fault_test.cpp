// Injected faults: what each kind does, and how many calls it lasts.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::kRegDword;

TEST_F(SimTest, CallFailsFailsTheNextGetOnly) {
    device_->injectFault(u"StatusGet", Fault::callFails(1167));
    GetResult failed = get(u"StatusGet", 5);
    EXPECT_EQ(failed.error, 1167u);
    EXPECT_EQ(failed.needed, 0u);
    EXPECT_EQ(failed.bytes, std::vector<uint8_t>(5, 0xEE));
    EXPECT_EQ(get(u"StatusGet", 5).error, 0u);
    EXPECT_EQ(printer_.exchanges()[0].error, 1167u);
}

TEST_F(SimTest, CallFailsOnASetKeepsTheOldValue) {
    device_->injectFault(u"TotalFeedingValue", Fault::callFails());
    EXPECT_EQ(set(u"TotalFeedingValue", kRegDword, le32(9)), kErrorGenFailure);
    EXPECT_EQ(device_->totalFeedingValue(), 0u);
    EXPECT_FALSE(device_->input(u"TotalFeedingValue").has_value());
    EXPECT_EQ(set(u"TotalFeedingValue", kRegDword, le32(9)), 0u);
    EXPECT_EQ(device_->totalFeedingValue(), 9u);
}

TEST_F(SimTest, WrongSizeReportsTheSizeAndSetsReturnValue) {
    device_->setStatus({1, 2, 3, 4, 5});
    device_->injectFault(u"StatusGet", Fault::wrongSize(4, 0x1234));
    GetResult r = get(u"StatusGet", 5);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, 4u);
    EXPECT_EQ(r.bytes, (std::vector<uint8_t>{1, 2, 3, 4, 0xEE}));
    EXPECT_EQ(get(u"ReturnValue", 4).bytes, le32(0x1234));
}

TEST_F(SimTest, WrongSizeLongerThanTheBufferStillSucceeds) {
    device_->setReturnValue(3);
    device_->injectFault(u"Present", Fault::wrongSize(2));
    GetResult r = get(u"Present", 1);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, 2u);
    EXPECT_EQ(r.bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(device_->returnValue(), 3u);  // no code given: left as it was
}

TEST_F(SimTest, AnswerFaultGivesAOneOffAnswer) {
    device_->injectFault(u"Cut", Fault::answer({1}));
    EXPECT_EQ(get(u"Cut", 1).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(get(u"Cut", 1).bytes, std::vector<uint8_t>{0});

    device_->injectFault(u"Cut", Fault::answer({1, 2}));
    GetResult tooLong = get(u"Cut", 1);
    EXPECT_EQ(tooLong.error, kErrorMoreData);
    EXPECT_EQ(tooLong.needed, 2u);
}

TEST_F(SimTest, AnswerFaultWaitsForAGetPastSets) {
    device_->injectFault(u"LogSettingCondition", Fault::answer({1}));
    EXPECT_EQ(set(u"LogSettingCondition", kRegBinary, {0}), 0u);
    EXPECT_EQ(get(u"LogSettingCondition", 1).bytes, std::vector<uint8_t>{1});
}

TEST_F(SimTest, DelaySleepsOnThePlatformClockThenAnswers) {
    device_->setStatus({7, 0, 0, 0, 0});
    const uint32_t before = clock_.tickCount();
    device_->injectFault(u"StatusGet", Fault::delay(2500));
    GetResult r = get(u"StatusGet", 5);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.bytes, (std::vector<uint8_t>{7, 0, 0, 0, 0}));
    EXPECT_EQ(clock_.tickCount() - before, 2500u);
    EXPECT_EQ(clock_.sleeps(), 1);

    device_->injectFault(u"PrinterData", Fault::delay(40));
    EXPECT_EQ(set(u"PrinterData", kRegBinary, std::vector<uint8_t>(1344, 2)), 0u);
    EXPECT_EQ(clock_.tickCount() - before, 2540u);
    EXPECT_EQ(device_->settingsRecord(), std::vector<uint8_t>(1344, 2));
}

struct TimesCase {
    int times;
    int faultedCalls;  // of the 6 calls made
};

void PrintTo(const TimesCase& c, std::ostream* os) { *os << "times " << c.times; }

class FaultTimes : public SimTest, public ::testing::WithParamInterface<TimesCase> {};

TEST_P(FaultTimes, LastsTheGivenNumberOfCalls) {
    device_->injectFault(u"GetTransport", Fault::callFails(5), GetParam().times);
    int faulted = 0;
    for (int i = 0; i < 6; ++i) {
        const uint32_t error = get(u"GetTransport", 1).error;
        if (error != 0) {
            EXPECT_EQ(i, faulted) << "faults come first";
            ++faulted;
        }
    }
    EXPECT_EQ(faulted, GetParam().faultedCalls);
}

INSTANTIATE_TEST_SUITE_P(Times, FaultTimes,
                         ::testing::Values(TimesCase{1, 1}, TimesCase{3, 3}, TimesCase{-1, 6}, TimesCase{0, 0}),
                         [](const auto& info) {
                             const int t = info.param.times;
                             return t < 0 ? std::string("Forever") : "Times" + std::to_string(t);
                         });

TEST_F(SimTest, FaultsOnOneNameQueueInOrderAndLeaveOtherNamesAlone) {
    device_->injectFault(u"Eject", Fault::answer({1}), 2);
    device_->injectFault(u"Eject", Fault::callFails(21));
    EXPECT_EQ(get(u"Present", 1).bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(get(u"Eject", 1).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(get(u"Eject", 1).bytes, std::vector<uint8_t>{1});
    EXPECT_EQ(get(u"Eject", 1).error, 21u);
    EXPECT_EQ(get(u"Eject", 1).bytes, std::vector<uint8_t>{0});
}

TEST_F(SimTest, ClearFaultsEndsEvenEndlessFaults) {
    device_->injectFault(u"StatusGet", Fault::callFails(), -1);
    EXPECT_NE(get(u"StatusGet", 5).error, 0u);
    EXPECT_NE(get(u"StatusGet", 5).error, 0u);
    device_->clearFaults();
    EXPECT_EQ(get(u"StatusGet", 5).error, 0u);
}

}  // namespace
}  // namespace rvs::sim::testing
