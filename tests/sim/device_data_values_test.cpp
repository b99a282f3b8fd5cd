// The printer's own data through its values: metrics with their ranges, the manufacturing
// block, the configuration record, the panel LEDs, print enable and purge.
#include <gtest/gtest.h>

#include <numeric>

#include "sim/device_data.h"
#include "sim_test_support.h"

namespace rvs::sim::testing {
namespace {

using platform::kRegBinary;
using platform::kRegDword;
using Bytes = std::vector<uint8_t>;

class DeviceDataValues : public SimTest {};

TEST_F(DeviceDataValues, AMetricIsReadByTheIdWrittenBefore) {
    device_->changeDeviceData([](DeviceData& d) { d.metrics[4] = 0x0A0B0C0D; });
    ASSERT_EQ(set(u"MetricID", kRegBinary, {4}), 0u);
    const GetResult r = get(u"GetMetrics", 4);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, 4u);
    EXPECT_EQ(r.bytes, le32(0x0A0B0C0D));
}

TEST_F(DeviceDataValues, AnUnknownMetricAnswersNothingWithACode) {
    ASSERT_EQ(set(u"MetricID", kRegBinary, {7}), 0u);
    const GetResult r = get(u"GetMetrics", 4);
    EXPECT_EQ(r.error, 0u);
    EXPECT_EQ(r.needed, 0u);
    EXPECT_EQ(get(u"ReturnValue", 4).bytes, le32(kDriverBadInput));
}

TEST_F(DeviceDataValues, AllMetricsAreSevenLittleEndianValues) {
    device_->changeDeviceData([](DeviceData& d) { d.metrics = {1, 2, 3, 4, 5, 6, 0x01020304}; });
    const GetResult r = get(u"GetAllMetrics", 28);
    ASSERT_EQ(r.needed, 28u);
    EXPECT_EQ(Bytes(r.bytes.begin() + 24, r.bytes.end()), le32(0x01020304));
    EXPECT_EQ(Bytes(r.bytes.begin(), r.bytes.begin() + 4), le32(1));
}

struct MetricSet {
    const char* name;
    uint8_t id;
    uint32_t value;
    bool accepted;
};
void PrintTo(const MetricSet& c, std::ostream* out) { *out << c.name; }

class MetricSetValues : public SimTest, public ::testing::WithParamInterface<MetricSet> {};

TEST_P(MetricSetValues, SetsOnlyWritableMetricsWithinRange) {
    const MetricSet& c = GetParam();
    const DeviceData before = device_->deviceData();
    set(u"SetMetrics_Input", kRegDword, le32(c.value));
    set(u"MetricID", kRegBinary, {c.id});
    EXPECT_EQ(get(u"SetMetrics", 1).bytes, Bytes{static_cast<uint8_t>(c.accepted ? 0 : 1)});
    const DeviceData after = device_->deviceData();
    if (c.accepted) {
        EXPECT_EQ(after.metrics[c.id], c.value);
    } else {
        EXPECT_EQ(after.metrics, before.metrics);
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, MetricSetValues,
                         ::testing::Values(MetricSet{"Id0", 0, 5, true}, MetricSet{"Id6Max", 6, 99999999, true},
                                           MetricSet{"Id3", 3, 5, false}, MetricSet{"Id7", 7, 5, false},
                                           MetricSet{"TooLarge", 1, 100000000, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceDataValues, TheShortManufacturingBlockReplacesTheStartOfTheWholeOne) {
    Bytes full(115);
    std::iota(full.begin(), full.end(), uint8_t{1});
    set(u"SetMFGDataEx_Input", kRegBinary, full);
    ASSERT_EQ(get(u"SetMFGDataEx", 1).bytes, Bytes{0});
    EXPECT_EQ(get(u"GetMFGData", 115).bytes, full);

    const Bytes part(31, 0xAA);
    set(u"SetMFGData_Input", kRegBinary, part);
    ASSERT_EQ(get(u"SetMFGData", 1).bytes, Bytes{0});
    Bytes expected = full;
    std::fill(expected.begin(), expected.begin() + 31, 0xAA);
    EXPECT_EQ(get(u"GetMFGData", 115).bytes, expected);

    set(u"SetMFGData_Input", kRegBinary, Bytes(30, 0xBB));  // not a short block
    EXPECT_EQ(get(u"SetMFGData", 1).bytes, Bytes{1});
    EXPECT_EQ(get(u"GetMFGData", 115).bytes, expected);
}

TEST_F(DeviceDataValues, ANewPrinterNamesItsModelInItsManufacturingData) {
    open(Profile::oxaSt());
    const GetResult r = get(u"GetMFGData", 115);
    EXPECT_EQ(std::string(r.bytes.begin(), r.bytes.begin() + 6), "OXA ST");
}

TEST_F(DeviceDataValues, ConfigurationAnswersTheDevicesRecord) {
    device_->changeDeviceData([](DeviceData& d) { d.configuration = {0x10, 0, 0, 0, 0, 0, 0, 1}; });
    EXPECT_EQ(get(u"GetConfiguration", 8).bytes, (Bytes{0x10, 0, 0, 0, 0, 0, 0, 1}));
}

struct LedRecordCase {
    const char* name;
    Bytes record;
    bool shown;
};
void PrintTo(const LedRecordCase& c, std::ostream* out) { *out << c.name; }

class PanelValues : public SimTest, public ::testing::WithParamInterface<LedRecordCase> {};

TEST_P(PanelValues, ThePanelShowsOnlyARecordItCanShow) {
    const DeviceData before = device_->deviceData();
    set(u"PanelLedControl_Input", kRegBinary, GetParam().record);
    EXPECT_EQ(get(u"Panel", 1).bytes, Bytes{static_cast<uint8_t>(GetParam().shown ? 0 : 1)});
    const auto leds = device_->deviceData().leds;
    EXPECT_EQ(Bytes(leds.begin(), leds.end()), GetParam().shown ? GetParam().record
                                                                : Bytes(before.leds.begin(), before.leds.end()));
}

INSTANTIATE_TEST_SUITE_P(Records, PanelValues,
                         ::testing::Values(LedRecordCase{"Valid", {7, 0x06, 0x21, 0x43, 0x65}, true},
                                           LedRecordCase{"WrongTag", {6, 0x06, 0x21, 0x43, 0x65}, false},
                                           LedRecordCase{"BothModeBits", {7, 0x03, 0x21, 0x43, 0x65}, false},
                                           LedRecordCase{"TimeZero", {7, 0x00, 0x20, 0x43, 0x65}, false},
                                           LedRecordCase{"Short", {7, 0x00, 0x11, 0x11}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceDataValues, LedStatesReadBackFromTheRecord) {
    const std::array<uint8_t, 5> record{7, 0x06, 0x21, 0x43, 0x65};
    const LedState red = ledState(record, Led::Red);
    const LedState green = ledState(record, Led::Green);
    const LedState yellow = ledState(record, Led::Yellow);
    EXPECT_EQ((std::array<int, 3>{red.mode, red.on, red.off}), (std::array<int, 3>{2, 1, 2}));
    EXPECT_EQ((std::array<int, 3>{green.mode, green.on, green.off}), (std::array<int, 3>{1, 3, 4}));
    EXPECT_EQ((std::array<int, 3>{yellow.mode, yellow.on, yellow.off}), (std::array<int, 3>{0, 5, 6}));
}

TEST_F(DeviceDataValues, PrintEnableFollowsTheInputAndPurgesAreCounted) {
    EXPECT_TRUE(device_->deviceData().printEnabled);
    set(u"Enabled_input", kRegBinary, {0});
    ASSERT_EQ(get(u"Enabled", 1).bytes, Bytes{0});
    EXPECT_FALSE(device_->deviceData().printEnabled);
    set(u"Enabled_input", kRegBinary, {1});
    ASSERT_EQ(get(u"Enabled", 1).bytes, Bytes{0});
    EXPECT_TRUE(device_->deviceData().printEnabled);

    ASSERT_EQ(get(u"PurgeData", 1).bytes, Bytes{0});
    device_->injectFault(u"PurgeData", Fault::answer({1}));
    ASSERT_EQ(get(u"PurgeData", 1).bytes, Bytes{1});
    EXPECT_EQ(device_->deviceData().purges, 1u);
}

TEST_F(DeviceDataValues, TheOxaPrintTimeOutWrittenIsTheOneAnswered) {
    open(Profile::oxaSt());
    ASSERT_EQ(set(u"OXAPrintTimeOut", kRegDword, {9}), 0u);
    const GetResult r = get(u"OXAPrintTimeOut", 1);
    EXPECT_EQ(r.needed, 1u);
    EXPECT_EQ(r.bytes, Bytes{9});
}

}  // namespace
}  // namespace rvs::sim::testing
