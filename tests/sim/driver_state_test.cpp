// Values the driver keeps: written by the library, read back by it, seen by the test.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::kRegDword;

TEST_F(SimTest, ReturnValueIsKeptAsWritten) {
    device_->setReturnValue(77);
    EXPECT_EQ(get(u"ReturnValue", 4).bytes, le32(77));
    ASSERT_EQ(set(u"ReturnValue", kRegDword, le32(0)), 0u);
    EXPECT_EQ(device_->returnValue(), 0u);
    EXPECT_EQ(get(u"ReturnValue", 4).bytes, le32(0));
}

TEST_F(SimTest, TotalFeedingValueIsAnsweredAsLastWritten) {
    ASSERT_EQ(set(u"TotalFeedingValue", kRegDword, le32(0x12345)), 0u);
    EXPECT_EQ(device_->totalFeedingValue(), 0x12345u);
    EXPECT_EQ(get(u"TotalFeedingValue", 4).bytes, le32(0x12345));
}

TEST_F(SimTest, OxaDeviceIsSelectedWhileTheInputIsOne) {
    open(Profile::oxaSt());
    EXPECT_EQ(get(u"OXASelectDevice", 1).bytes, std::vector<uint8_t>{0});
    ASSERT_EQ(set(u"OXA_Select_Input", kRegBinary, {1}), 0u);
    EXPECT_EQ(get(u"OXASelectDevice", 1).bytes, std::vector<uint8_t>{6});
    ASSERT_EQ(set(u"OXA_Select_Input", kRegBinary, {0}), 0u);
    EXPECT_EQ(get(u"OXASelectDevice", 1).bytes, std::vector<uint8_t>{0});
}

TEST_F(SimTest, WrittenInputsAreKeptAndAnsweredBack) {
    EXPECT_FALSE(device_->input(u"MetricID").has_value());
    ASSERT_EQ(set(u"MetricID", kRegBinary, {4}), 0u);
    ASSERT_EQ(set(u"MetricID", kRegBinary, {9}), 0u);
    EXPECT_EQ(device_->input(u"MetricID"), std::vector<uint8_t>{9});
    EXPECT_EQ(get(u"MetricID", 1).bytes, std::vector<uint8_t>{9});

    // The one-byte time-out write replaces the default the library reads back before selecting.
    ASSERT_EQ(set(u"OXAPrintTimeOut", kRegDword, {7}), 0u);
    GetResult r = get(u"OXAPrintTimeOut", 1);
    EXPECT_EQ(r.bytes, std::vector<uint8_t>{7});
    EXPECT_EQ(r.type, kRegDword);
}

TEST_F(SimTest, SetAnswerOverridesDriverStateUntilTheLibraryWrites) {
    device_->setStatus({1, 1, 1, 1, 1});
    device_->setAnswer(u"StatusGet", {9, 9, 9, 9});
    GetResult r = get(u"StatusGet", 5);
    EXPECT_EQ(r.needed, 4u);
    EXPECT_EQ(r.bytes, (std::vector<uint8_t>{9, 9, 9, 9, 0xEE}));

    device_->setAnswer(u"TotalFeedingValue", le32(5));
    EXPECT_EQ(get(u"TotalFeedingValue", 4).bytes, le32(5));
    ASSERT_EQ(set(u"TotalFeedingValue", kRegDword, le32(6)), 0u);
    EXPECT_EQ(get(u"TotalFeedingValue", 4).bytes, le32(6));
}

TEST_F(SimTest, StatusBitsChangeOnlyTheirMask) {
    device_->setStatus({0x10, 0, 0, 0, 0});
    device_->setStatusBit(0, 0x21, true);
    device_->setStatusBit(0, 0x10, false);
    device_->setStatusBit(4, 0x80, true);
    EXPECT_EQ(get(u"StatusGet", 5).bytes, (std::vector<uint8_t>{0x21, 0, 0, 0, 0x80}));
    EXPECT_THROW(device_->setStatusBit(5, 1, true), std::out_of_range);

    open(Profile::oxaSt());
    device_->setOxaStatusBit(8, 0x40, true);
    device_->setOxaStatusBit(17, 0x01, true);
    std::vector<uint8_t> expected(18, 0);
    expected[8] = 0x40;
    expected[17] = 0x01;
    EXPECT_EQ(get(u"OXAGetStatus", 18).bytes, expected);
}

TEST_F(SimTest, DriverVersionComesFromTheProfile) {
    Profile profile = Profile::korvelinFO();
    profile.driverVersion = 0x0603;
    open(profile);
    ASSERT_EQ(printer_.deviceModeSize(handle_, u"P"), 220);
    std::vector<uint8_t> mode(220, 0xEE);
    ASSERT_TRUE(printer_.readDeviceMode(handle_, u"P", mode.data(), 220));
    EXPECT_EQ(mode[66] | (mode[67] << 8), 0x0603) << "dmDriverVersion";
    EXPECT_EQ(mode[0], 0);
}

}  // namespace
}  // namespace rvs::sim::testing
